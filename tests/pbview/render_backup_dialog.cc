// Renders the backup dialog after a backup of a small sample project to a PNG file:
//   pbview_render OUT.png
// The sample lives on drive C: of a Wine prefix made in a temporary folder, so the dialog shows
// the paths a user of the host would see. Runs on the offscreen platform unless QT_QPA_PLATFORM
// says otherwise.

#include <QApplication>
#include <QListView>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/program_folder.h"
#include "projectbackup/pb_main.h"
#include "projectbackup/pb_view.h"
#include "tests/support/scoped_temp_dir.h"

namespace {

// Answers every question with OK and chooses nothing: the render drives the core directly.
class AgreeingPrompts : public zk::form::Prompts {
 public:
  zk::form::ModalResult MessageDlg(const std::string&, zk::form::MsgDlgType, unsigned) override {
    return zk::form::ModalResult::OK;
  }
  bool ExecuteOpenDialog(zk::form::OpenDialog&) override { return false; }
  bool SelectDirectory(std::string&, unsigned) override { return false; }
  bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
  void ShellOpen(const std::string&) override {}
  void MessageBeep(unsigned) override {}
  std::string NowText() override { return "11/12/2026 10:00:00"; }
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * 6; }
  void ShowException(const std::string& message) override {
    std::fprintf(stderr, "error: %s\n", message.c_str());
  }
};

void WriteSample(const zk::test::ScopedTempDir& root) {
  namespace fs = std::filesystem;
  fs::create_directories(root.path() / "wine/dosdevices");
  fs::create_directories(root.path() / "wine/drive_c");
  fs::create_directories(root.path() / "wine/drive_d/Backup");
  fs::create_directory_symlink("../drive_c", root.path() / "wine/dosdevices/c:");
  fs::create_directory_symlink("../drive_d", root.path() / "wine/dosdevices/d:");
  const std::string demo = "wine/drive_c/Projects/Demo/";
  root.Write(demo + "Demo.dpr",
             "program Demo;\r\n\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas' {frmMain},\r\n"
             "  Report in 'Report.pas' {frmReport},\r\n  Util in 'lib\\Util.pas';\r\n\r\n"
             "{$R *.RES}\r\n\r\nbegin\r\n  Application.Initialize;\r\n"
             "  Application.Run;\r\nend.\r\n");
  root.Write(demo + "Demo.res", "res");
  root.Write(demo + "Demo.dof", "[Directories]\r\nSearchPath=lib\r\n");
  root.Write(demo + "Main.pas",
             "unit Main;\r\n\r\ninterface\r\n\r\nuses\r\n  Windows, SysUtils, Classes, Forms,\r\n"
             "  Report, Util, Helpers, Grids3D;\r\n\r\nimplementation\r\n\r\nend.\r\n");
  root.Write(demo + "Main.dfm", "object frmMain: TfrmMain\r\nend\r\n");
  root.Write(demo + "Report.pas",
             "unit Report;\r\n\r\ninterface\r\n\r\nuses SysUtils, Printers, Util;\r\n\r\n"
             "implementation\r\n\r\nend.\r\n");
  root.Write(demo + "Report.dfm", "object frmReport: TfrmReport\r\nend\r\n");
  root.Write(demo + "lib/Util.pas",
             "unit Util;\r\n\r\ninterface\r\n\r\nuses SysUtils, Registry;\r\n\r\n"
             "implementation\r\n\r\nend.\r\n");
  root.Write(demo + "lib/Helpers.pas",
             "unit Helpers;\r\n\r\ninterface\r\n\r\nuses SysUtils, Classes;\r\n\r\n"
             "implementation\r\n\r\nend.\r\n");
  root.Write(demo + "ReadMe.txt", "Demo project\r\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  zk::test::ScopedTempDir root;
  WriteSample(root);
  ::setenv("WINEPREFIX", (root / "wine").c_str(), 1);
  std::filesystem::create_directories(root.path() / "ide");
  zk::SetProgramFolder(root.dir() + "ide/");

  AgreeingPrompts prompts;
  zk::pb::TfrmProjectBackup form(prompts, 4);
  zk::pb::TfrmProjectBackupView view(form);
  form.SetSourceProject("C:\\Projects\\Demo\\Demo.dpr");
  form.SetTargetPath("D:\\Backup\\Demo\\");
  form.EnableBackupButton();
  // One unit excluded by hand and one extra file, as INSERT would add them.
  form.lbStockUnits.Add("GRIDS3D");
  form.SettingsChanged = true;
  const std::string extra = "C:\\Projects\\Demo\\ReadMe.txt";
  form.lbExtraFiles.Add(extra);
  form.lbExtraFiles.SetHorizontalExtent(prompts.TextWidth(extra) + 5);
  form.ExtraFilesChanged = true;
  view.show();
  view.findChild<QPushButton*>(QStringLiteral("btnBackup"))->click();
  // Excluded after the run, so drawn in red until the next one.
  form.lbStockUnits.Add("CHARTS3D");
  app.processEvents();

  if (!view.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
