#include <algorithm>

#include "platform/ini_file.h"
#include "platform/path_text.h"
#include "projectbackup/pb_main.h"

namespace zk::pb {

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kExcludedUnits = "Excluded Units";
constexpr const char* kExtraFiles = "Extra Files";

// A list is stored as Key0, Key1, ... and ends at the first empty or missing value.
std::vector<std::string> ReadList(const IniFile& ini, const char* section, const char* key) {
  std::vector<std::string> items;
  for (int n = 0;; ++n) {
    std::string value = ini.ReadString(section, key + std::to_string(n), "");
    if (value.empty()) break;
    items.push_back(std::move(value));
  }
  return items;
}

// Erased first: keys of an earlier, longer list would otherwise read back as entries.
void WriteList(IniFile& ini, const char* section, const char* key,
               const std::vector<std::string>& items) {
  ini.EraseSection(section);
  for (size_t n = 0; n < items.size(); ++n) {
    ini.WriteString(section, key + std::to_string(n), items[n]);
  }
}

}  // namespace

bool TfrmProjectBackup::IsReadingSettings(const std::string& file_name) const {
  return std::any_of(reading_settings_.begin(), reading_settings_.end(),
                     [&](const std::string& open) { return SameText(open, file_name); });
}

void TfrmProjectBackup::ReadSettings(const std::string& file_name, bool source_only) {
  // Two settings files that name each other's project would switch back and forth for ever;
  // the file already being read keeps the values read so far.
  if (IsReadingSettings(file_name)) return;

  const IniFile ini(file_name);
  if (!ini.load_error().empty()) {
    prompts_.MessageDlg("The backup settings could not be read: " + ini.load_error(),
                        form::MsgDlgType::Warning, form::mbOK);
    // A project whose settings are out of reach gets the defaults, not the last project's
    // destination.
    if (!source_only) ResetToDefaults();
    return;
  }

  reading_settings_.push_back(file_name);
  struct Pop {
    std::vector<std::string>& stack;
    ~Pop() { stack.pop_back(); }
  } pop{reading_settings_};

  SetSourceProject(ini.ReadString(kSettings, "SourceProject", ""));
  if (!source_only) {
    // An empty destination is no destination: the backup must not go to the current folder.
    std::string target = ini.ReadString(kSettings, "TargetPath", kNoTarget);
    SetTargetPath(target.empty() ? std::string(kNoTarget) : target);

    const std::vector<std::string> units = ReadList(ini, kExcludedUnits, "Unit");
    if (!units.empty()) {
      lbStockUnits.Clear();
      for (const std::string& unit : units) lbStockUnits.Add(unit);
    }
    const std::vector<std::string> files = ReadList(ini, kExtraFiles, "File");
    if (!files.empty()) lbExtraFiles.Assign(files);

    const std::string last_backup = ini.ReadString(kSettings, "LastBackup", "");
    if (!last_backup.empty()) SetLastBackup(last_backup);
  }
  EnableBackupButton();
}

OpResult TfrmProjectBackup::SaveSettings() {
  IniFile global(GlobalIniFile);
  global.WriteString(kSettings, "SourceProject", source_project_);
  const OpResult global_result = global.UpdateFile();

  // Without a project the file name is a bare ".INI" that would land in the current folder.
  if (source_project_.empty()) {
    const OpResult no_project =
        OpResult::Fail("no project is chosen, so there is no project settings file to write");
    return global_result ? no_project
                         : OpResult::Fail(global_result.error + "; " + no_project.error);
  }
  IniFile project(project_ini_file_);
  project.WriteString(kSettings, "SourceProject", source_project_);
  project.WriteString(kSettings, "TargetPath", target_path_);
  SetLastBackup(prompts_.NowText());
  project.WriteString(kSettings, "LastBackup", last_backup_);
  if (SettingsChanged) WriteList(project, kExcludedUnits, "Unit", lbStockUnits.items());
  if (ExtraFilesChanged) WriteList(project, kExtraFiles, "File", lbExtraFiles.items());
  const OpResult project_result = project.UpdateFile();

  if (global_result && project_result) return OpResult::Ok();
  if (!global_result && !project_result) {
    return OpResult::Fail(global_result.error + "; " + project_result.error);
  }
  return global_result ? project_result : global_result;
}

}  // namespace zk::pb
