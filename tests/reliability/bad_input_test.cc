// Broken and hostile input: binary files where text is expected, 10 MB lines, 100,000 units in
// one uses clause, a comment that never closes, path texts with "..", NUL and non-UTF-8 bytes,
// settings files that name each other. Each must give a defined result within a deadline
// (a child process is killed when it runs over, so a hang fails instead of blocking).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <string>

#include "links/LinkDialog.h"
#include "links/link_file.h"
#include "platform/program_folder.h"
#include "projectbackup/pb_main.h"
#include "tests/reliability/child_process.h"
#include "tests/reliability/demo_project.h"
#include "tests/support/scoped_temp_dir.h"

namespace zk::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

constexpr auto kDeadline = 60s;
constexpr size_t kTenMegabytes = 10u << 20;

// Every byte value, in a fixed pseudo-random order with long runs of control bytes and NULs.
std::string BinaryBytes(size_t size) {
  std::mt19937 random(20261211);
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(random() & 0xff);
  return bytes;
}

ChildOutcome BackupInChild(const DemoProject& demo, std::chrono::milliseconds deadline = kDeadline) {
  return RunInChild(
      [&] {
        RecordingPrompts prompts;
        return RunDemoBackup(demo, prompts);
      },
      deadline);
}

void ExpectCompleted(const ChildOutcome& run) {
  ASSERT_TRUE(run.finished) << "no result within the deadline (" << run.seconds << " s)";
  ASSERT_EQ(run.exit_code, 0) << "signal " << run.signal << "\n" << run.report.substr(0, 2000);
  EXPECT_THAT(run.report, HasSubstr("outcome: BACKUP COMPLETED"));
  EXPECT_THAT(run.report, HasSubstr("message: Backup completed"));
  EXPECT_THAT(run.report, Not(HasSubstr("exception:")));
  EXPECT_THAT(run.report, Not(HasSubstr("locked")));
}

// ---- binary files in place of text files ----

struct BinaryCase {
  const char* name;
  const char* file;  // relative to the temporary root
};

class BinaryFile : public ::testing::TestWithParam<BinaryCase> {};

TEST_P(BinaryFile, BackupCompletesAndSaysSo) {
  ScopedTempDir root;
  DemoProject demo(root);
  root.Write(GetParam().file, BinaryBytes(64 * 1024));
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_NO_FATAL_FAILURE(ExpectCompleted(run));
  EXPECT_THAT(ReadFile(demo.log_file), HasSubstr("BACKUP STARTED AT"));
}

// A project settings file without a project in it clears the dialog's project, as one whose
// "SourceProject" is empty does: the backup button goes off and the dialog asks for a project.
TEST(BinaryProjectSettings, ClearTheProjectSoNoBackupStarts) {
  ScopedTempDir root;
  DemoProject demo(root);
  const std::string binary = BinaryBytes(64 * 1024);
  WriteFile(demo.settings, binary);
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exit_code, 0) << run.report;
  EXPECT_EQ(run.report, "button disabled; project: \n");
  EXPECT_EQ(ReadFile(demo.settings), binary);
  EXPECT_TRUE(NamesIn(demo.target).empty());
}

