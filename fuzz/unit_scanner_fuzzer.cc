// The unit scanner (the section searches and ProcessUsesClause), through a whole backup run of a
// project whose main unit Main.pas is the input.

#include <cstdint>
#include <string>

#include "fuzz/backup_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zk::fuzz::BackupFixture& fixture = zk::fuzz::SetUpBackupFixture();
  zk::fuzz::ResetBackupState(fixture);
  zk::fuzz::WriteBytes(fixture.project_dir + "Main.pas",
                       std::string_view(reinterpret_cast<const char*>(data), size));
  zk::fuzz::RunBackupAndCheck(fixture, true);
  return 0;
}
