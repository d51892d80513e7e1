#include "tests/reliability/demo_project.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/program_folder.h"
#include "projectbackup/pb_main.h"

namespace zk::test {

namespace fs = std::filesystem;

form::ModalResult RecordingPrompts::MessageDlg(const std::string& text, form::MsgDlgType,
                                               unsigned) {
  messages.push_back(text);
  order_.push_back("message: " + text);
  return form::ModalResult::OK;
}

bool RecordingPrompts::InputQuery(const std::string&, const std::string&, std::string& value) {
  if (input_answers.empty()) return false;
  value = input_answers.front();
  input_answers.erase(input_answers.begin());
  return true;
}

std::string RecordingPrompts::Report() const {
  std::string report;
  for (const std::string& line : order_) report += line + "\n";
  for (const std::string& line : exceptions) report += "exception: " + line + "\n";
  return report;
}

DemoProject::DemoProject(const ScopedTempDir& root)
    : project_dir(root.dir() + "project/"),
      project(project_dir + "Demo.dpr"),
      target(root.dir() + "target/"),
      ide_dir(root.dir() + "ide/"),
      log_file(project_dir + "Demo_backup.log"),
      settings(project_dir + "DEMO.INI") {
  root.Write("project/Demo.dpr",
             "program Demo;\r\n\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas' {frmMain},\r\n"
             "  Util in 'Util.pas';\r\n\r\n{$R *.RES}\r\n\r\nbegin\r\nend.\r\n");
  root.Write("project/Demo.dof", "[Directories]\r\nSearchPath=../shared\r\n");
  root.Write("project/Main.pas",
             "unit Main;\r\n\r\ninterface\r\n\r\nuses\r\n  Windows, SysUtils, Shared, Gone;\r\n\r\n"
             "implementation\r\n\r\nuses Util;\r\n\r\nend.\r\n");
  root.Write("project/Main.dfm", "object frmMain: TfrmMain\r\nend\r\n");
  root.Write("project/Util.pas", "unit Util;\r\n\r\ninterface\r\n\r\nimplementation\r\n\r\nend.\r\n");
  root.Write("shared/Shared.pas", "unit Shared;\r\n\r\ninterface\r\n\r\nimplementation\r\n\r\nend.\r\n");
  fs::create_directories(target);
  fs::create_directories(ide_dir);
  fs::create_directories(root.dir() + "prefix");
}

void EnterDemoEnvironment(const DemoProject& demo) {
  SetProgramFolder(demo.ide_dir);
  const std::string prefix = fs::path(demo.ide_dir).parent_path().parent_path().string() + "/prefix";
  ::setenv("WINEPREFIX", prefix.c_str(), 1);
  if (::chdir(demo.project_dir.c_str()) != 0) std::abort();
}

std::string RunDemoBackup(const DemoProject& demo, RecordingPrompts& prompts,
                          const std::string& target) {
  EnterDemoEnvironment(demo);
  pb::TfrmProjectBackup form(prompts, 4);
  form.SetSourceProject(demo.project);
  form.SetTargetPath(target.empty() ? demo.target : target);
  form.SetLogFile(demo.log_file);
  form.EnableBackupButton();
  // As in the dialog, a backup starts only from an enabled button.
  if (!form.btnBackup.enabled()) {
    return prompts.Report() + "button disabled; project: " + form.SourceProject() + "\n";
  }
  form.btnBackupClick();
  std::string report = prompts.Report();
  for (const std::string& line : form.StatusMemo.lines()) {
    if (line.starts_with("BACKUP COMPLETED")) report += "outcome: " + line + "\n";
  }
  for (const form::Control* control : form.Controls()) {
    if (!control->enabled()) report += "locked: a control stays disabled\n";
  }
  return report;
}

std::vector<std::string> TemporaryFilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const std::string& name : NamesIn(folder)) {
    if (name.starts_with('.') && name.ends_with(".tmp")) names.push_back(name);
  }
  return names;
}

std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace zk::test