INSTANTIATE_TEST_SUITE_P(
    InPlaceOf, BinaryFile,
    ::testing::Values(BinaryCase{"ProjectFile", "project/Demo.dpr"},
                      BinaryCase{"Unit", "project/Main.pas"},
                      BinaryCase{"OptionsFile", "project/Demo.dof"},
                      BinaryCase{"GlobalSettings", "ide/ProjectBackup.ini"},
                      BinaryCase{"Registry", "prefix/user.reg"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BinaryLinkFile, LoadsWithTheMakersEntryFirstAndRewritesTheFile) {
  ScopedTempDir root;
  const std::string path = root.dir() + "ZkDelphiLinks.dat";
  WriteFile(path, BinaryBytes(64 * 1024));
  const ChildOutcome run = RunInChild(
      [&] {
        SetProgramFolder(root.dir());
        links::InitLinkFileName();
        RecordingPrompts prompts;
        links::TLinkForm form(prompts);
        return prompts.Report() + "first: " + form.lbLinks.item(0) + "|" + form.link_urls()[0] +
               "\nentries: " + std::to_string(form.lbLinks.count()) + "\n";
      },
      kDeadline);
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exit_code, 0);
  EXPECT_THAT(run.report, HasSubstr("first: " + links::MakerEntryLine() + "\n"));
  EXPECT_THAT(run.report, Not(HasSubstr("message:")));
  EXPECT_TRUE(ReadFile(path).starts_with(links::MakerEntryLine() + "\r\n"));
}

// ---- very long lines ----

TEST(LongLines, TenMegabyteUnitNameIsReportedMissing) {
  ScopedTempDir root;
  DemoProject demo(root);
  root.Write("project/Main.pas", "unit Main;\r\ninterface\r\nuses Shared, " +
                                     std::string(kTenMegabytes, 'A') + ";\r\nimplementation\r\nend.\r\n");
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_NO_FATAL_FAILURE(ExpectCompleted(run));
  EXPECT_THAT(run.report, HasSubstr("BACKUP COMPLETED WITH FILES MISSING"));
  EXPECT_THAT(ReadFile(demo.log_file), HasSubstr("Shared.pas found in"));
}

TEST(LongLines, TenMegabyteLineInTheProjectFileIsPassedOver) {
  ScopedTempDir root;
  DemoProject demo(root);
  root.Write("project/Demo.dpr", "program Demo;\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas', " +
                                     std::string(kTenMegabytes, ' ') + "\r\n  Util in 'Util.pas';\r\nbegin\r\nend.\r\n");
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_NO_FATAL_FAILURE(ExpectCompleted(run));
  EXPECT_EQ(ReadFile(demo.target + "Util.pas"), ReadFile(demo.project_dir + "Util.pas"));
}

TEST(LongLines, TenMegabyteCommentInAUsesClauseIsSkipped) {
  ScopedTempDir root;
  DemoProject demo(root);
  root.Write("project/Main.pas", "unit Main;\r\ninterface\r\nuses Shared, {" +
                                     std::string(kTenMegabytes, ',') + "} Util;\r\nimplementation\r\nend.\r\n");
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_NO_FATAL_FAILURE(ExpectCompleted(run));
  EXPECT_THAT(ReadFile(demo.log_file), HasSubstr("Shared.pas found in"));
}

TEST(LongLines, TenMegabyteSettingsValueAndRegistryLineGiveAResult) {
  ScopedTempDir root;
  DemoProject demo(root);
  const std::string huge(kTenMegabytes, 'x');
  root.Write("project/DEMO.INI", "[Settings]\r\nSourceProject=" + demo.project +
                                     "\r\nTargetPath=" + demo.target + "\r\n[Extra Files]\r\nFile0=" +
                                     huge + "\r\n");
  root.Write("prefix/user.reg",
             "WINE REGISTRY Version 2\n\n[Software\\\\Borland\\\\Delphi\\\\4.0\\\\Library] 1\n"
             "\"Search Path\"=\"" + huge + ";../shared\"\n");
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_TRUE(run.finished) << run.seconds << " s";
  ASSERT_EQ(run.exit_code, 0);
  // The extra file of that name cannot exist, so it cannot be copied: the user is told.
  EXPECT_THAT(run.report, HasSubstr("outcome: BACKUP COMPLETED"));
  EXPECT_THAT(run.report, Not(HasSubstr("locked")));
}

TEST(LongLines, TenMegabyteLinkLineLoadsAndSavesUnchanged) {
  ScopedTempDir root;
  const std::string path = root.dir() + "ZkDelphiLinks.dat";
  const std::string line = "Long|" + std::string(kTenMegabytes, 'u');
  WriteFile(path, links::MakerEntryLine() + "\r\n" + line + "\r\n");
  const ChildOutcome run = RunInChild(
      [&] {
        SetProgramFolder(root.dir());
        links::InitLinkFileName();
        RecordingPrompts prompts;
        links::TLinkForm form(prompts);
        const OpResult saved = form.SaveLinkFile();
        return prompts.Report() + (saved ? "saved\n" : "not saved: " + saved.error + "\n") +
               "url size: " + std::to_string(form.link_urls().at(1).size()) + "\n";
      },
      kDeadline);
  ASSERT_TRUE(run.finished);
  EXPECT_THAT(run.report, HasSubstr("saved\nurl size: " + std::to_string(kTenMegabytes) + "\n"));
  EXPECT_EQ(ReadFile(path), links::MakerEntryLine() + "\r\n" + line + "\r\n");
}

// A uses line of 10 MB that is mostly commas. Each comma ends an element (an empty one here),
// so the reader must take the elements without copying the rest of the line for each one: that
// copying alone is 25 TB for this line, and the run would never end.
TEST(LongLines, TenMegabyteRunOfCommasInAUsesLineEnds) {
  ScopedTempDir root;
  DemoProject demo(root);
  root.Write("project/Main.pas", "unit Main;\r\ninterface\r\nuses Shared" +
                                     std::string(kTenMegabytes, ',') +
                                     " Util, Gone;\r\nimplementation\r\nend.\r\n");
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_NO_FATAL_FAILURE(ExpectCompleted(run));
  const std::string log = ReadFile(demo.log_file);
  EXPECT_THAT(log, HasSubstr("Shared.pas found in"));
  EXPECT_THAT(log, HasSubstr("\r\nGone not found in search path\r\n"));
}

// ---- 100,000 units in one uses clause ----

std::string ManyUnits(const char* separator) {
  std::string list;
  for (int i = 0; i < 100000; ++i) {
    if (i > 0) list += separator;
    list += "U" + std::to_string(100000 + i);
  }
  return list;
}

class HundredThousandUnits : public ::testing::TestWithParam<const char*> {};

TEST_P(HundredThousandUnits, AreAllLookedUpAndReported) {
  ScopedTempDir root;
  DemoProject demo(root);
  root.Write("project/Main.pas", "unit Main;\r\ninterface\r\nuses Shared, " + ManyUnits(GetParam()) +
                                     ";\r\nimplementation\r\nend.\r\n");
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_NO_FATAL_FAILURE(ExpectCompleted(run));
  EXPECT_THAT(run.report, HasSubstr("BACKUP COMPLETED WITH FILES MISSING"));
  const std::string log = ReadFile(demo.log_file);
  EXPECT_THAT(log, HasSubstr("Shared.pas found in"));
  EXPECT_THAT(log, HasSubstr("\r\n* U100000\r\n"));
  EXPECT_THAT(log, HasSubstr("\r\n* U199999\r\n"));
}

INSTANTIATE_TEST_SUITE_P(Separated, HundredThousandUnits, ::testing::Values(",\r\n  ", ", "),
                         [](const auto& info) {
                           return std::string(info.index == 0 ? "OnePerLine" : "OnOneLine");
                         });

// A hand-edited settings file may hold a long list; reading it must not slow down with the
// square of its length.
TEST(HundredThousandSettings, ExcludedUnitsAndExtraFilesAreReadAndSaved) {
  constexpr int kEntries = 100000;
  ScopedTempDir root;
  DemoProject demo(root);
  std::string settings = "[Settings]\r\nSourceProject=" + demo.project + "\r\nTargetPath=" +
                         demo.target + "\r\n[Excluded Units]\r\n";
  for (int i = 0; i < kEntries; ++i) settings += "Unit" + std::to_string(i) + "=U" + std::to_string(i) + "\r\n";
  settings += "[Extra Files]\r\n";
  for (int i = 0; i < kEntries; ++i) {
    settings += "File" + std::to_string(i) + "=" + root.dir() + "missing" + std::to_string(i) + "\r\n";
  }
  WriteFile(demo.settings, settings);
  const ChildOutcome run = RunInChild(
      [&] {
        RecordingPrompts prompts;
        EnterDemoEnvironment(demo);
        pb::TfrmProjectBackup form(prompts, 4);
        form.SetSourceProject(demo.project);
        form.SettingsChanged = true;
        form.ExtraFilesChanged = true;
        const OpResult saved = form.SaveSettings();
        return prompts.Report() + "units: " + std::to_string(form.lbStockUnits.count()) +
               "\nfiles: " + std::to_string(form.lbExtraFiles.count()) + "\n" +
               (saved ? "saved\n" : "not saved: " + saved.error + "\n");
      },
      kDeadline);
  ASSERT_TRUE(run.finished) << "no result within the deadline";
  EXPECT_EQ(run.report, "units: 100000\nfiles: 100000\nsaved\n");
  EXPECT_THAT(ReadFile(demo.settings), HasSubstr("\r\nUnit99999=U99999\r\n"));
}

// ---- a comment that never closes ----

TEST(UnclosedComment, EndsTheUsesClauseAtTheEndOfTheFile) {
  ScopedTempDir root;
  DemoProject demo(root);
  root.Write("project/Main.pas",
             "unit Main;\r\ninterface\r\nuses Shared, {never closed,\r\n  Gone;\r\n"
             "implementation\r\nuses Util, Lost;\r\nend.\r\n");
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_NO_FATAL_FAILURE(ExpectCompleted(run));
  const std::string log = ReadFile(demo.log_file);
  EXPECT_THAT(log, HasSubstr("Shared.pas found in"));
  EXPECT_THAT(log, Not(HasSubstr("Lost")));
  EXPECT_THAT(run.report, HasSubstr("BACKUP COMPLETED SUCCESSFULLY"));
}

// ---- path texts with "..", NUL and non-UTF-8 bytes ----

TEST(HostilePaths, DotDotNamesNeverPlaceACopyOutsideTheTarget) {
  ScopedTempDir root;
  DemoProject demo(root);
  root.Write("outside/Evil.pas", "unit Evil;");
  root.Write("project/Demo.dpr",
             "program Demo;\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas',\r\n"
             "  Evil in '..\\outside\\Evil.pas';\r\nbegin\r\nend.\r\n");
  root.Write("project/Main.pas", "unit Main;\r\ninterface\r\nuses ..\\..\\outside\\Evil, ../outside/Evil;\r\n"
                                 "implementation\r\nend.\r\n");
  const auto before = NamesIn(root.dir());
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_NO_FATAL_FAILURE(ExpectCompleted(run));
  EXPECT_EQ(ReadFile(demo.target + "Evil.pas"), "unit Evil;");
  EXPECT_EQ(NamesIn(root.dir()), before);
  EXPECT_EQ(NamesIn(root.dir() + "outside"), std::vector<std::string>{"Evil.pas"});
  for (const std::string& name : NamesIn(demo.target)) {
    EXPECT_TRUE(std::filesystem::is_regular_file(demo.target + name)) << name;
  }
}

TEST(HostilePaths, NulInAUnitNameIsReportedMissing) {
  ScopedTempDir root;
  DemoProject demo(root);
  root.Write("project/Main.pas", std::string("unit Main;\r\ninterface\r\nuses Shared, Sha\0red, Util;\r\n"
                                             "implementation\r\nend.\r\n", 64));
  const ChildOutcome run = BackupInChild(demo);
  ASSERT_NO_FATAL_FAILURE(ExpectCompleted(run));
  EXPECT_THAT(ReadFile(demo.log_file), HasSubstr(std::string("\r\n* Sha\0red\r\n", 12)));
}

TEST(HostilePaths, NulInTheSettingsDestinationIsReportedAsNotCopied) {
  ScopedTempDir root;
  DemoProject demo(root);
  const std::string target = root.dir() + "tar" + std::string(1, '\0') + "get/";
  root.Write("project/DEMO.INI",
             "[Settings]\r\nSourceProject=" + demo.project + "\r\nTargetPath=" + target + "\r\n");
  const ChildOutcome run = RunInChild(
      [&] {
        RecordingPrompts prompts;
        EnterDemoEnvironment(demo);
        pb::TfrmProjectBackup form(prompts, 4);
        form.SetSourceProject(demo.project);
        form.btnBackupClick();
        return prompts.Report();
      },
      kDeadline);
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exit_code, 0) << run.report;
  EXPECT_THAT(run.report, HasSubstr("message: Backup completed but some file(s) could not be copied"));
  EXPECT_FALSE(std::filesystem::exists(root.dir() + "tar"));
}

