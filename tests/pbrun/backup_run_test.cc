// The backup run: what it copies, the log it writes, its questions and messages, and how it
// recovers from failures.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_ops.h"
#include "projectbackup/pb_main.h"
#include "tests/pbrun/wine_prefix.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/scripted_prompts.h"

namespace zk::pb {
namespace {

using Names = std::vector<std::string>;
using form::ModalResult;
using form::MsgDlgType;
namespace fs = std::filesystem;

const char* const kProject = "C:\\Work\\Demo\\Demo.dpr";
const char* const kLog = "C:\\Work\\Demo\\Demo_backup.log";
const std::string kRule(60, '=');
const char* const kPerformedBy = "Performed by Quorvin's Project Backup Expert (version 1.0)";

// Prompts that also note the state of the dialog when the final message is shown.
class WatchingPrompts : public test::ScriptedPrompts {
 public:
  TfrmProjectBackup* form = nullptr;
  std::vector<std::pair<std::string, bool>> enabled_at_message;

  ModalResult MessageDlg(const std::string& text, MsgDlgType type, unsigned buttons) override {
    if (form && enabled_at_message.empty()) {
      for (form::Control* control : form->Controls())
        enabled_at_message.emplace_back(control->name(), control->enabled());
    }
    return ScriptedPrompts::MessageDlg(text, type, buttons);
  }
};

class BackupRunTest : public testing::Test {
 protected:
  BackupRunTest() : prefix_(temp_) {}

  void WriteDpr(const Names& uses_lines) {
    Names lines = {"program Demo;", "", "uses"};
    lines.insert(lines.end(), uses_lines.begin(), uses_lines.end());
    lines.insert(lines.end(), {"", "{$R *.RES}", "", "begin", "  Application.Run;", "end."});
    prefix_.WriteC("Work/Demo/Demo.dpr", test::Lines(lines));
  }

  // A unit whose interface uses the given names.
  void WriteUnit(const std::string& relative, const std::string& uses) {
    prefix_.WriteC(relative, test::Lines({"unit X;", "", "interface", "", "uses " + uses + ";",
                                          "", "implementation", "", "end."}));
  }

  TfrmProjectBackup& Form(const std::string& target = "C:\\Backup\\", int version = 4) {
    if (!form_) {
      form_ = std::make_unique<TfrmProjectBackup>(prompts_, version);
      prompts_.form = form_.get();
      form_->SetSourceProject(kProject);
      form_->SetTargetPath(target);
    }
    return *form_;
  }

  void Run(std::vector<ModalResult> answers = {ModalResult::OK}) {
    for (ModalResult answer : answers) prompts_.message_answers.push_back(answer);
    Form().btnBackupClick();
    EXPECT_TRUE(prompts_.message_answers.empty()) << "a question was not asked";
  }

  Names LogFileLines() const {
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(kLog, bytes));
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    return SplitLines(bytes);
  }

  // The lines between a heading and the next empty line.
  Names Section(const std::string& heading) const {
    const Names& lines = form_->StatusMemo.lines();
    Names section;
    auto it = std::find(lines.begin(), lines.end(), heading);
    if (it == lines.end()) return {"<no " + heading + ">"};
    for (++it; it != lines.end() && !it->empty(); ++it) section.push_back(*it);
    return section;
  }

  bool InTarget(const std::string& name) const {
    return FileExists(std::string("C:\\Backup\\") + name);
  }

  test::ScopedTempDir temp_;
  test::WinePrefix prefix_;
  WatchingPrompts prompts_;
  std::unique_ptr<TfrmProjectBackup> form_;
};

TEST_F(BackupRunTest, WritesTheWholeLogAndCopiesEverything) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas' {frmMain},", "  Util in 'lib\\Util.pas';"});
  prefix_.WriteC("Work/Demo/Demo.dof", "[Directories]\r\nSearchPath=C:\\Shared\r\n");
  prefix_.WriteC("Work/Demo/Demo.res", std::string("\0\0\0\0 \0\0\0", 8));
  WriteUnit("Work/Demo/Main.pas", "Windows, Forms, Util, Helper");
  prefix_.WriteC("Work/Demo/Main.dfm", "object frmMain: TfrmMain\r\nend\r\n");
  WriteUnit("Work/Demo/lib/Util.pas", "SysUtils");
  prefix_.WriteC("Shared/Helper.pas", "unit Helper;\r\n");
  prefix_.WriteC("Docs/readme.txt", "read me");
  Form().lbExtraFiles.Add("C:\\Docs\\readme.txt");

