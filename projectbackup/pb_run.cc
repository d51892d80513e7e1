// The backup run behind "3: &Back It Up!": copies the project, its main units, the units they
// use and the extra files flat into the target folder, writes the log, saves the settings and
// reports the outcome.

#include <exception>
#include <stdexcept>
#include <string>

#include "platform/file_ops.h"
#include "platform/path_resolver.h"
#include "platform/path_text.h"
#include "projectbackup/pb_main.h"

namespace zk::pb {

namespace {

constexpr const char* kCompanionExtensions[] = {".dpr", ".dof", ".opt", ".cfg", ".res"};
const std::string kRule(60, '=');

// The text between the first two apostrophes of a line; empty when there are fewer than two.
std::string QuotedName(const std::string& line) {
  const size_t open = line.find('\'');
  if (open == std::string::npos) return {};
  const size_t close = line.find('\'', open + 1);
  if (close == std::string::npos) return {};
  return line.substr(open + 1, close - open - 1);
}

}  // namespace

void TfrmProjectBackup::btnBackupClick() {
  // Every folder listing is read once for the whole run.
  DirCacheScope listing_cache;

  SearchPaths.Clear();
  ProcessedUnits.Clear();
  MissingFiles.Clear();
  FailedCopies.clear();
  copies_.clear();
  failed_copy_keys_.clear();
  CreateDir(TargetPath());
  // The sorted list keeps one of each name, as the scanner needs it.
  StockUnits.Clear();
  for (const std::string& name : lbStockUnits.items()) StockUnits.Add(name);

  const std::string project_name = ExtractFileName(SourceProject());
  if (FileExists(TargetPath() + project_name)) {
    const std::string question = project_name + " already exists in the " + TargetPath() +
                                 " directory!\rAre you sure that you wish to overwrite the "
                                 "previous backup?";
    if (prompts_.MessageDlg(question, form::MsgDlgType::Warning, form::mbOK | form::mbCancel) !=
        form::ModalResult::OK) {
      return;
    }
  }

  DisableControls();
  try {
    RunBackup();
  } catch (const std::exception& error) {
    // The dialog must not stay locked: the user can correct the cause and run again.
    while (StatusMemo.updating()) StatusMemo.EndUpdate();
    prompts_.ShowException(error.what());
  }
  EnableControls();
}

void TfrmProjectBackup::RunBackup() {
  StatusMemo.Clear();
  StatusMemo.Repaint();
  StatusMemo.Add("BACKUP STARTED AT " + prompts_.NowText());
  StatusMemo.Add(SourceProject());
  StatusMemo.Add("Delphi Version #" + std::to_string(DelphiVersion));
  StatusMemo.Add("");
  StatusMemo.Add("PROJECT FILES");
  for (const char* ext : kCompanionExtensions) {
    const std::string file = ChangeFileExt(SourceProject(), ext);
    if (!FileExists(file)) continue;
    StatusMemo.Add(file);
    CopyToTarget(file, file);
  }

  BuildSearchPathList();

  StatusMemo.Add("");
  StatusMemo.Add("MAIN UNITS");
  CopyMainUnits();

  ProcessDependencies();

  if (lbExtraFiles.count() > 0) {
    StatusMemo.Add("");
    StatusMemo.Add("EXTRA FILES");
    for (const std::string& file : lbExtraFiles.items()) {
      StatusMemo.Add(file);
      CopyToTarget(file, file);
    }
  }

  WriteLogEnd();
  if (OpResult saved = SaveSettings(); !saved) throw std::runtime_error(saved.error);
  ReportOutcome();
}

// The main units are the quoted file names of the project's uses list. The first line after
// the one beginning with "uses" is never looked at: it names the framework's Forms unit.
void TfrmProjectBackup::CopyMainUnits() {
  TextReader project;
  if (!project.Open(SourceProject())) return;
  std::string line;
  bool found = false;
  while (!found && project.ReadLine(line)) found = UpperCase(line).starts_with("USES");
  if (!found || !project.ReadLine(line)) return;
  while (project.ReadLine(line)) {
    const bool list_ends = line.find(';') != std::string::npos;
    // A unit named without a file gives no name: it has nothing to copy.
    if (const std::string name = QuotedName(line); !name.empty()) ProcessMainUnit(name);
    if (list_ends) break;
  }
}

void TfrmProjectBackup::ProcessMainUnit(const std::string& name) {
  ProcessedUnits.Add(UpperCase(ChangeFileExt(ExtractFileName(name), "")));
  StatusMemo.Add(ProjectDir + name);
  CopyToTarget(ProjectDir + name, name);
  const std::string form_file = ChangeFileExt(name, ".dfm");
  if (CopyToTarget(ProjectDir + form_file, form_file)) StatusMemo.Add(ProjectDir + form_file);
}

bool TfrmProjectBackup::CopyToTarget(const std::string& source, const std::string& dest_name) {
  // Only the file part: a name such as "..\..\x" must not place a copy outside the target.
  const std::string file_name = ExtractFileName(dest_name);
  if (file_name.empty()) return false;
  const std::string key = UpperCase(file_name);
  auto done = copies_.find(key);
  if (done != copies_.end() && done->second.source == source) return done->second.ok;
  if (!FileExists(source)) return false;

  const std::string dest = TargetPath() + file_name;
  const bool ok = static_cast<bool>(CopyFileReplace(source, dest));
  copies_[key] = {source, ok};
  if (!ok && failed_copy_keys_.insert(key).second) FailedCopies.push_back(dest);
  return ok;
}

// The completion line, the missing and failed files, the footer; then the log file.
void TfrmProjectBackup::WriteLogEnd() {
  std::string outcome = "SUCCESSFULLY";
  if (!FailedCopies.empty()) {
    outcome = "WITH ERRORS";
  } else if (MissingFiles.Count() > 0) {
    outcome = "WITH FILES MISSING";
  }
  StatusMemo.Add("");
  StatusMemo.Add("BACKUP COMPLETED " + outcome + " AT " + prompts_.NowText());
  if (MissingFiles.Count() > 0) {
    StatusMemo.Add("");
    StatusMemo.Add("MISSING FILES:");
    for (const std::string& entry : MissingFiles.items()) StatusMemo.Add(entry);
  }
  if (!FailedCopies.empty()) {
    StatusMemo.Add("");
    StatusMemo.Add("FILES NOT COPIED:");
    for (const std::string& dest : FailedCopies) StatusMemo.Add(dest);
  }

  StatusMemo.BeginUpdate();
  StatusMemo.Add(kRule);
  StatusMemo.Add("Performed by Quorvin's Project Backup Expert (version 1.0)");
  StatusMemo.Add(std::string(kMakerNotice) + " - " + kMakerUrl);
  StatusMemo.Add(std::string("Try the Pellora components at ") + kPelloraUrl);
  StatusMemo.Add(kRule);
  if (OpResult written = WriteTextLines(LogFile(), StatusMemo.lines()); !written) {
    throw std::runtime_error(written.error);
  }
  // The notice and the rule under it belong to the file only.
  StatusMemo.RemoveLast(3);
  StatusMemo.EndUpdate();
}

void TfrmProjectBackup::ReportOutcome() {
  const bool missing = MissingFiles.Count() > 0;
  if (!FailedCopies.empty()) {
    prompts_.MessageBeep(form::MB_ICONEXCLAMATION);
    prompts_.MessageDlg(
        std::string("Backup completed but some file(s) could not be copied") +
            (missing ? " and some file(s) were not found" : "") + "\rPlease refer to " +
            LogFile() + " for a list of " +
            (missing ? "missing files and files not copied" : "files not copied"),
        form::MsgDlgType::Warning, form::mbOK);
  } else if (missing) {
    prompts_.MessageBeep(form::MB_ICONEXCLAMATION);
    prompts_.MessageDlg("Backup completed but some file(s) were not found\rPlease refer to " +
                            LogFile() + " for a list of missing files",
                        form::MsgDlgType::Warning, form::mbOK);
  } else {
    prompts_.MessageBeep(form::MB_ICONASTERISK);
    prompts_.MessageDlg("Backup completed successfully!", form::MsgDlgType::Information,
                        form::mbOK);
  }
}

void TfrmProjectBackup::DisableControls() {
  for (form::Control* control : Controls()) {
    if (control->windowed()) control->SetEnabled(false);
  }
}

void TfrmProjectBackup::EnableControls() {
  for (form::Control* control : Controls()) control->SetEnabled(true);
}

}  // namespace zk::pb
