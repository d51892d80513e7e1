#include <sys/stat.h>

#include "platform/path_text.h"
#include "tests/projectbackup/pb_fixture.h"

namespace zk::pb::test {
namespace {

using form::ModalResult;

class SettingsTest : public BackupDialogTest {
 protected:
  // A project folder with its project file; returns the project path.
  std::string DemoProject() { return Project("Demo", "Demo"); }
  std::string DemoIni() const { return temp / "Demo/Demo.ini"; }
  // What SaveSettings wrote for the demo project (the name is upper case).
  std::string SavedDemoIni() const { return Read(temp / "Demo/DEMO.INI"); }

  static std::string Units(const std::vector<std::string>& names) {
    std::string text = "[Excluded Units]\r\n";
    for (size_t i = 0; i < names.size(); ++i)
      text += "Unit" + std::to_string(i) + "=" + names[i] + "\r\n";
    return text;
  }
};

TEST_F(SettingsTest, FirstBackupWritesBothFilesWithoutListSections) {
  const std::string project = DemoProject();
  auto form = Open();
  form->SetSourceProject(project);
  form->SetTargetPath("/srv/backup/");
  prompts.now_text = "11.12.2026 10:00:00";

  const OpResult result = form->SaveSettings();
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(Read(GlobalIni()), "[Settings]\r\nSourceProject=" + project + "\r\n");
  EXPECT_EQ(SavedDemoIni(), "[Settings]\r\nSourceProject=" + project +
                                "\r\nTargetPath=/srv/backup/\r\nLastBackup=11.12.2026 10:00:00\r\n");
  EXPECT_EQ(form->LastBackup(), "11.12.2026 10:00:00");
  EXPECT_EQ(form->lblLastBackup.caption(), "Last backup: 11.12.2026 10:00:00");
}

TEST_F(SettingsTest, WindowsTextProjectIsSavedBesideItsProjectFile) {
  Write(DriveC() + "Work/Demo/Demo.dpr", "program Demo;\r\n");
  auto form = Open();
  form->SetSourceProject("C:\\Work\\Demo\\Demo.dpr");
  form->SetTargetPath("D:\\Backup\\");
  ASSERT_TRUE(form->SaveSettings());
  EXPECT_EQ(Read(DriveC() + "Work/Demo/DEMO.INI"),
            "[Settings]\r\nSourceProject=C:\\Work\\Demo\\Demo.dpr\r\nTargetPath=D:\\Backup\\\r\n"
            "LastBackup=" + prompts.now_text + "\r\n");
  EXPECT_EQ(Read(GlobalIni()), "[Settings]\r\nSourceProject=C:\\Work\\Demo\\Demo.dpr\r\n");

  auto again = Open();
  EXPECT_EQ(again->SourceProject(), "C:\\Work\\Demo\\Demo.dpr");
  EXPECT_EQ(again->TargetPath(), "D:\\Backup\\");
  EXPECT_TRUE(again->btnBackup.enabled());
}

TEST_F(SettingsTest, SavedSettingsComeBackInTheNextDialog) {
  const std::string project = DemoProject();
  {
    auto form = Open();
    form->SetSourceProject(project);
    form->SetTargetPath("/srv/backup/");
    prompts.open_answers.push_back(std::vector<std::string>{"/lib/MyUtils.pas"});
    unsigned short key = VK_INSERT;
    form->lbStockUnitsKeyDown(key, 0);
    prompts.open_answers.push_back(std::vector<std::string>{"/docs/readme.txt", "/docs/a.txt"});
    form->lbExtraFilesKeyDown(key, 0);
    ASSERT_TRUE(form->SaveSettings());
  }
  auto form = Open();
  EXPECT_EQ(form->SourceProject(), project);
  EXPECT_EQ(form->TargetPath(), "/srv/backup/");
  EXPECT_EQ(form->LastBackup(), prompts.now_text);
  EXPECT_EQ(form->lbStockUnits.count(), 101);
  EXPECT_NE(std::find(form->lbStockUnits.items().begin(), form->lbStockUnits.items().end(),
                      "MYUTILS"),
            form->lbStockUnits.items().end());
  EXPECT_EQ(form->lbExtraFiles.items(),
            (std::vector<std::string>{"/docs/readme.txt", "/docs/a.txt"}));
  EXPECT_TRUE(form->btnBackup.enabled());
  EXPECT_FALSE(form->SettingsChanged);
  EXPECT_FALSE(form->ExtraFilesChanged);
}

TEST_F(SettingsTest, EditedUnitsListIsWrittenWholeInListOrder) {
  const std::string project = DemoProject();
  auto form = Open();
  form->SetSourceProject(project);
  prompts.open_answers.push_back(std::vector<std::string>{"/lib/Aaa.pas"});
  unsigned short key = VK_INSERT;
  form->lbStockUnitsKeyDown(key, 0);
  ASSERT_TRUE(form->SaveSettings());

  const std::string saved = SavedDemoIni();
  std::string expected;
  for (int i = 0; i < form->lbStockUnits.count(); ++i)
    expected += "Unit" + std::to_string(i) + "=" + form->lbStockUnits.item(i) + "\r\n";
  EXPECT_EQ(form->lbStockUnits.item(0), "AAA");
  EXPECT_NE(saved.find("[Excluded Units]\r\n" + expected), std::string::npos) << saved;
  EXPECT_EQ(saved.find("[Extra Files]"), std::string::npos);
  EXPECT_LT(saved.find("[Settings]"), saved.find("[Excluded Units]"));
}

TEST_F(SettingsTest, EditedListIsWrittenAgainBySecondSaveWithoutNewEdits) {
  const std::string project = DemoProject();
  auto form = Open();
  form->SetSourceProject(project);
  prompts.open_answers.push_back(std::vector<std::string>{"/docs/readme.txt"});
  unsigned short key = VK_INSERT;
  form->lbExtraFilesKeyDown(key, 0);
  ASSERT_TRUE(form->SaveSettings());

  // Someone removed the section in between; the next save of this dialog brings it back.
  Write(temp / "Demo/DEMO.INI", "[Settings]\r\nSourceProject=" + project + "\r\n");
  ASSERT_TRUE(form->SaveSettings());
  EXPECT_NE(SavedDemoIni().find("[Extra Files]\r\nFile0=/docs/readme.txt\r\n"),
            std::string::npos);
}

TEST_F(SettingsTest, ShorterListReadsBackAsItself) {
  const std::string project = DemoProject();
  Write(DemoIni(), "[Settings]\r\nSourceProject=" + project + "\r\nTargetPath=/srv/b/\r\n" +
                       Units({"ALPHA", "BETA", "GAMMA"}) +
                       "[Extra Files]\r\nFile0=/x/1\r\nFile1=/x/2\r\nFile2=/x/3\r\n");
  {
    auto form = Open();
    form->SetSourceProject(project);
    ASSERT_EQ(form->lbStockUnits.items(), (std::vector<std::string>{"ALPHA", "BETA", "GAMMA"}));
    unsigned short key = VK_DELETE;
    form->lbStockUnits.SetItemIndex(1);
    form->lbExtraFiles.SetItemIndex(0);
    prompts.message_answers = {ModalResult::OK, ModalResult::OK};
    form->lbStockUnitsKeyDown(key, 0);
    form->lbExtraFilesKeyDown(key, 0);
    ASSERT_TRUE(form->SaveSettings());
  }
  auto form = Open();
  form->SetSourceProject(project);
  EXPECT_EQ(form->lbStockUnits.items(), (std::vector<std::string>{"ALPHA", "GAMMA"}));
  EXPECT_EQ(form->lbExtraFiles.items(), (std::vector<std::string>{"/x/2", "/x/3"}));
  EXPECT_EQ(SavedDemoIni().find("Unit2"), std::string::npos);
  EXPECT_EQ(SavedDemoIni().find("File2"), std::string::npos);
}

TEST_F(SettingsTest, ListSectionsReadUpToTheFirstEmptyOrMissingKey) {
  const std::string project = DemoProject();
  struct Case {
    std::string section;
    std::vector<std::string> units;  // empty: the list keeps the stock units
  };
  const std::vector<Case> cases = {
      {"[Excluded Units]\r\nUnit1=SECOND\r\n", {}},
      {"[Excluded Units]\r\nUnit0=\r\nUnit1=SECOND\r\n", {}},
      {"[Excluded Units]\r\nUnit0=A\r\nUnit1=B\r\nUnit2=C\r\nUnit3=D\r\nUnit4=E\r\nUnit6=G\r\n",
       {"A", "B", "C", "D", "E"}},
      {"[Excluded Units]\r\nUnit0=zeta\r\nUnit1=Alpha\r\nUnit2=\r\nUnit3=X\r\n",
       {"Alpha", "zeta"}},
      {"[Excluded Units]\r\n", {}},
  };
  for (const Case& c : cases) {
    Write(DemoIni(), "[Settings]\r\nSourceProject=" + project + "\r\n" + c.section);
    auto form = Open();
    form->SetSourceProject(project);
    if (c.units.empty()) {
      EXPECT_EQ(form->lbStockUnits.items(), form->StockUnits.items()) << c.section;
    } else {
      EXPECT_EQ(form->lbStockUnits.items(), c.units) << c.section;
    }
  }
}

TEST_F(SettingsTest, DestinationWithoutListsKeepsTheCurrentLists) {
  const std::string first = Project("First", "First");
  const std::string project = DemoProject();
  Write(temp / "First/First.ini", "[Settings]\r\nSourceProject=" + first + "\r\n" +
                                      Units({"ONLY"}) + "[Extra Files]\r\nFile0=/x/kept\r\n");
  Write(DemoIni(), "[Settings]\r\nSourceProject=" + project + "\r\nTargetPath=/srv/demo/\r\n");
  auto form = Open();
  form->SetSourceProject(first);
  form->SetSourceProject(project);
  EXPECT_EQ(form->TargetPath(), "/srv/demo/");
  EXPECT_EQ(form->lbStockUnits.items(), std::vector<std::string>{"ONLY"});
  EXPECT_EQ(form->lbExtraFiles.items(), std::vector<std::string>{"/x/kept"});
}

TEST_F(SettingsTest, ExtraFilesSurviveTheSwitchToAProjectWithoutSettings) {
  const std::string remembered = Project("Old", "Old");
  const std::string project = DemoProject();
  Write(temp / "Old/Old.ini", "[Settings]\r\nSourceProject=" + remembered +
                                  "\r\n[Extra Files]\r\nFile0=/x/old.txt\r\n");
  WriteGlobal(remembered);
  auto form = Open();
  form->SetSourceProject(project);
  EXPECT_EQ(form->lbExtraFiles.items(), std::vector<std::string>{"/x/old.txt"});
  EXPECT_EQ(form->lbStockUnits.items(), form->StockUnits.items());
  EXPECT_EQ(form->lbStockUnits.count(), 100);
}

TEST_F(SettingsTest, FileWithoutSourceProjectClearsTheProjectButAppliesTheRest) {
  const std::string project = DemoProject();
  for (const std::string settings : {"[Settings]\r\nSourceProject=\r\n", "[Settings]\r\n"}) {
    Write(DemoIni(), settings + "TargetPath=/srv/demo/\r\nLastBackup=then\r\n" + Units({"ONE"}));
    auto form = Open();
    form->SetSourceProject(project);
    EXPECT_EQ(form->SourceProject(), "") << settings;
    EXPECT_EQ(form->lblSourceProject.caption(), kNoProject);
    EXPECT_EQ(form->TargetPath(), "/srv/demo/");
    EXPECT_EQ(form->LastBackup(), "then");
    EXPECT_EQ(form->lbStockUnits.items(), std::vector<std::string>{"ONE"});
    EXPECT_FALSE(form->btnBackup.enabled());
  }
}

TEST_F(SettingsTest, FileNamingAnotherProjectSwitchesToItAndAppliesItsOwnValuesOver) {
  const std::string copy = Project("Copy", "Demo");
  const std::string original = DemoProject();
  Write(temp / "Copy/Demo.ini", "[Settings]\r\nSourceProject=" + original +
                                    "\r\nTargetPath=/srv/copy/\r\nLastBackup=copied\r\n");
  Write(DemoIni(), "[Settings]\r\nSourceProject=" + original +
                       "\r\nTargetPath=/srv/original/\r\nLastBackup=original\r\n" +
                       Units({"ORIG"}));
  auto form = Open();
  form->SetSourceProject(copy);
  EXPECT_EQ(form->SourceProject(), original);
  EXPECT_EQ(form->ProjectIniFile(), UpperCase(DemoIni()));
  EXPECT_EQ(form->TargetPath(), "/srv/copy/");
  EXPECT_EQ(form->LastBackup(), "copied");
  EXPECT_EQ(form->lbStockUnits.items(), std::vector<std::string>{"ORIG"});

  const std::string copy_ini_before = Read(temp / "Copy/Demo.ini");
  ASSERT_TRUE(form->SaveSettings());
  EXPECT_NE(Read(DemoIni()).find("TargetPath=/srv/copy/"), std::string::npos);
  EXPECT_EQ(Read(temp / "Copy/Demo.ini"), copy_ini_before);
}

TEST_F(SettingsTest, FilesNamingEachOthersProjectDoNotRecurse) {
  const std::string a = Project("A", "A");
  const std::string b = Project("B", "B");
  Write(temp / "A/A.ini", "[Settings]\r\nSourceProject=" + b + "\r\nTargetPath=/srv/from-a/\r\n" +
                              Units({"FROM_A"}));
  Write(temp / "B/B.ini", "[Settings]\r\nSourceProject=" + a +
                              "\r\nTargetPath=/srv/from-b/\r\nLastBackup=b-time\r\n");
  auto form = Open();
  form->SetSourceProject(a);
  // The reading of A.ini, begun first, finishes last: its values stand.
  EXPECT_EQ(form->SourceProject(), a);
  EXPECT_EQ(form->TargetPath(), "/srv/from-a/");
  EXPECT_EQ(form->LastBackup(), "b-time");
  EXPECT_EQ(form->lbStockUnits.items(), std::vector<std::string>{"FROM_A"});
  EXPECT_TRUE(form->btnBackup.enabled());

  // And the other way round, from the global file.
  WriteGlobal(b);
  auto restored = Open();
  EXPECT_EQ(restored->SourceProject(), b);
  EXPECT_EQ(restored->TargetPath(), "/srv/from-b/");
}

TEST_F(SettingsTest, FileNamingItsOwnProjectInAnotherCaseIsReadOnce) {
  const std::string project = DemoProject();
  const std::string other_case = ExtractFilePath(project) + "DEMO.DPR";
  Write(DemoIni(), "[Settings]\r\nSourceProject=" + other_case + "\r\nTargetPath=/srv/d/\r\n");
  auto form = Open();
  form->SetSourceProject(project);
  EXPECT_EQ(form->SourceProject(), other_case);
  EXPECT_EQ(form->TargetPath(), "/srv/d/");
}

TEST_F(SettingsTest, EmptyTargetPathCountsAsNoDestination) {
  const std::string project = DemoProject();
  Write(DemoIni(), "[Settings]\r\nSourceProject=" + project + "\r\nTargetPath=\r\n");
  auto form = Open();
  form->SetSourceProject(project);
  EXPECT_EQ(form->TargetPath(), kNoTarget);
  EXPECT_EQ(form->lblTargetPath.caption(), kNoTarget);
  EXPECT_FALSE(form->btnBackup.enabled());
}

TEST_F(SettingsTest, EmptyLastBackupKeepsTheShownDate) {
  const std::string first = Project("First", "First");
  const std::string project = DemoProject();
  Write(temp / "First/First.ini",
        "[Settings]\r\nSourceProject=" + first + "\r\nLastBackup=earlier\r\n");
  Write(DemoIni(), "[Settings]\r\nSourceProject=" + project + "\r\nLastBackup=\r\n");
  auto form = Open();
  form->SetSourceProject(first);
  form->SetSourceProject(project);
  EXPECT_EQ(form->LastBackup(), "earlier");
}

TEST_F(SettingsTest, ReadingLeavesTheEditFlagsAlone) {
  const std::string project = DemoProject();
  Write(DemoIni(), "[Settings]\r\nSourceProject=" + project + "\r\n" + Units({"ONE"}) +
                       "[Extra Files]\r\nFile0=/x\r\n");
  for (bool flags : {false, true}) {
    auto form = Open();
    form->SettingsChanged = flags;
    form->ExtraFilesChanged = flags;
    form->SetSourceProject(project);
    EXPECT_EQ(form->SettingsChanged, flags);
    EXPECT_EQ(form->ExtraFilesChanged, flags);
  }
}

TEST_F(SettingsTest, GlobalFileRestoresOnlyTheProject) {
  const std::string project = DemoProject();
  Write(DemoIni(), "[Settings]\r\nSourceProject=" + project + "\r\nTargetPath=/srv/demo/\r\n");
  temp.Write("ide/ProjectBackup.ini", "[Settings]\r\nSourceProject=" + project +
                                          "\r\nTargetPath=/srv/global/\r\n" + Units({"G"}));
  auto form = Open();
  EXPECT_EQ(form->SourceProject(), project);
  EXPECT_EQ(form->lblSourceProject.caption(), project);
  EXPECT_EQ(form->TargetPath(), "/srv/demo/");
  EXPECT_EQ(form->lbStockUnits.count(), 100);
  EXPECT_TRUE(form->btnBackup.enabled());
}

TEST_F(SettingsTest, SaveKeepsOtherSectionsAndKeysOfTheFiles) {
  const std::string project = DemoProject();
  Write(DemoIni(), "; my notes\r\n[Settings]\r\nSourceProject=" + project +
                       "\r\nComment=keep me\r\n[Other]\r\nx=1\r\n");
  temp.Write("ide/ProjectBackup.ini", "[Settings]\r\nSourceProject=/old.dpr\r\nOwn=1\r\n");
  auto form = Open();
  form->SetSourceProject(project);
  ASSERT_TRUE(form->SaveSettings());
  const std::string saved = Read(DemoIni());
  EXPECT_NE(saved.find("; my notes"), std::string::npos);
  EXPECT_NE(saved.find("Comment=keep me"), std::string::npos);
  EXPECT_NE(saved.find("[Other]\r\nx=1"), std::string::npos);
  EXPECT_EQ(Read(GlobalIni()), "[Settings]\r\nSourceProject=" + project + "\r\nOwn=1\r\n");
}

TEST_F(SettingsTest, ReadOnlyProjectFileFailsByNameAndKeepsItsContent) {
  const std::string project = DemoProject();
  const std::string content = "[Settings]\r\nSourceProject=" + project + "\r\nTargetPath=/srv/a/\r\n";
  Write(DemoIni(), content);
  ::chmod(DemoIni().c_str(), 0444);
  auto form = Open();
  form->SetSourceProject(project);

  const OpResult result = form->SaveSettings();
  EXPECT_FALSE(result);
  EXPECT_NE(result.error.find("Demo.ini"), std::string::npos) << result.error;
  EXPECT_NE(result.error.find("read-only"), std::string::npos) << result.error;
  EXPECT_EQ(Read(DemoIni()), content);
  // The global file is written all the same.
  EXPECT_EQ(Read(GlobalIni()), "[Settings]\r\nSourceProject=" + project + "\r\n");
}

TEST_F(SettingsTest, MissingProjectFolderFailsByName) {
  auto form = Open();
  form->SetSourceProject(temp / "gone/Demo.dpr");
  const OpResult result = form->SaveSettings();
  EXPECT_FALSE(result);
  EXPECT_NE(result.error.find("DEMO.INI"), std::string::npos) << result.error;
  EXPECT_TRUE(std::filesystem::exists(GlobalIni()));
}

TEST_F(SettingsTest, BothFilesFailingAreBothReported) {
  const std::string project = DemoProject();
  Write(DemoIni(), "[Settings]\r\nSourceProject=" + project + "\r\n");
  temp.Write("ide/ProjectBackup.ini", "[Settings]\r\nSourceProject=\r\n");
  ::chmod(DemoIni().c_str(), 0444);
  ::chmod(GlobalIni().c_str(), 0444);
  auto form = Open();
  form->SetSourceProject(project);
  const OpResult result = form->SaveSettings();
  EXPECT_FALSE(result);
  EXPECT_NE(result.error.find("ProjectBackup.ini"), std::string::npos) << result.error;
  EXPECT_NE(result.error.find("Demo.ini"), std::string::npos) << result.error;
  EXPECT_EQ(Read(GlobalIni()), "[Settings]\r\nSourceProject=\r\n");
}

TEST_F(SettingsTest, ReadOnlyGlobalFileStillLetsTheProjectFileBeWritten) {
  const std::string project = DemoProject();
  temp.Write("ide/ProjectBackup.ini", "[Settings]\r\nSourceProject=\r\n");
  ::chmod(GlobalIni().c_str(), 0444);
  auto form = Open();
  form->SetSourceProject(project);
  const OpResult result = form->SaveSettings();
  EXPECT_FALSE(result);
  EXPECT_NE(result.error.find("ProjectBackup.ini"), std::string::npos) << result.error;
  EXPECT_EQ(result.error.find("DEMO.INI"), std::string::npos) << result.error;
  EXPECT_NE(SavedDemoIni().find("SourceProject=" + project), std::string::npos);
}

TEST_F(SettingsTest, SaveWithoutProjectWritesNoStraySettingsFile) {
  const auto old_cwd = std::filesystem::current_path();
  std::filesystem::create_directories(temp.path() / "cwd");
  std::filesystem::current_path(temp.path() / "cwd");
  auto form = Open();
  const OpResult result = form->SaveSettings();
  std::filesystem::current_path(old_cwd);
  EXPECT_FALSE(result);
  EXPECT_NE(result.error.find("no project"), std::string::npos) << result.error;
  EXPECT_TRUE(std::filesystem::is_empty(temp.path() / "cwd"));
}

TEST_F(SettingsTest, UnreadableSettingsFileIsReportedAndNotTakenForEmpty) {
  const std::string project = DemoProject();
  // A folder where the global file belongs cannot be read as one.
  std::filesystem::create_directories(GlobalIni());
  prompts.message_answers.push_back(ModalResult::OK);
  auto form = Open();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].type, form::MsgDlgType::Warning);
  EXPECT_NE(prompts.messages[0].text.find("ProjectBackup.ini"), std::string::npos)
      << prompts.messages[0].text;
  EXPECT_EQ(form->SourceProject(), "");

  form->SetSourceProject(project);
  const OpResult result = form->SaveSettings();
  EXPECT_FALSE(result);
  EXPECT_TRUE(std::filesystem::is_directory(GlobalIni()));
}

}  // namespace
}  // namespace zk::pb::test
