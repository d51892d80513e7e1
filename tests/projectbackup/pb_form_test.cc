#include <algorithm>
#include <set>

#include "platform/path_text.h"
#include "tests/projectbackup/pb_fixture.h"

namespace zk::pb::test {
namespace {

using form::ModalResult;
using form::MsgDlgType;

TEST(StockUnitTable, HoldsHundredEntriesWithDiroutlnTwice) {
  const auto& table = StockUnitTable();
  ASSERT_EQ(table.size(), 100u);
  EXPECT_EQ(table.front(), "WINDOWS");
  EXPECT_EQ(table.back(), "TOOLWIN");
  EXPECT_EQ(table[69], "DIROUTLN");
  EXPECT_EQ(table[88], "DIROUTLN");
  EXPECT_EQ(std::set<std::string>(table.begin(), table.end()).size(), 99u);
  for (const auto& name : table) EXPECT_EQ(name, UpperCase(name));
}

TEST(AddBackslashRoutine, AppendsOneSeparatorOnlyWhenMissing) {
  struct Case {
    std::string in, out;
  };
  for (const Case& c : std::vector<Case>{{"C:\\Backup", "C:\\Backup\\"},
                                         {"C:\\Backup\\", "C:\\Backup\\"},
                                         {"C:\\", "C:\\"},
                                         {"/home/u/backup", "/home/u/backup/"},
                                         {"/home/u/backup/", "/home/u/backup/"},
                                         {"d:\\Mixed Case ", "d:\\Mixed Case \\"}}) {
    std::string folder = c.in;
    AddBackslash(folder);
    EXPECT_EQ(folder, c.out) << c.in;
  }
}

TEST_F(BackupDialogTest, FirstUseShowsPlaceholdersAndDisablesBackup) {
  auto form = Open();
  EXPECT_EQ(form->lblSourceProject.caption(), kNoProject);
  EXPECT_EQ(form->lblTargetPath.caption(), kNoTarget);
  EXPECT_EQ(form->lblLogFile.caption(), kNoLogFile);
  EXPECT_EQ(form->lblLastBackup.caption(), "");
  EXPECT_FALSE(form->btnBackup.enabled());
  EXPECT_EQ(form->SourceProject(), "");
  EXPECT_EQ(form->ProjectDir, "");
  EXPECT_EQ(form->GlobalIniFile, temp.dir() + "ide/ProjectBackup.ini");
  EXPECT_FALSE(form->SettingsChanged);
  EXPECT_FALSE(form->ExtraFilesChanged);
  EXPECT_EQ(form->lbExtraFiles.count(), 0);
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_FALSE(std::filesystem::exists(GlobalIni()));
}

TEST_F(BackupDialogTest, UnitsListStartsWithTheSortedTableDiroutlnSideBySide) {
  auto form = Open();
  const auto& items = form->lbStockUnits.items();
  ASSERT_EQ(items.size(), 100u);
  EXPECT_TRUE(std::is_sorted(items.begin(), items.end(),
                             [](const auto& a, const auto& b) { return CompareText(a, b) < 0; }));
  const auto first = std::find(items.begin(), items.end(), "DIROUTLN");
  ASSERT_NE(first, items.end());
  EXPECT_EQ(*(first + 1), "DIROUTLN");
  EXPECT_EQ(form->StockUnits.items(), items);
  EXPECT_EQ(form->StockUnits.Count(), 100);
}

TEST_F(BackupDialogTest, DelphiVersionComesFromTheBuild) {
  EXPECT_EQ(Open(4)->DelphiVersion, 4);
  EXPECT_EQ(Open(3)->DelphiVersion, 3);
}

TEST_F(BackupDialogTest, NoRemovableOrRemoteDriveLeavesNoDriveLetter) {
  // The prefix maps only C:, a fixed disk.
  auto form = Open();
  EXPECT_FALSE(form->DefaultTargetDrive >= 'A' && form->DefaultTargetDrive <= 'Z')
      << form->DefaultTargetDrive;
}

TEST_F(BackupDialogTest, DialogsHintsAndCaptionsAsDesigned) {
  using O = form::OpenDialog::Option;
  auto form = Open();
  struct Expected {
    const form::OpenDialog& dialog;
    std::string name, ext, filter;
    int index;
    unsigned options;
  };
  const std::vector<Expected> dialogs = {
      {form->odFindProjectFile, "odFindProjectFile", "dpr", "Project files (*.dpr)|*.dpr", 1,
       O::ofHideReadOnly | O::ofPathMustExist | O::ofFileMustExist},
      {form->odFindUnit, "odFindUnit", "pas", "Delphi units (*.pas;*.dcu)|*.pas;*.dcu", 1,
       O::ofHideReadOnly | O::ofAllowMultiSelect | O::ofPathMustExist | O::ofFileMustExist},
      {form->odFindLogFile, "odFindLogFile", "log",
       "Log files (*.log)|*.log|Text files (*.txt)|*.txt|All files (*.*)|*.*", 0,
       O::ofOverwritePrompt | O::ofHideReadOnly | O::ofCreatePrompt},
      {form->odExtraFiles, "odExtraFiles", "", "All files (*.*)|*.*", 1,
       O::ofHideReadOnly | O::ofAllowMultiSelect | O::ofPathMustExist | O::ofFileMustExist},
  };
  for (const Expected& e : dialogs) {
    EXPECT_EQ(e.dialog.name, e.name);
    EXPECT_EQ(e.dialog.default_ext, e.ext) << e.name;
    EXPECT_EQ(e.dialog.filter, e.filter) << e.name;
    EXPECT_EQ(e.dialog.filter_index, e.index) << e.name;
    EXPECT_EQ(e.dialog.options, e.options) << e.name;
    EXPECT_EQ(e.dialog.initial_dir, "") << e.name;
  }
  EXPECT_EQ(form->lbStockUnits.hint(),
            "Units listed here will be excluded from backups performed\r"
            "during this session. Click this listbox, then press INSERT\r"
            "or DELETE to exclude/include other units as necessary.");
  EXPECT_EQ(form->lbExtraFiles.hint(),
            "Any files listed here will be included in backups performed\r"
            "during this session. Click this listbox, then press INSERT\r"
            "or DELETE to add or remove files as necessary.");
  EXPECT_EQ(form->btnSource.hint(), "First, select the Delphi project (DPR) to be backed up");
  EXPECT_EQ(form->btnTarget.hint(), "Second, select the destination folder for the backup fileset");
  EXPECT_EQ(form->btnLogFile.hint(),
            "Click this to change the filename or destination folder for the backup log");
  EXPECT_EQ(form->btnExit.hint(), "Close the Project Backup Expert and return to the IDE");
  EXPECT_EQ(form->btnClear.hint(), "Clear all project backup settings");
  EXPECT_EQ(form->btnBackup.hint(), "");
  EXPECT_EQ(form->lblURL.caption(), kMakerUrl);
  EXPECT_EQ(form->Label1.caption(), "&Extra files to backup");
  EXPECT_EQ(form->Label2.caption(), "&Units to be excluded from the backup");
}

TEST_F(BackupDialogTest, ControlsAreListedInDeclarationOrder) {
  auto form = Open();
  std::vector<std::string> names;
  for (form::Control* control : form->Controls()) names.push_back(control->name());
  EXPECT_EQ(names, (std::vector<std::string>{
                       "Panel1", "lblSourceProject", "lbStockUnits", "btnExit", "StatusMemo",
                       "Splitter1", "lblTargetPath", "Label2", "btnSource", "btnTarget",
                       "lblLastBackup", "btnLogFile", "lblLogFile", "btnBackup", "Splitter2",
                       "lbExtraFiles", "Label1", "btnClear", "lblURL", "Image1"}));
}

TEST_F(BackupDialogTest, ProjectWithoutSettingsFileGetsTheDefaults) {
  const std::string project = Project("Demo", "Demo");
  auto form = Open();
  form->SetSourceProject(project);

  const std::string folder = ExtractFilePath(project);
  EXPECT_EQ(form->lblSourceProject.caption(), project);
  EXPECT_EQ(form->ProjectDir, UpperCase(folder));
  EXPECT_EQ(form->ProjectIniFile(), UpperCase(folder + "Demo.ini"));
  EXPECT_EQ(form->LogFile(), folder + "Demo_backup.log");
  EXPECT_EQ(form->lblLogFile.caption(), folder + "Demo_backup.log");
  EXPECT_EQ(form->TargetPath(), kNoTarget);
  EXPECT_EQ(form->lblTargetPath.caption(), kNoTarget);
  EXPECT_EQ(form->LastBackup(), kNoBackup);
  EXPECT_EQ(form->lblLastBackup.caption(), "Last backup: <none>");
  EXPECT_FALSE(form->btnBackup.enabled());
}

TEST_F(BackupDialogTest, WindowsTextProjectDerivesItsNamesAndReadsThroughTheDriveMap) {
  Write(DriveC() + "Work/Demo/Demo.dpr", "program Demo;\r\n");
  Write(DriveC() + "Work/Demo/Demo.ini",
        "[Settings]\r\nSourceProject=C:\\Work\\Demo\\Demo.dpr\r\nTargetPath=C:\\Backup\\Demo\\\r\n"
        "LastBackup=01.02.2026 03:04:05\r\n");
  auto form = Open();
  form->SetSourceProject("C:\\Work\\Demo\\Demo.dpr");

  EXPECT_EQ(form->ProjectDir, "C:\\WORK\\DEMO\\");
  EXPECT_EQ(form->ProjectIniFile(), "C:\\WORK\\DEMO\\DEMO.INI");
  EXPECT_EQ(form->LogFile(), "C:\\Work\\Demo\\Demo_backup.log");
  EXPECT_EQ(form->TargetPath(), "C:\\Backup\\Demo\\");
  EXPECT_EQ(form->LastBackup(), "01.02.2026 03:04:05");
  EXPECT_TRUE(form->btnBackup.enabled());
}

TEST_F(BackupDialogTest, SettersMirrorTheirValuesIntoTheLabels) {
  auto form = Open();
  int target_changes = 0;
  form->lblTargetPath.OnChange = [&] { ++target_changes; };
  form->SetTargetPath("/srv/backup/");
  EXPECT_EQ(form->lblTargetPath.caption(), "/srv/backup/");
  EXPECT_EQ(target_changes, 1);
  form->SetTargetPath("/srv/backup/");  // same text: nothing happens
  EXPECT_EQ(target_changes, 1);

  form->SetLogFile("/srv/log.txt");
  EXPECT_EQ(form->lblLogFile.caption(), "/srv/log.txt");
  form->SetLogFile("");
  EXPECT_EQ(form->lblLogFile.caption(), "");  // no placeholder for an empty log file

  form->SetLastBackup("yesterday");
  EXPECT_EQ(form->LastBackup(), "yesterday");
  EXPECT_EQ(form->lblLastBackup.caption(), "Last backup: yesterday");
}

TEST_F(BackupDialogTest, BackupButtonNeedsProjectAndChosenDestination) {
  const std::string project = Project("Demo", "Demo");
  struct Case {
    bool with_project;
    std::string target;
    bool enabled;
  };
  for (const Case& c : std::vector<Case>{{true, "/srv/backup/", true},
                                         {true, kNoTarget, false},
                                         {true, "", true},
                                         {false, "/srv/backup/", false}}) {
    auto form = Open();
    if (c.with_project) form->SetSourceProject(project);
    form->SetTargetPath(c.target);
    form->EnableBackupButton();
    EXPECT_EQ(form->btnBackup.enabled(), c.enabled) << c.with_project << " '" << c.target << "'";
  }
}

TEST_F(BackupDialogTest, SameProjectTextDoesNotReadTheSettingsAgain) {
  const std::string project = Project("Demo", "Demo");
  const std::string ini = temp / "Demo/Demo.ini";
  Write(ini, "[Settings]\r\nSourceProject=" + project + "\r\nTargetPath=/srv/one/\r\n");
  auto form = Open();
  form->SetSourceProject(project);
  ASSERT_EQ(form->TargetPath(), "/srv/one/");

  Write(ini, "[Settings]\r\nSourceProject=" + project + "\r\nTargetPath=/srv/two/\r\n");
  form->SetSourceProject(project);
  EXPECT_EQ(form->TargetPath(), "/srv/one/");

  // Letter case counts: another text for the same file is a change of project, and the file,
  // read again, names the project as it stands there.
  form->SetSourceProject(ExtractFilePath(project) + "DEMO.dpr");
  EXPECT_EQ(form->TargetPath(), "/srv/two/");
  EXPECT_EQ(form->SourceProject(), project);
}

// The IDE's project P replaces the restored project X.
TEST_F(BackupDialogTest, IdeProjectReplacesTheRestoredOne) {
  const std::string x = Project("X", "X");
  const std::string p = Project("P", "P");
  Write(temp / "X/X.ini",
        "[Settings]\r\nSourceProject=" + x + "\r\nTargetPath=/srv/x/\r\nLastBackup=then\r\n");
  WriteGlobal(x);

  struct Case {
    bool p_has_settings;
    std::string log_file, target, last_backup;
    bool enabled;
  };
  const std::string x_log = ExtractFilePath(x) + "X_backup.log";
  const std::string p_log = ExtractFilePath(p) + "P_backup.log";
  for (const Case& c : std::vector<Case>{{true, x_log, "/srv/p/", "then", true},
                                         {false, p_log, kNoTarget, kNoBackup, false}}) {
    std::filesystem::remove(temp / "P/P.ini");
    if (c.p_has_settings) Write(temp / "P/P.ini", "[Settings]\r\nSourceProject=" + p +
                                                      "\r\nTargetPath=/srv/p/\r\n");
    auto form = Open();
    ASSERT_EQ(form->SourceProject(), x);
    ASSERT_EQ(form->TargetPath(), "/srv/x/");
    form->SetSourceProject(p);
    EXPECT_EQ(form->lblSourceProject.caption(), p);
    EXPECT_EQ(form->LogFile(), c.log_file) << c.p_has_settings;
    EXPECT_EQ(form->TargetPath(), c.target) << c.p_has_settings;
    EXPECT_EQ(form->LastBackup(), c.last_backup) << c.p_has_settings;
    EXPECT_EQ(form->btnBackup.enabled(), c.enabled) << c.p_has_settings;
  }
}

TEST_F(BackupDialogTest, NoProjectOpenWhileALastProjectIsRemembered) {
  const std::string x = Project("X", "X");
  Write(temp / "X/X.ini", "[Settings]\r\nSourceProject=" + x + "\r\nTargetPath=/srv/x/\r\n");
  WriteGlobal(x);
  auto form = Open();
  form->SetSourceProject("");
  EXPECT_EQ(form->lblSourceProject.caption(), kNoProject);
  EXPECT_EQ(form->ProjectDir, "");
  EXPECT_EQ(form->lblLogFile.caption(), "_backup.log");
  EXPECT_EQ(form->lblLastBackup.caption(), "Last backup: <none>");
  EXPECT_EQ(form->TargetPath(), kNoTarget);
  EXPECT_FALSE(form->btnBackup.enabled());
}

TEST_F(BackupDialogTest, StrayIniFileInTheCurrentFolderIsNotTakenForNoProject) {
  const std::string x = Project("X", "X");
  Write(temp / "X/X.ini", "[Settings]\r\nSourceProject=" + x + "\r\nTargetPath=/srv/x/\r\n");
  Write(temp / "cwd/.INI", "[Settings]\r\nSourceProject=" + x + "\r\nTargetPath=/srv/stray/\r\n");
  const auto old_cwd = std::filesystem::current_path();
  std::filesystem::current_path(temp.path() / "cwd");
  auto form = Open();
  form->SetSourceProject(x);
  form->SetSourceProject("");
  std::filesystem::current_path(old_cwd);
  EXPECT_EQ(form->SourceProject(), "");
  EXPECT_EQ(form->TargetPath(), kNoTarget);
}

TEST_F(BackupDialogTest, SourceButtonChoosesTheProject) {
  const std::string project = Project("Demo", "Demo");
  Write(temp / "Demo/Demo.ini",
        "[Settings]\r\nSourceProject=" + project + "\r\nTargetPath=/srv/demo/\r\n");
  auto form = Open();

  prompts.open_answers.push_back(std::nullopt);
  form->btnSourceClick();
  EXPECT_EQ(form->SourceProject(), "");
  ASSERT_EQ(prompts.open_dialogs.size(), 1u);
  EXPECT_EQ(prompts.open_dialogs[0].name, "odFindProjectFile");

  prompts.open_answers.push_back(std::vector<std::string>{project});
  form->btnSourceClick();
  EXPECT_EQ(form->SourceProject(), project);
  EXPECT_EQ(form->TargetPath(), "/srv/demo/");
  EXPECT_TRUE(form->btnBackup.enabled());
}

TEST_F(BackupDialogTest, LogFileChoiceOffersTheCurrentFileName) {
  const std::string project = Project("Demo", "Demo");
  auto form = Open();

  prompts.open_answers.push_back(std::nullopt);
  form->btnLogFileClick();
  ASSERT_EQ(prompts.open_dialogs.size(), 1u);
  EXPECT_EQ(prompts.open_dialogs[0].name, "odFindLogFile");
  EXPECT_EQ(prompts.open_dialogs[0].file_name, kNoLogFile);
  EXPECT_EQ(prompts.open_dialogs[0].initial_dir, "");

  form->SetSourceProject(project);
  prompts.open_answers.push_back(std::nullopt);
  form->btnLogFileClick();
  EXPECT_EQ(prompts.open_dialogs[1].file_name, "Demo_backup.log");
  EXPECT_EQ(form->LogFile(), ExtractFilePath(project) + "Demo_backup.log");  // cancel: unchanged

  prompts.open_answers.push_back(std::vector<std::string>{"/srv/logs/demo.txt"});
  form->btnLogFileClick();
  EXPECT_EQ(form->LogFile(), "/srv/logs/demo.txt");
  EXPECT_EQ(form->lblLogFile.caption(), "/srv/logs/demo.txt");
  EXPECT_FALSE(std::filesystem::exists("/srv/logs/demo.txt"));

  prompts.open_answers.push_back(std::nullopt);
  form->btnLogFileClick();
  EXPECT_EQ(prompts.open_dialogs[3].file_name, "demo.txt");
}

TEST_F(BackupDialogTest, ConfirmedClearResetsEverythingAndWritesNothing) {
  const std::string project = Project("Demo", "Demo");
  const std::string ini_text =
      "[Settings]\r\nSourceProject=" + project + "\r\nTargetPath=/srv/demo/\r\nLastBackup=then\r\n"
      "[Extra Files]\r\nFile0=/srv/readme.txt\r\n";
  Write(temp / "Demo/Demo.ini", ini_text);
  auto form = Open();
  form->SetSourceProject(project);
  form->lbStockUnits.Add("MYUTILS");
  form->SettingsChanged = true;
  form->ExtraFilesChanged = true;
  ASSERT_TRUE(form->btnBackup.enabled());

  prompts.message_answers.push_back(ModalResult::OK);
  form->btnClearClick();

  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Clear all backup settings?");
  EXPECT_EQ(prompts.messages[0].type, MsgDlgType::Confirmation);
  EXPECT_EQ(prompts.messages[0].buttons, form::mbOK | form::mbCancel);
  EXPECT_EQ(form->SourceProject(), "");
  EXPECT_EQ(form->ProjectDir, "");
  EXPECT_EQ(form->LogFile(), "");
  EXPECT_EQ(form->ProjectIniFile(), "");
  EXPECT_EQ(form->TargetPath(), kNoTarget);
  EXPECT_EQ(form->LastBackup(), kNoBackup);
  EXPECT_EQ(form->lblSourceProject.caption(), kNoProject);
  EXPECT_EQ(form->lblTargetPath.caption(), kNoTarget);
  EXPECT_EQ(form->lblLogFile.caption(), kNoLogFile);
  EXPECT_EQ(form->lblLastBackup.caption(), "Last backup: <none>");
  EXPECT_EQ(form->lbExtraFiles.count(), 0);
  EXPECT_EQ(form->lbStockUnits.items(), form->StockUnits.items());
  EXPECT_FALSE(form->SettingsChanged);
  EXPECT_FALSE(form->ExtraFilesChanged);
  EXPECT_FALSE(form->btnBackup.enabled());
  EXPECT_EQ(Read(temp / "Demo/Demo.ini"), ini_text);
  EXPECT_FALSE(std::filesystem::exists(GlobalIni()));
}

TEST_F(BackupDialogTest, CancelledClearChangesNothing) {
  const std::string project = Project("Demo", "Demo");
  Write(temp / "Demo/Demo.ini", "[Settings]\r\nSourceProject=" + project +
                                    "\r\nTargetPath=/srv/demo/\r\n[Extra Files]\r\nFile0=/srv/readme.txt\r\n");
  auto form = Open();
  form->SetSourceProject(project);
  form->lbStockUnits.Add("MYUTILS");
  form->SettingsChanged = true;
  const auto units = form->lbStockUnits.items();

  prompts.message_answers.push_back(ModalResult::Cancel);
  form->btnClearClick();
  EXPECT_EQ(form->SourceProject(), project);
  EXPECT_EQ(form->TargetPath(), "/srv/demo/");
  EXPECT_EQ(form->lbStockUnits.items(), units);
  EXPECT_EQ(form->lbExtraFiles.items(), std::vector<std::string>{"/srv/readme.txt"});
  EXPECT_TRUE(form->SettingsChanged);
  EXPECT_TRUE(form->btnBackup.enabled());
}

TEST_F(BackupDialogTest, ExitRequestsTheCloseAndSavesNothing) {
  const std::string project = Project("Demo", "Demo");
  auto form = Open();
  form->SetSourceProject(project);
  int closes = 0;
  form->OnClose = [&] { ++closes; };
  form->btnExitClick();
  EXPECT_TRUE(form->close_requested());
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(std::filesystem::exists(GlobalIni()));
  EXPECT_FALSE(std::filesystem::exists(temp / "Demo/DEMO.INI"));
}

TEST_F(BackupDialogTest, WebAddressOpensTheAddInsPage) {
  auto form = Open();
  form->lblURLDblClick();
  EXPECT_EQ(prompts.opened_urls, std::vector<std::string>{kMakerAddInsUrl});
}

TEST_F(BackupDialogTest, ClosedFormHoldsNoLists) {
  auto form = Open();
  form->SearchPaths.Add("/usr/lib");
  form->ProcessedUnits.Add("DEMO");
  form->MissingFiles.Add("GONE");
  form->FormClose();
  EXPECT_EQ(form->StockUnits.Count(), 0);
  EXPECT_EQ(form->SearchPaths.Count(), 0);
  EXPECT_EQ(form->ProcessedUnits.Count(), 0);
  EXPECT_EQ(form->MissingFiles.Count(), 0);
}

}  // namespace
}  // namespace zk::pb::test