TEST(HostilePaths, NonUtf8FolderAndUnitNamesAreBackedUpByteForByte) {
  ScopedTempDir root;
  const std::string folder = "proj\xE9t\xFF";
  const std::string unit = "\xC4nderung";
  root.Write(folder + "/Demo.dpr", "program Demo;\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas';\r\nbegin\r\nend.\r\n");
  root.Write(folder + "/Main.pas", "unit Main;\r\ninterface\r\nuses " + unit + ";\r\nimplementation\r\nend.\r\n");
  root.Write(folder + "/" + unit + ".pas", "unit " + unit + ";");
  std::filesystem::create_directories(root.dir() + "ide");
  std::filesystem::create_directories(root.dir() + "prefix");
  const std::string target = root.dir() + "t\xE4rget/";
  const ChildOutcome run = RunInChild(
      [&] {
        SetProgramFolder(root.dir() + "ide/");
        ::setenv("WINEPREFIX", (root.dir() + "prefix").c_str(), 1);
        if (::chdir((root.dir() + folder).c_str()) != 0) return std::string("no chdir");
        RecordingPrompts prompts;
        pb::TfrmProjectBackup form(prompts, 4);
        form.SetSourceProject(root.dir() + folder + "/Demo.dpr");
        form.SetTargetPath(target);
        form.btnBackupClick();
        return prompts.Report();
      },
      kDeadline);
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exit_code, 0) << run.report;
  EXPECT_THAT(run.report, HasSubstr("message: Backup completed successfully!"));
  EXPECT_EQ(ReadFile(target + unit + ".pas"), "unit " + unit + ";");
  EXPECT_THAT(ReadFile(root.dir() + folder + "/Demo_backup.log"),
              HasSubstr(unit + ".pas found in " + root.dir() + folder + "/"));
}