  Run();

  const Names memo = {"BACKUP STARTED AT 11.12.2026 10:00:00",
                      kProject,
                      "Delphi Version #4",
                      "",
                      "PROJECT FILES",
                      "C:\\Work\\Demo\\Demo.dpr",
                      "C:\\Work\\Demo\\Demo.dof",
                      "C:\\Work\\Demo\\Demo.res",
                      "",
                      "MAIN UNITS",
                      "C:\\WORK\\DEMO\\Main.pas",
                      "C:\\WORK\\DEMO\\Main.dfm",
                      "C:\\WORK\\DEMO\\lib\\Util.pas",
                      "",
                      "DEPENDENCIES FOR C:\\WORK\\DEMO\\Main.pas",
                      "Helper.pas found in C:\\Shared\\",
                      "",
                      "EXTRA FILES",
                      "C:\\Docs\\readme.txt",
                      "",
                      "BACKUP COMPLETED SUCCESSFULLY AT 11.12.2026 10:00:00",
                      kRule,
                      kPerformedBy};
  EXPECT_EQ(form_->StatusMemo.lines(), memo);
  Names file = memo;
  file.insert(file.end(), {"Copyright (c) 1998 Quorvin - http://www.quorvin.example.com/",
                           "Try the Pellora components at http://www.quorvin.example.com/pellora/",
                           kRule});
  EXPECT_EQ(LogFileLines(), file);

  for (const char* name : {"Demo.dpr", "Demo.dof", "Demo.res", "Main.pas", "Main.dfm", "Util.pas",
                           "Helper.pas", "readme.txt"})
    EXPECT_TRUE(InTarget(name)) << name;
  EXPECT_FALSE(InTarget("Util.dfm"));
  EXPECT_FALSE(InTarget("Demo.opt"));
  EXPECT_EQ(form_->ProcessedUnits.items(), (Names{"MAIN", "UTIL"}));
  EXPECT_TRUE(form_->FailedCopies.empty());

  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "Backup completed successfully!");
  EXPECT_EQ(prompts_.messages[0].type, MsgDlgType::Information);
  EXPECT_EQ(prompts_.messages[0].buttons, form::mbOK);
  EXPECT_EQ(prompts_.beeps, (std::vector<unsigned>{64}));
  EXPECT_TRUE(prompts_.exceptions.empty());

  // Settings of both kinds were saved.
  EXPECT_NE(temp_.Read("prefix/drive_c/Work/Demo/DEMO.INI").find("TargetPath=C:\\Backup\\"),
            std::string::npos);
  EXPECT_NE(temp_.Read("ide/ProjectBackup.ini").find("SourceProject=C:\\Work\\Demo\\Demo.dpr"),
            std::string::npos);
  EXPECT_EQ(form_->LastBackup(), "11.12.2026 10:00:00");
}

TEST_F(BackupRunTest, LocksTheDialogWhileRunningAndUnlocksItAfterwards) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  WriteUnit("Work/Demo/Main.pas", "Windows");
  Run();
  ASSERT_FALSE(prompts_.enabled_at_message.empty());
  for (const auto& [name, enabled] : prompts_.enabled_at_message) {
    const bool windowed = name == "Panel1" || name == "lbStockUnits" || name == "btnExit" ||
                          name == "StatusMemo" || name == "btnSource" || name == "btnTarget" ||
                          name == "btnLogFile" || name == "btnBackup" || name == "lbExtraFiles" ||
                          name == "btnClear";
    EXPECT_EQ(enabled, !windowed) << name;
  }
  for (form::Control* control : form_->Controls()) EXPECT_TRUE(control->enabled()) << control->name();
  EXPECT_FALSE(form_->StatusMemo.updating());
}

TEST_F(BackupRunTest, AsksBeforeOverwritingAndCancelLeavesEverything) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  prefix_.WriteC("Backup/Demo.dpr", "old backup");
  Form().StatusMemo.Add("the previous log");
  form_->lbStockUnits.Add("MYUNIT");

  Run({ModalResult::Cancel});

  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text,
            "Demo.dpr already exists in the C:\\Backup\\ directory!\r"
            "Are you sure that you wish to overwrite the previous backup?");
  EXPECT_EQ(prompts_.messages[0].type, MsgDlgType::Warning);
  EXPECT_EQ(prompts_.messages[0].buttons, form::mbOK | form::mbCancel);
  EXPECT_EQ(form_->StatusMemo.lines(), (Names{"the previous log"}));
  EXPECT_EQ(temp_.Read("prefix/drive_c/Backup/Demo.dpr"), "old backup");
  EXPECT_FALSE(FileExists(kLog));
  EXPECT_FALSE(FileExists("C:\\Work\\Demo\\DEMO.INI"));
  EXPECT_FALSE(fs::exists(temp_.path() / "ide/ProjectBackup.ini"));
  EXPECT_TRUE(prompts_.beeps.empty());
  // The excluded units are taken over before the question.
  EXPECT_TRUE(form_->StockUnits.Contains("MYUNIT"));
}

