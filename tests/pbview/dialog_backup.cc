// Runs one backup through the dialog with its Qt view on screen, as a user pressing
// "3: Back It Up!" would, for timing the view against pbackup:
//   pbview_backup [--yes] [--ide-dir DIR] [--log FILE] [--delphi N] PROJECT.dpr TARGET_DIR
// Questions are answered as --yes says (OK, else Cancel); nothing waits for a user. Runs on the
// offscreen platform unless QT_QPA_PLATFORM says otherwise. Exit status as pbackup's.

#include <QApplication>
#include <QPushButton>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/pbackup_options.h"
#include "platform/date_time.h"
#include "platform/path_text.h"
#include "platform/program_folder.h"
#include "projectbackup/pb_main.h"
#include "projectbackup/pb_view.h"

namespace {

class AnsweringPrompts : public zk::form::Prompts {
 public:
  explicit AnsweringPrompts(bool yes) : yes_(yes) {}
  zk::form::ModalResult MessageDlg(const std::string& text, zk::form::MsgDlgType,
                                   unsigned buttons) override {
    std::fprintf(stderr, "%s\n", text.c_str());
    if (!(buttons & zk::form::mbCancel) || yes_) return zk::form::ModalResult::OK;
    return zk::form::ModalResult::Cancel;
  }
  bool ExecuteOpenDialog(zk::form::OpenDialog&) override { return false; }
  bool SelectDirectory(std::string&, unsigned) override { return false; }
  bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
  void ShellOpen(const std::string&) override {}
  void MessageBeep(unsigned) override {}
  std::string NowText() override { return zk::NowText(); }
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * 6; }
  void ShowException(const std::string& message) override {
    std::fprintf(stderr, "error: %s\n", message.c_str());
    failed = true;
  }
  bool failed = false;

 private:
  bool yes_;
};

// Linux paths relative to the current folder made absolute; Windows texts stay as they are.
std::string Absolute(const std::string& path) {
  if (path.empty() || path.front() == '/' || !zk::ExtractFileDrive(path).empty()) return path;
  return std::filesystem::absolute(path).string();
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const zk::cli::ParsedArguments parsed =
      zk::cli::ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty() || parsed.options.target.empty()) {
    std::fprintf(stderr, "usage: %s [--yes] [--ide-dir DIR] [--log FILE] PROJECT.dpr TARGET_DIR\n",
                 argv[0]);
    return 2;
  }
  const zk::cli::PbackupOptions& options = parsed.options;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (!options.ide_dir.empty()) zk::SetProgramFolder(zk::AddBackslash(Absolute(options.ide_dir)));

  AnsweringPrompts prompts(options.assume_yes);
  zk::pb::TfrmProjectBackup form(prompts, options.delphi_version);
  zk::pb::TfrmProjectBackupView view(form);
  view.show();
  app.processEvents();
  form.SetSourceProject(Absolute(options.project));
  if (!options.log_file.empty()) form.SetLogFile(Absolute(options.log_file));
  form.SetTargetPath(zk::AddBackslash(Absolute(options.target)));
  form.EnableBackupButton();
  view.findChild<QPushButton*>(QStringLiteral("btnBackup"))->click();
  app.processEvents();

  if (prompts.failed || !form.FailedCopies.empty()) return 2;
  return form.MissingFiles.Count() > 0 ? 1 : 0;
}
