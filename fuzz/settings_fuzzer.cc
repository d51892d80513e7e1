// The backup settings files: any content of the project's settings file and of the global one is
// read without fault (settings files that name each other included); the backup button follows
// what was read; saving writes back what the dialog holds.

#include <fuzzer/FuzzedDataProvider.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/backup_fixture.h"
#include "platform/ini_file.h"
#include "platform/path_resolver.h"

namespace {

using zk::fuzz::Check;

// Saving writes wherever the settings read name the project; only a place inside the work
// folder is written to.
bool InsideWorkDir(const std::string& path) {
  static const std::string work = std::filesystem::canonical(zk::fuzz::WorkDir()).string() + "/";
  const std::optional<std::string> resolved = zk::ResolvePath(path);
  return resolved && resolved->starts_with(work);
}

void CheckList(const zk::IniFile& ini, const char* section, const char* key,
               const std::vector<std::string>& items) {
  for (size_t n = 0; n < items.size(); ++n) {
    const std::string read = ini.ReadString(section, key + std::to_string(n), "");
    const std::string expected = zk::fuzz::ProfileValueAsRead(items[n]);
    Check(read == expected, "a saved list reads back item by item");
    if (expected.empty()) return;  // a reader stops here
  }
  Check(ini.ReadString(section, key + std::to_string(items.size()), "").empty(),
        "a saved list has no stale entry after its end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const zk::fuzz::BackupFixture& fixture = zk::fuzz::SetUpBackupFixture();
  zk::fuzz::ResetBackupState(fixture);
  FuzzedDataProvider input(data, size);
  const bool edited = input.ConsumeBool();
  const std::string project_settings = input.ConsumeRandomLengthString(4000);
  const std::string global_settings = input.ConsumeRemainingBytesAsString();
  zk::fuzz::WriteBytes(fixture.project_dir + "DEMO.INI", project_settings);
  zk::fuzz::WriteBytes(fixture.ide_dir + "ProjectBackup.ini", global_settings);
  // A second project whose settings name the demo project: the two name each other when the
  // demo's settings name it.
  zk::fuzz::MakeFolders(fixture.drive_c + "work/Other");
  zk::fuzz::WriteBytes(fixture.drive_c + "work/Other/OTHER.INI",
                       "[Settings]\r\nSourceProject=C:\\work\\Demo\\Demo.dpr\r\n");
  zk::fuzz::WriteBytes(fixture.drive_c + "work/Other/Other.dpr", "program Other;");

  zk::fuzz::FuzzPrompts prompts;
  zk::pb::TfrmProjectBackup form(prompts, 4);
  form.SetSourceProject(zk::fuzz::BackupFixture::kProject);
  Check(form.btnBackup.enabled() ==
            (!form.SourceProject().empty() && form.TargetPath() != zk::pb::kNoTarget),
        "the backup button follows the settings read");
  Check(form.lbExtraFiles.count() >= 0 && form.lbStockUnits.count() >= 0, "lists are sane");

  if (form.SourceProject().empty() || !InsideWorkDir(form.ProjectIniFile())) return 0;
  form.SettingsChanged = edited;
  form.ExtraFilesChanged = edited;
  const zk::OpResult saved = form.SaveSettings();
  if (!saved) {
    Check(!saved.error.empty(), "a failed save says why");
    return 0;
  }
  const zk::IniFile ini(form.ProjectIniFile());
  Check(ini.ReadString("Settings", "SourceProject", "") == zk::fuzz::ProfileValueAsRead(form.SourceProject()),
        "the project is saved");
  Check(ini.ReadString("Settings", "TargetPath", "") == zk::fuzz::ProfileValueAsRead(form.TargetPath()),
        "the destination is saved");
  if (edited) {
    CheckList(ini, "Excluded Units", "Unit", form.lbStockUnits.items());
    CheckList(ini, "Extra Files", "File", form.lbExtraFiles.items());
  }
  return 0;
}