TEST_F(BackupRunTest, OverwritesAfterOk) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  prefix_.WriteC("Backup/Demo.dpr", "old backup");
  Run({ModalResult::OK, ModalResult::OK});
  ASSERT_EQ(prompts_.messages.size(), 2u);
  EXPECT_EQ(prompts_.messages[1].text, "Backup completed successfully!");
  EXPECT_NE(temp_.Read("prefix/drive_c/Backup/Demo.dpr"), "old backup");
}

TEST_F(BackupRunTest, MissingUnitsAreListedAndReported) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  WriteUnit("Work/Demo/Main.pas", "Gone, Lost");
  Run();
  const Names& memo = form_->StatusMemo.lines();
  const Names tail(memo.end() - 8, memo.end());
  EXPECT_EQ(tail, (Names{"", "BACKUP COMPLETED WITH FILES MISSING AT 11.12.2026 10:00:00", "",
                         "MISSING FILES:", "* Gone", "* Lost", kRule, kPerformedBy}));
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text,
            "Backup completed but some file(s) were not found\rPlease refer to "
            "C:\\Work\\Demo\\Demo_backup.log for a list of missing files");
  EXPECT_EQ(prompts_.messages[0].type, MsgDlgType::Warning);
  EXPECT_EQ(prompts_.beeps, (std::vector<unsigned>{48}));
}

struct ProjectFileCase {
  const char* name;
  std::string dpr;
  Names main_units;  // the MAIN UNITS section
  Names processed;
};

std::vector<ProjectFileCase> ProjectFileCases() {
  auto dpr = [](const Names& uses) {
    Names lines = {"program Demo;", "", "uses"};
    lines.insert(lines.end(), uses.begin(), uses.end());
    lines.insert(lines.end(), {"", "begin", "end."});
    return test::Lines(lines);
  };
  return {
      {"FormsLineSkippedAndSubfolderUnit",
       dpr({"  Forms,", "  Main in 'Main.pas' {frmMain},", "  Util in 'lib\\Util.pas';"}),
       {"C:\\WORK\\DEMO\\Main.pas", "C:\\WORK\\DEMO\\Main.dfm", "C:\\WORK\\DEMO\\lib\\Util.pas"},
       {"MAIN", "UTIL"}},
      {"FirstLineAfterUsesIsNeverExamined",
       dpr({"  Main in 'Main.pas',", "  Util in 'lib\\Util.pas';"}),
       {"C:\\WORK\\DEMO\\lib\\Util.pas"},
       {"UTIL"}},
      {"UnitWithoutFileNameIsSkipped",
       dpr({"  Forms,", "  Extra,", "  Main in 'Main.pas';"}),
       {"C:\\WORK\\DEMO\\Main.pas", "C:\\WORK\\DEMO\\Main.dfm"},
       {"MAIN"}},
      {"MissingMainUnitIsStillLogged",
       dpr({"  Forms,", "  Gone in 'Gone.pas',", "  Main in 'Main.pas';"}),
       {"C:\\WORK\\DEMO\\Gone.pas", "C:\\WORK\\DEMO\\Main.pas", "C:\\WORK\\DEMO\\Main.dfm"},
       {"GONE", "MAIN"}},
      {"IndentedUsesIsNotFound", test::Lines({"program Demo;", "  uses", "  Forms,",
                                              "  Main in 'Main.pas';"}),
       {},
       {}},
      {"EndsBeforeUses", test::Lines({"program Demo;", "begin", "end."}), {}, {}},
      {"EndsBeforeTheSemicolon",
       test::Lines({"program Demo;", "uses", "  Forms,", "  Main in 'Main.pas',"}),
       {"C:\\WORK\\DEMO\\Main.pas", "C:\\WORK\\DEMO\\Main.dfm"},
       {"MAIN"}},
      {"EndsRightAfterUses", test::Lines({"program Demo;", "uses"}), {}, {}},
  };
}

