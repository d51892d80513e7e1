#include "projectbackup/pb_main.h"

#include <filesystem>

#include "platform/drive_types.h"
#include "platform/path_resolver.h"
#include "platform/path_text.h"
#include "platform/program_folder.h"

namespace zk::pb {

namespace {

constexpr const char* kStockUnitsHint =
    "Units listed here will be excluded from backups performed\r"
    "during this session. Click this listbox, then press INSERT\r"
    "or DELETE to exclude/include other units as necessary.";
constexpr const char* kExtraFilesHint =
    "Any files listed here will be included in backups performed\r"
    "during this session. Click this listbox, then press INSERT\r"
    "or DELETE to add or remove files as necessary.";
constexpr const char* kLastBackupPrefix = "Last backup: ";
constexpr const char* kProbeFolder = "QuorvinTest";
constexpr const char* kSameFolderError = "Target directory must be different than source directory!";

using form::OpenDialog;

void SetUpDialog(OpenDialog& dialog, std::string name, std::string default_ext,
                 std::string filter, int filter_index, unsigned options) {
  dialog.name = std::move(name);
  dialog.default_ext = std::move(default_ext);
  dialog.filter = std::move(filter);
  dialog.filter_index = filter_index;
  dialog.options = options;
}

// Whether a folder can be made in the drive's root: a drive without a medium or without write
// access cannot take a backup. A folder of the probe's name that exists already is left alone.
bool ProbeDrive(char letter) {
  if (letter < 'A' || letter > 'Z') return false;
  const std::string probe = std::string(1, letter) + ":\\" + kProbeFolder;
  if (!CreateDir(probe)) return false;
  return RemoveDir(probe);
}

// The root of the drive the host program lives on; a host outside any drive letter lives on the
// Linux root.
std::string HostDriveRoot() {
  const std::string drive = ExtractFileDrive(ProgramFolder());
  return drive.empty() ? std::string("/") : drive + "\\";
}

// The project folder may come as a Windows text and the chosen folder as the Linux path of the
// same place, so equal texts are not the only way to name one folder.
bool SameFolder(const std::string& a, const std::string& b) {
  if (SameText(a, b)) return true;
  const std::optional<std::string> resolved_a = ResolvePath(a);
  const std::optional<std::string> resolved_b = ResolvePath(b);
  if (!resolved_a || !resolved_b) return false;
  std::error_code error;
  return std::filesystem::equivalent(*resolved_a, *resolved_b, error);
}

}  // namespace

void AddBackslash(std::string& folder) { folder = zk::AddBackslash(folder); }

char ScanDefaultTargetDrive(const std::function<DriveType(char)>& drive_type) {
  char letter = 'A';
  for (; letter <= 'Z'; ++letter) {
    const DriveType type = drive_type(letter);
    if (type == DriveType::Removable || type == DriveType::Remote) break;
  }
  return letter;
}

TfrmProjectBackup::TfrmProjectBackup(form::Prompts& prompts, int delphi_version)
    : prompts_(prompts), build_delphi_version_(delphi_version) {
  using O = OpenDialog::Option;
  SetUpDialog(odFindProjectFile, "odFindProjectFile", "dpr", "Project files (*.dpr)|*.dpr", 1,
              O::ofHideReadOnly | O::ofPathMustExist | O::ofFileMustExist);
  SetUpDialog(odFindUnit, "odFindUnit", "pas", "Delphi units (*.pas;*.dcu)|*.pas;*.dcu", 1,
              O::ofHideReadOnly | O::ofAllowMultiSelect | O::ofPathMustExist |
                  O::ofFileMustExist);
  SetUpDialog(odFindLogFile, "odFindLogFile", "log",
              "Log files (*.log)|*.log|Text files (*.txt)|*.txt|All files (*.*)|*.*", 0,
              O::ofOverwritePrompt | O::ofHideReadOnly | O::ofCreatePrompt);
  SetUpDialog(odExtraFiles, "odExtraFiles", "", "All files (*.*)|*.*", 1,
              O::ofHideReadOnly | O::ofAllowMultiSelect | O::ofPathMustExist |
                  O::ofFileMustExist);

  btnSource.SetHint("First, select the Delphi project (DPR) to be backed up");
  btnTarget.SetHint("Second, select the destination folder for the backup fileset");
  btnLogFile.SetHint("Click this to change the filename or destination folder for the backup log");
  btnExit.SetHint("Close the Project Backup Expert and return to the IDE");
  btnClear.SetHint("Clear all project backup settings");
  btnBackup.SetEnabled(false);
  lblURL.SetCaption(kMakerUrl);

  FormCreate();
}

TfrmProjectBackup::~TfrmProjectBackup() = default;

std::vector<form::Control*> TfrmProjectBackup::Controls() {
  return {&Panel1,    &lblSourceProject, &lbStockUnits, &btnExit,      &StatusMemo,
          &Splitter1, &lblTargetPath,    &Label2,       &btnSource,    &btnTarget,
          &lblLastBackup, &btnLogFile,   &lblLogFile,   &btnBackup,    &Splitter2,
          &lbExtraFiles,  &Label1,       &btnClear,     &lblURL,       &Image1};
}

void TfrmProjectBackup::FormCreate() {
  DelphiVersion = build_delphi_version_;
  DefaultTargetDrive = ScanDefaultTargetDrive();
  lblSourceProject.SetCaption(kNoProject);
  lblTargetPath.SetCaption(kNoTarget);
  lblLogFile.SetCaption(kNoLogFile);
  GlobalIniFile = ProgramFolder() + "ProjectBackup.ini";
  SettingsChanged = false;
  ExtraFilesChanged = false;

  // Filled unsorted, then sorted: the sorted list would drop the second DIROUTLN.
  StockUnits.SetSorted(false);
  StockUnits.Assign(StockUnitTable());
  StockUnits.SetSorted(true);
  SearchPaths.Clear();
  ProcessedUnits.Clear();
  MissingFiles.Clear();
  lbStockUnits.Assign(StockUnits.items());

  ReadSettings(GlobalIniFile, true);

  lbStockUnits.SetHint(kStockUnitsHint);
  lbExtraFiles.SetHint(kExtraFilesHint);
}

void TfrmProjectBackup::FormClose() {
  ProcessedUnits.Clear();
  StockUnits.Clear();
  SearchPaths.Clear();
  MissingFiles.Clear();
}

void TfrmProjectBackup::SetSourceProject(const std::string& value) {
  if (value == source_project_) return;
  source_project_ = value;
  lblSourceProject.SetCaption(value.empty() ? std::string(kNoProject) : value);
  ProjectDir = UpperCase(ExtractFilePath(value));
  SetProjectIniFile(UpperCase(ChangeFileExt(value, ".ini")));
  if (log_file_.empty()) SetLogFile(ChangeFileExt(source_project_, "_backup.log"));
}

void TfrmProjectBackup::SetProjectIniFile(const std::string& value) {
  project_ini_file_ = value;
  // Without a project the name is the bare extension, which would pick up whatever ".INI" lies
  // in the current folder.
  if (!source_project_.empty() && FileExists(value)) {
    ReadSettings(value, false);
  } else {
    ResetToDefaults();
  }
}

void TfrmProjectBackup::ResetToDefaults() {
  SetLastBackup(kNoBackup);
  SetTargetPath(kNoTarget);
  SetLogFile("");
  lbStockUnits.Assign(StockUnits.items());
  EnableBackupButton();
}

void TfrmProjectBackup::SetTargetPath(const std::string& value) {
  if (value == target_path_) return;
  target_path_ = value;
  lblTargetPath.SetCaption(value);
}

void TfrmProjectBackup::SetLogFile(const std::string& value) {
  if (value == log_file_) return;
  log_file_ = value;
  lblLogFile.SetCaption(value);
}

void TfrmProjectBackup::SetLastBackup(const std::string& value) {
  last_backup_ = value;
  lblLastBackup.SetCaption(kLastBackupPrefix + value);
}

void TfrmProjectBackup::EnableBackupButton() {
  btnBackup.SetEnabled(!source_project_.empty() && target_path_ != kNoTarget);
}

void TfrmProjectBackup::btnSourceClick() {
  if (!prompts_.ExecuteOpenDialog(odFindProjectFile)) return;
  SetSourceProject(odFindProjectFile.file_name);
  EnableBackupButton();
}

void TfrmProjectBackup::btnTargetClick() {
  std::string folder = target_path_;
  if (folder.empty()) {
    folder = ProbeDrive(DefaultTargetDrive) ? std::string(1, DefaultTargetDrive) + ":\\"
                                            : HostDriveRoot();
  }
  if (!prompts_.SelectDirectory(folder, form::sdAllowCreate | form::sdPrompt)) return;
  AddBackslash(folder);
  if (!ProjectDir.empty() && SameFolder(folder, ProjectDir)) {
    prompts_.MessageDlg(kSameFolderError, form::MsgDlgType::Error, form::mbOK);
    return;
  }
  SetTargetPath(folder);
  lblTargetPath.SetCaption(target_path_);
  EnableBackupButton();
}

void TfrmProjectBackup::btnLogFileClick() {
  odFindLogFile.file_name = ExtractFileName(lblLogFile.caption());
  if (!prompts_.ExecuteOpenDialog(odFindLogFile)) return;
  SetLogFile(odFindLogFile.file_name);
}

void TfrmProjectBackup::btnClearClick() {
  if (prompts_.MessageDlg("Clear all backup settings?", form::MsgDlgType::Confirmation,
                          form::mbOK | form::mbCancel) != form::ModalResult::OK) {
    return;
  }
  SetSourceProject("");
  SetLogFile("");
  SetTargetPath("");
  SetProjectIniFile("");
  lbExtraFiles.Clear();
  SettingsChanged = false;
  ExtraFilesChanged = false;
  lbStockUnits.Assign(StockUnits.items());
  lblSourceProject.SetCaption(kNoProject);
  lblTargetPath.SetCaption(kNoTarget);
  lblLogFile.SetCaption(kNoLogFile);
  EnableBackupButton();
}

void TfrmProjectBackup::btnExitClick() {
  close_requested_ = true;
  if (OnClose) OnClose();
}

void TfrmProjectBackup::lblURLDblClick() { prompts_.ShellOpen(kMakerAddInsUrl); }

}  // namespace zk::pb
