// The project file's uses-list reader, through a whole backup run of a project whose .dpr is the
// input.

#include <cstdint>
#include <string>

#include "fuzz/backup_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zk::fuzz::BackupFixture& fixture = zk::fuzz::SetUpBackupFixture();
  zk::fuzz::ResetBackupState(fixture);
  zk::fuzz::WriteBytes(fixture.project_dir + "Demo.dpr",
                       std::string_view(reinterpret_cast<const char*>(data), size));
  zk::fuzz::RunBackupAndCheck(fixture);
  return 0;
}