// ---- settings files that name each other ----

TEST(SettingsCycle, TwoFilesNamingEachOtherEndWithTheOpenedProject) {
  ScopedTempDir root;
  DemoProject demo(root);
  const std::string other = root.dir() + "other/Other.dpr";
  root.Write("other/Other.dpr", "program Other;");
  root.Write("other/OTHER.INI", "[Settings]\r\nSourceProject=" + demo.project +
                                    "\r\nTargetPath=/other/target/\r\n");
  root.Write("project/DEMO.INI", "[Settings]\r\nSourceProject=" + other + "\r\nTargetPath=" +
                                     demo.target + "\r\n");
  root.Write("ide/ProjectBackup.ini", "[Settings]\r\nSourceProject=" + other + "\r\n");
  const ChildOutcome run = RunInChild(
      [&] {
        RecordingPrompts prompts;
        EnterDemoEnvironment(demo);
        pb::TfrmProjectBackup form(prompts, 4);
        const std::string restored = form.SourceProject();
        form.SetSourceProject(demo.project);
        return prompts.Report() + "restored: " + restored + "\nproject: " + form.SourceProject() +
               "\ntarget: " + form.TargetPath() + "\n";
      },
      kDeadline);
  ASSERT_TRUE(run.finished) << "reading the settings did not end";
  ASSERT_EQ(run.exit_code, 0);
  EXPECT_THAT(run.report, HasSubstr("project: " + demo.project + "\ntarget: " + demo.target + "\n"));
  EXPECT_THAT(run.report, Not(HasSubstr("message:")));
}

}  // namespace
}  // namespace zk::test
