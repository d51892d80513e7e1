#pragma once
// A small project in a real temporary folder, and a backup of it run the way pbackup runs one:
// the project folder is the current folder, the program folder and the Wine prefix are the
// test's own (so no settings or registry of the user are touched).

#include <string>
#include <vector>

#include "formcore/prompts.h"
#include "tests/support/scoped_temp_dir.h"

namespace zk::test {

// Answers every question with OK and every text prompt from `input_answers`; records what the
// user is told. Never blocks and never fails on its own, so it also works in a child process.
class RecordingPrompts : public form::Prompts {
 public:
  std::vector<std::string> input_answers;
  std::vector<std::string> messages;
  std::vector<std::string> exceptions;

  form::ModalResult MessageDlg(const std::string& text, form::MsgDlgType, unsigned) override;
  bool ExecuteOpenDialog(form::OpenDialog&) override { return false; }
  bool SelectDirectory(std::string&, unsigned) override { return false; }
  bool InputQuery(const std::string&, const std::string&, std::string& value) override;
  void ShellOpen(const std::string&) override {}
  void MessageBeep(unsigned) override {}
  std::string NowText() override { return "11.12.2026 10:00:00"; }
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * 6; }
  void ShowException(const std::string& message) override { exceptions.push_back(message); }

  // "message: ..." and "exception: ..." lines, in the order they came.
  std::string Report() const;

 private:
  std::vector<std::string> order_;
};

// The layout in `root`: project/Demo.dpr naming Main.pas and Util.pas; Main.pas using Util,
// Shared and Gone (Gone exists nowhere); Main.dfm; shared/Shared.pas named by Demo.dof;
// target/ (empty); ide/ (the program folder); prefix/ (a Wine prefix without a registry).
struct DemoProject {
  explicit DemoProject(const ScopedTempDir& root);
  std::string project_dir;  // with a trailing '/'
  std::string project;      // .../project/Demo.dpr
  std::string target;       // .../target/
  std::string ide_dir;      // .../ide/
  std::string log_file;     // .../project/Demo_backup.log
  std::string settings;     // .../project/DEMO.INI
};

// Points the program folder and $WINEPREFIX at the project's own folders and enters the
// project folder.
void EnterDemoEnvironment(const DemoProject& demo);

// One backup of the demo project into `target` (default: the demo's target), logged to the
// demo's log file; returns the prompts' report followed by "outcome: " and the log's completion
// line, if any. When the settings read leave the backup button disabled, nothing is run and the
// report says "button disabled; project: " and the dialog's project.
std::string RunDemoBackup(const DemoProject& demo, RecordingPrompts& prompts,
                          const std::string& target = "");

// Hidden temporary files (".name.xxxx.tmp") in a folder.
std::vector<std::string> TemporaryFilesIn(const std::string& folder);
// Every entry name of a folder, sorted.
std::vector<std::string> NamesIn(const std::string& folder);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace zk::test