class ProjectFileTest : public BackupRunTest,
                        public testing::WithParamInterface<ProjectFileCase> {};

TEST_P(ProjectFileTest, FindsTheseMainUnits) {
  const ProjectFileCase& c = GetParam();
  prefix_.WriteC("Work/Demo/Demo.dpr", c.dpr);
  WriteUnit("Work/Demo/Main.pas", "Windows");
  prefix_.WriteC("Work/Demo/Main.dfm", "object F: TForm\r\nend\r\n");
  WriteUnit("Work/Demo/lib/Util.pas", "SysUtils");
  Run();
  EXPECT_EQ(Section("MAIN UNITS"), c.main_units);
  EXPECT_EQ(form_->ProcessedUnits.items(), c.processed);
  const Names& memo = form_->StatusMemo.lines();
  EXPECT_EQ(memo[memo.size() - 3], "BACKUP COMPLETED SUCCESSFULLY AT 11.12.2026 10:00:00");
  EXPECT_FALSE(InTarget("Gone.pas"));
  EXPECT_TRUE(form_->FailedCopies.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ProjectFileTest, testing::ValuesIn(ProjectFileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BackupRunTest, UnreadableProjectFileGivesNoMainUnits) {
  prefix_.WriteC("Work/Demo/Demo.dof", "[Directories]\r\n");
  Form();  // the project file does not exist
  Run();
  EXPECT_EQ(Section("PROJECT FILES"), (Names{"C:\\Work\\Demo\\Demo.dof"}));
  EXPECT_EQ(Section("MAIN UNITS"), Names{});
  EXPECT_NE(std::find(form_->StatusMemo.lines().begin(), form_->StatusMemo.lines().end(),
                      "NO DEPENDENCIES FOUND"),
            form_->StatusMemo.lines().end());
}

TEST_F(BackupRunTest, TargetWhoseParentIsMissingCompletesWithErrors) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  WriteUnit("Work/Demo/Main.pas", "Windows");
  Form("C:\\NoSuch\\Backup\\");
  Run();
  // Main.dfm does not exist: that is no failure.
  EXPECT_EQ(form_->FailedCopies,
            (Names{"C:\\NoSuch\\Backup\\Demo.dpr", "C:\\NoSuch\\Backup\\Main.pas"}));
  const Names& memo = form_->StatusMemo.lines();
  const Names tail(memo.end() - 8, memo.end());
  EXPECT_EQ(tail, (Names{"", "BACKUP COMPLETED WITH ERRORS AT 11.12.2026 10:00:00", "",
                         "FILES NOT COPIED:", "C:\\NoSuch\\Backup\\Demo.dpr",
                         "C:\\NoSuch\\Backup\\Main.pas", kRule, kPerformedBy}));
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text,
            "Backup completed but some file(s) could not be copied\rPlease refer to "
            "C:\\Work\\Demo\\Demo_backup.log for a list of files not copied");
  EXPECT_EQ(prompts_.messages[0].type, MsgDlgType::Warning);
  EXPECT_EQ(prompts_.beeps, (std::vector<unsigned>{48}));
}

TEST_F(BackupRunTest, ReadOnlyDestinationIsReportedAfterTheMissingFiles) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  WriteUnit("Work/Demo/Main.pas", "Gone");
  prefix_.WriteC("Backup/Main.pas", "old");
  fs::permissions(prefix_.PathC("Backup/Main.pas"), fs::perms::owner_read);
  Run();
  EXPECT_EQ(temp_.Read("prefix/drive_c/Backup/Main.pas"), "old");
  const Names& memo = form_->StatusMemo.lines();
  const Names tail(memo.end() - 9, memo.end());
  EXPECT_EQ(tail, (Names{"BACKUP COMPLETED WITH ERRORS AT 11.12.2026 10:00:00", "",
                         "MISSING FILES:", "* Gone", "", "FILES NOT COPIED:",
                         "C:\\Backup\\Main.pas", kRule, kPerformedBy}));
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text,
            "Backup completed but some file(s) could not be copied and some file(s) were not "
            "found\rPlease refer to C:\\Work\\Demo\\Demo_backup.log for a list of missing files "
            "and files not copied");
}

