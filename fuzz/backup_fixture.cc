#include "fuzz/backup_fixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/file_ops.h"
#include "platform/program_folder.h"

namespace zk::fuzz {

const char* const kDemoProjectText =
    "program Demo;\r\n\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas' {frmMain},\r\n"
    "  Util in 'Util.pas';\r\n\r\n{$R *.RES}\r\n\r\nbegin\r\n  Application.Run;\r\nend.\r\n";

namespace {

constexpr const char* kUserReg =
    "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21\n\n#arch=win32\n\n"
    "[Software\\\\Borland\\\\Delphi\\\\4.0\\\\Library] 1700000000\n#time=1d\n"
    "\"Search Path\"=\"$(DELPHI)\\\\Lib;C:\\\\Lib2\"\n\n"
    "[Software\\\\Borland\\\\Package Collection Editor\\\\Installed Programs\\\\Delphi] 1700000000\n"
    "#time=1d\n\"Path\"=\"C:\\\\D4\"\n";

BackupFixture Build() {
  BackupFixture f;
  const std::string prefix = WorkDir() + "prefix";
  SetUpWinePrefix(prefix, kUserReg);
  f.drive_c = std::filesystem::canonical(prefix + "/drive_c").string() + "/";
  f.project_dir = f.drive_c + "work/Demo/";
  f.target_dir = f.drive_c + "backup/";
  f.ide_dir = WorkDir() + "ide/";
  MakeFolders(f.project_dir);
  MakeFolders(f.target_dir);
  MakeFolders(f.ide_dir);
  MakeFolders(f.drive_c + "work/Shared");
  MakeFolders(f.drive_c + "D4/Lib");
  MakeFolders(f.drive_c + "Lib2");

  WriteBytes(f.project_dir + "Demo.dpr", kDemoProjectText);
  WriteBytes(f.project_dir + "Demo.dof", "[Directories]\r\nSearchPath=..\\Shared;$(DELPHI)\\Lib\r\n");
  WriteBytes(f.project_dir + "Demo.res", "res");
  WriteBytes(f.project_dir + "Main.pas",
             "unit Main;\r\ninterface\r\nuses\r\n  Windows, Shared, Grid2,\r\n  Gone;\r\n"
             "implementation\r\nuses Util, Extra;\r\nend.\r\n");
  WriteBytes(f.project_dir + "Main.dfm", "object frmMain end");
  WriteBytes(f.project_dir + "Util.pas", "unit Util;\r\ninterface\r\nimplementation\r\nend.\r\n");
  WriteBytes(f.drive_c + "work/Shared/Shared.pas", "unit Shared;");
  WriteBytes(f.drive_c + "work/Shared/Shared.dfm", "object");
  WriteBytes(f.drive_c + "D4/Lib/Grid2.dcu", "dcu");
  WriteBytes(f.drive_c + "D4/Lib/Grid2.dfm", "object");
  WriteBytes(f.drive_c + "D4/Lib/SysUtils.pas", "unit SysUtils;");
  WriteBytes(f.drive_c + "Lib2/Extra.pas", "unit Extra;");
  WriteBytes(f.drive_c + "Lib2/extra.PAS", "unit extra;");

  SetProgramFolder(f.ide_dir);
  // pbackup and the host enter the project folder before a run.
  if (::chdir(f.project_dir.c_str()) != 0) std::abort();
  return f;
}

bool IsTemporaryName(const std::string& name) { return name.starts_with('.') && name.ends_with(".tmp"); }

}  // namespace

const BackupFixture& SetUpBackupFixture() {
  static const BackupFixture fixture = Build();
  return fixture;
}

void ResetBackupState(const BackupFixture& fixture) {
  RemoveFolderContents(fixture.target_dir);
  RemoveFolderContents(fixture.ide_dir);
  std::error_code error;
  std::filesystem::remove(fixture.project_dir + "DEMO.INI", error);
  std::filesystem::remove(fixture.project_dir + "Demo_backup.log", error);
}

void RunBackupAndCheck(const BackupFixture& fixture,
                       const std::function<void(const pb::TfrmProjectBackup&)>& more) {
  FuzzPrompts prompts;
  pb::TfrmProjectBackup form(prompts, 4);
  form.SetSourceProject(BackupFixture::kProject);
  form.SetTargetPath(BackupFixture::kTarget);
  form.btnBackupClick();

  for (form::Control* control : form.Controls()) {
    Check(control->enabled(), "every control is enabled after the run");
  }
  for (const std::string& name : FolderNames(fixture.target_dir)) {
    Check(!IsTemporaryName(name), "no temporary file is left in the target");
    Check(!std::filesystem::is_directory(fixture.target_dir + name), "the copy is flat");
  }
  if (!prompts.exceptions.empty()) return;  // the user was shown the error
  Check(!prompts.messages.empty(), "the user is told the outcome");
  std::vector<std::string> log;
  Check(static_cast<bool>(ReadTextLines(form.LogFile(), log)), "the log file is written");
  Check(log.size() == form.StatusMemo.lines().size() + 3, "the log holds the memo and the footer");
  for (size_t i = 0; i < form.StatusMemo.lines().size(); ++i) {
    Check(log[i] == form.StatusMemo.lines()[i], "the log holds the memo's lines");
  }
  Check(log.back() == std::string(60, '='), "the log ends with the rule");
  if (more) more(form);
}

}  // namespace zk::fuzz