TEST_F(BackupRunTest, TheLaterCopyToADestinationWins) {
  WriteDpr({"  Forms,", "  A in 'a\\Same.pas',", "  B in 'b\\Same.pas';"});
  prefix_.WriteC("Work/Demo/a/Same.pas", "from a");
  prefix_.WriteC("Work/Demo/b/Same.pas", "from b");
  prefix_.WriteC("X/note.txt", "from x");
  prefix_.WriteC("Y/note.txt", "from y");
  Form();
  for (const char* extra : {"C:\\X\\note.txt", "C:\\Y\\note.txt", "C:\\X\\note.txt"})
    form_->lbExtraFiles.Add(extra);
  Run();
  EXPECT_EQ(temp_.Read("prefix/drive_c/Backup/Same.pas"), "from b");
  // Copied again although this source was copied there before: another came in between.
  EXPECT_EQ(temp_.Read("prefix/drive_c/Backup/note.txt"), "from x");
  EXPECT_EQ(Section("EXTRA FILES"),
            (Names{"C:\\X\\note.txt", "C:\\Y\\note.txt", "C:\\X\\note.txt"}));
}

TEST_F(BackupRunTest, Version3WritesItsNumber) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  Form("C:\\Backup\\", 3);
  Run();
  EXPECT_EQ(form_->StatusMemo.line(2), "Delphi Version #3");
}

TEST_F(BackupRunTest, LogFileThatCannotBeWrittenIsShownAndTheDialogUnlocks) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  Form().SetLogFile("C:\\NoSuch\\backup.log");
  Form().btnBackupClick();
  ASSERT_EQ(prompts_.exceptions.size(), 1u);
  EXPECT_NE(prompts_.exceptions[0].find("backup.log"), std::string::npos) << prompts_.exceptions[0];
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_TRUE(prompts_.beeps.empty());
  EXPECT_FALSE(FileExists("C:\\Work\\Demo\\DEMO.INI"));
  for (form::Control* control : form_->Controls()) EXPECT_TRUE(control->enabled()) << control->name();
  EXPECT_FALSE(form_->StatusMemo.updating());
  // The memo keeps the whole log that could not be saved.
  EXPECT_EQ(form_->StatusMemo.lines().back(), kRule);
}

TEST_F(BackupRunTest, SettingsThatCannotBeWrittenAreShown) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  // A folder where the project's settings file belongs cannot be replaced by a file.
  fs::create_directories(prefix_.PathC("Work/Demo/DEMO.INI"));
  Form().btnBackupClick();
  ASSERT_EQ(prompts_.exceptions.size(), 1u);
  EXPECT_NE(prompts_.exceptions[0].find("DEMO.INI"), std::string::npos)
      << prompts_.exceptions[0];
  EXPECT_TRUE(FileExists(kLog));
  EXPECT_TRUE(prompts_.messages.empty());
  for (form::Control* control : form_->Controls()) EXPECT_TRUE(control->enabled()) << control->name();
}

TEST_F(BackupRunTest, UnreadableUnitIsShownAndTheDialogUnlocks) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  fs::create_directories(prefix_.PathC("Work/Demo"));
  // Reading /proc/self/mem from its start fails with an I/O error, even for root.
  fs::create_symlink("/proc/self/mem", prefix_.PathC("Work/Demo/Main.pas"));
  Form().btnBackupClick();
  ASSERT_EQ(prompts_.exceptions.size(), 1u);
  EXPECT_NE(prompts_.exceptions[0].find("Main.pas"), std::string::npos) << prompts_.exceptions[0];
  EXPECT_TRUE(prompts_.messages.empty());
  EXPECT_FALSE(FileExists(kLog));
  for (form::Control* control : form_->Controls()) EXPECT_TRUE(control->enabled()) << control->name();
}

TEST_F(BackupRunTest, EachRunStartsFromEmptyLists) {
  WriteDpr({"  Forms,", "  Main in 'Main.pas';"});
  WriteUnit("Work/Demo/Main.pas", "Gone");
  Form("C:\\NoSuch\\Backup\\");
  Run();
  EXPECT_FALSE(form_->FailedCopies.empty());
  EXPECT_EQ(form_->MissingFiles.Count(), 1);

  WriteUnit("Work/Demo/Main.pas", "Windows");
  form_->SetTargetPath("C:\\Backup\\");
  prompts_.messages.clear();
  Run();
  EXPECT_TRUE(form_->FailedCopies.empty());
  EXPECT_EQ(form_->MissingFiles.Count(), 0);
  EXPECT_EQ(form_->SearchPaths.items(), (Names{"C:\\Work\\Demo\\"}));
  ASSERT_EQ(prompts_.messages.size(), 1u);
  EXPECT_EQ(prompts_.messages[0].text, "Backup completed successfully!");
}

}  // namespace
}  // namespace zk::pb
