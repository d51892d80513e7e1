// pbackup end to end: the built program on the bundled demo project and on small projects made
// here, in temporary folders with a Wine-style prefix of their own.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/path_text.h"
#include "tests/cli/run_program.h"
#include "tests/support/scoped_temp_dir.h"

namespace zk::cli {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;
using test::ProgramResult;

const std::string kRule(60, '=');

Names SplitOn(const std::string& text, const std::string& end) {
  Names lines;
  size_t start = 0;
  for (size_t at; (at = text.find(end, start)) != std::string::npos; start = at + end.size())
    lines.push_back(text.substr(start, at - start));
  if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
  return lines;
}

void Replace(std::string& text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
    text.replace(at, from.size(), to);
}

// Lines equal, except that "@NOW@" at the end of an expected line stands for any date and time.
void ExpectSameLog(const Names& actual, const Names& expected) {
  ASSERT_EQ(actual.size(), expected.size()) << "log has another number of lines";
  for (size_t i = 0; i < expected.size(); ++i) {
    const std::string& want = expected[i];
    if (want.ends_with("@NOW@")) {
      const std::string prefix = want.substr(0, want.size() - 5);
      EXPECT_TRUE(actual[i].starts_with(prefix) && actual[i].size() > prefix.size())
          << "line " << i + 1 << ": " << actual[i];
    } else {
      EXPECT_EQ(actual[i], want) << "line " << i + 1;
    }
  }
}

std::set<std::string> FilesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename());
  return names;
}

class PbackupTest : public testing::Test {
 protected:
  PbackupTest() {
    const char* binary_dir = std::getenv("ZK_BINARY_DIR");
    const char* source_dir = std::getenv("ZK_SOURCE_DIR");
    if (!binary_dir || !source_dir) {
      ADD_FAILURE() << "ZK_BINARY_DIR and ZK_SOURCE_DIR must be set (run through ctest)";
      return;
    }
    binary_ = std::string(binary_dir) + "/bin/pbackup";
    source_ = source_dir;
    root_ = fs::canonical(temp_.path()).string();
    fs::create_directories(root_ + "/prefix/drive_c");
    fs::create_directories(root_ + "/prefix/dosdevices");
    fs::create_symlink("../drive_c", root_ + "/prefix/dosdevices/c:");
    fs::create_directories(root_ + "/ide");
    fs::create_directories(root_ + "/scratch");
  }

  // The demo project and its shared folder, copied below `where` (a folder of the temp dir).
  std::string CopyDemo(const std::string& where) {
    fs::create_directories(where);
    fs::copy(source_ + "/examples/demo", where + "/demo", fs::copy_options::recursive);
    fs::copy(source_ + "/examples/shared", where + "/shared", fs::copy_options::recursive);
    // What a backup of the example in the source tree left beside it is not part of the example.
    fs::remove(where + "/demo/DEMO.INI");
    fs::remove(where + "/demo/Demo_backup.log");
    return where + "/demo";
  }

  ProgramResult Pbackup(const Names& args, const std::string& cwd = "/") {
    Names argv = {binary_};
    argv.insert(argv.end(), args.begin(), args.end());
    return test::RunProgram(argv,
                            {{"WINEPREFIX", root_ + "/prefix"},
                             {"XDG_CONFIG_HOME", root_ + "/config"}},
                            cwd, root_ + "/scratch");
  }

  Names ExpectedDemoLog(const std::string& demo) const {
    std::string text = test::ReadWhole(source_ + "/tests/cli/demo_expected.log");
    Replace(text, "@DEMOUP@", UpperCase(demo));
    Replace(text, "@DEMO@", demo);
    return SplitOn(text, "\n");
  }

  // A project whose every unit is found.
  std::string WriteSmallProject(const std::string& folder) {
    temp_.Write(folder.substr(root_.size() + 1) + "/Small.dpr",
                "program Small;\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas';\r\nbegin\r\nend.\r\n");
    temp_.Write(folder.substr(root_.size() + 1) + "/Main.pas",
                "unit Main;\r\ninterface\r\nuses Windows, Forms;\r\nimplementation\r\nend.\r\n");
    return folder + "/Small.dpr";
  }

  test::ScopedTempDir temp_;
  std::string binary_;
  std::string source_;
  std::string root_;
};

TEST_F(PbackupTest, BacksUpTheDemoProject) {
  const std::string demo = CopyDemo(root_);
  const ProgramResult r =
      Pbackup({"--yes", "--ide-dir", root_ + "/ide", demo + "/Demo.dpr", root_ + "/backup"});
  EXPECT_EQ(r.exit_code, 1) << r.err;
  const Names expected = ExpectedDemoLog(demo);
  ExpectSameLog(SplitOn(r.out, "\n"), expected);

  // The file has the notice lines the screen leaves out.
  Names file = expected;
  file.insert(file.end(), {"Copyright (c) 1998 Quorvin - http://www.quorvin.example.com/",
                           "Try the Pellora components at http://www.quorvin.example.com/pellora/",
                           kRule});
  ExpectSameLog(SplitOn(test::ReadWhole(demo + "/Demo_backup.log"), "\r\n"), file);

  EXPECT_EQ(FilesIn(root_ + "/backup"),
            (std::set<std::string>{"About.dfm", "About.pas", "DataMod.dfm", "DataMod.pas",
                                   "Demo.dof", "Demo.dpr", "Demo.res", "Main.dfm", "Main.pas",
                                   "OldCalc.dcu", "SharedDlg.dfm", "SharedDlg.pas",
                                   "SharedUtils.pas"}));
  EXPECT_EQ(test::ReadWhole(root_ + "/backup/SharedDlg.dfm"),
            test::ReadWhole(root_ + "/shared/SharedDlg.dfm"));
  // One line of reason, naming the log.
  EXPECT_EQ(SplitOn(r.err, "\n").size(), 1u) << r.err;
  EXPECT_NE(r.err.find(demo + "/Demo_backup.log"), std::string::npos) << r.err;

  // Both settings files name the project; the project's holds the destination.
  EXPECT_NE(test::ReadWhole(root_ + "/ide/ProjectBackup.ini").find("SourceProject=" + demo),
            std::string::npos);
  EXPECT_NE(test::ReadWhole(demo + "/DEMO.INI").find("TargetPath=" + root_ + "/backup/"),
            std::string::npos);
}

TEST_F(PbackupTest, RelativePathsFromAnotherFolder) {
  const std::string demo = CopyDemo(root_ + "/work");
  fs::create_directories(root_ + "/elsewhere");
  // The project's search path (..\shared) is relative: it must resolve from the project folder,
  // not from where pbackup was started.
  const ProgramResult r = Pbackup({"--yes", "--ide-dir", "../ide", "--log", "../run.log",
                                   "../work/demo/Demo.dpr", "../backup"},
                                  root_ + "/elsewhere");
  EXPECT_EQ(r.exit_code, 1) << r.err;
  ExpectSameLog(SplitOn(r.out, "\n"), ExpectedDemoLog(demo));
  EXPECT_TRUE(fs::exists(root_ + "/backup/SharedUtils.pas"));
  EXPECT_TRUE(fs::exists(root_ + "/run.log"));
  EXPECT_TRUE(fs::exists(root_ + "/ide/ProjectBackup.ini"));
  EXPECT_FALSE(fs::exists(demo + "/Demo_backup.log"));
}

TEST_F(PbackupTest, CompleteProjectExitsWithZero) {
  const std::string project = WriteSmallProject(root_ + "/small");
  const ProgramResult r = Pbackup({"--yes", "--ide-dir", root_ + "/ide", project, root_ + "/out"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const Names log = SplitOn(r.out, "\n");
  ASSERT_GE(log.size(), 3u);
  EXPECT_TRUE(log[log.size() - 3].starts_with("BACKUP COMPLETED SUCCESSFULLY AT ")) << r.out;
  EXPECT_EQ(FilesIn(root_ + "/out"), (std::set<std::string>{"Small.dpr", "Main.pas"}));
}

TEST_F(PbackupTest, OverwriteIsRefusedWithoutYesAndNoTerminal) {
  const std::string project = WriteSmallProject(root_ + "/small");
  ASSERT_EQ(Pbackup({"--ide-dir", root_ + "/ide", project, root_ + "/out"}).exit_code, 0);
  temp_.Write("out/Small.dpr", "kept");
  const ProgramResult r = Pbackup({"--ide-dir", root_ + "/ide", project, root_ + "/out"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("--yes"), std::string::npos) << r.err;
  EXPECT_EQ(SplitOn(r.err, "\n").size(), 1u) << r.err;
  EXPECT_EQ(test::ReadWhole(root_ + "/out/Small.dpr"), "kept");
}

TEST_F(PbackupTest, WithoutTargetUsesTheSavedDestination) {
  const std::string project = WriteSmallProject(root_ + "/small");
  const ProgramResult missing = Pbackup({"--ide-dir", root_ + "/ide", project});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_NE(missing.err.find("TARGET_DIR"), std::string::npos) << missing.err;

  ASSERT_EQ(Pbackup({"--ide-dir", root_ + "/ide", project, root_ + "/out"}).exit_code, 0);
  temp_.Write("out/Small.dpr", "replaced");
  const ProgramResult again = Pbackup({"--yes", "--ide-dir", root_ + "/ide", project});
  EXPECT_EQ(again.exit_code, 0) << again.err;
  EXPECT_NE(test::ReadWhole(root_ + "/out/Small.dpr"), "replaced");
}

TEST_F(PbackupTest, LastProjectsListsAreNotCarriedOver) {
  // The global settings name another project whose own settings add an extra file.
  temp_.Write("other/Other.dpr", "program Other;\r\n");
  temp_.Write("other/extra.txt", "extra");
  temp_.Write("other/OTHER.INI", "[Settings]\r\nSourceProject=" + root_ +
                                     "/other/Other.dpr\r\nTargetPath=" + root_ +
                                     "/otherbackup/\r\n[Extra Files]\r\nFile0=" + root_ +
                                     "/other/extra.txt\r\n");
  temp_.Write("ide/ProjectBackup.ini", "[Settings]\r\nSourceProject=" + root_ + "/other/Other.dpr\r\n");
  const std::string project = WriteSmallProject(root_ + "/small");
  const ProgramResult r = Pbackup({"--yes", "--ide-dir", root_ + "/ide", project, root_ + "/out"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.find("EXTRA FILES"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(root_ + "/out/extra.txt"));
  EXPECT_NE(test::ReadWhole(root_ + "/ide/ProjectBackup.ini").find("Small.dpr"), std::string::npos);
  EXPECT_TRUE(fs::exists(root_ + "/small/SMALL.INI"));
}

TEST_F(PbackupTest, ListEditsAreUsedByTheRunAndSavedInTheSettingsFile) {
  // Main uses Windows (a stock unit, excluded by default) and Helper, found in the project folder.
  temp_.Write("small/Small.dpr",
              "program Small;\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas';\r\nbegin\r\nend.\r\n");
  temp_.Write("small/Main.pas",
              "unit Main;\r\ninterface\r\nuses Windows, Helper;\r\nimplementation\r\nend.\r\n");
  temp_.Write("small/Helper.pas", "unit Helper;\r\ninterface\r\nimplementation\r\nend.\r\n");
  temp_.Write("notes/readme.txt", "notes");
  const std::string project = root_ + "/small/Small.dpr";
  const ProgramResult r = Pbackup({"--yes", "--ide-dir", root_ + "/ide", "--exclude", "helper.pas",
                                   "--include", "Windows", "--extra", root_ + "/notes/readme.txt",
                                   project, root_ + "/out"});
  // Windows is no longer excluded and exists nowhere; Helper is excluded now.
  EXPECT_EQ(r.exit_code, 1) << r.err;
  EXPECT_NE(r.out.find("Windows not found in search path"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Helper.pas found in"), std::string::npos) << r.out;
  EXPECT_FALSE(fs::exists(root_ + "/out/Helper.pas"));
  EXPECT_EQ(test::ReadWhole(root_ + "/out/readme.txt"), "notes");

  const std::string settings = test::ReadWhole(root_ + "/small/SMALL.INI");
  EXPECT_NE(settings.find("[Excluded Units]"), std::string::npos) << settings;
  EXPECT_NE(settings.find("=HELPER\r\n"), std::string::npos) << settings;
  EXPECT_EQ(settings.find("=WINDOWS\r\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("[Extra Files]\r\nFile0=" + root_ + "/notes/readme.txt\r\n"),
            std::string::npos)
      << settings;

  // The next run without options starts from the saved lists.
  const ProgramResult again = Pbackup({"--yes", "--ide-dir", root_ + "/ide", project});
  EXPECT_EQ(again.exit_code, 1) << again.err;
  EXPECT_NE(again.out.find("EXTRA FILES"), std::string::npos) << again.out;
  EXPECT_EQ(again.out.find("Helper.pas found in"), std::string::npos) << again.out;
}

TEST_F(PbackupTest, ListEditsThatCannotBeMadeAreRefused) {
  const std::string project = WriteSmallProject(root_ + "/small");
  struct Case {
    Names args;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {{"--include", "NoSuchUnit"}, "NOSUCHUNIT is not among the excluded units"},
      {{"--extra", root_ + "/missing.txt"}, "cannot find the extra file"},
      {{"--exclude"}, "--exclude needs a value"},
  };
  for (const Case& c : cases) {
    Names args = {"--yes", "--ide-dir", root_ + "/ide"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    if (c.args.size() > 1) args.insert(args.end(), {project, root_ + "/out"});
    const ProgramResult r = Pbackup(args);
    EXPECT_EQ(r.exit_code, 2) << c.reason;
    EXPECT_NE(r.err.find(c.reason), std::string::npos) << r.err;
  }
  EXPECT_FALSE(fs::exists(root_ + "/out"));
}

TEST_F(PbackupTest, WindowsPathsGoThroughTheDriveMap) {
  CopyDemo(root_ + "/prefix/drive_c/Projects");
  const ProgramResult r = Pbackup(
      {"--yes", "--ide-dir", root_ + "/ide", "C:\\Projects\\Demo\\Demo.dpr", "C:\\Backup"});
  EXPECT_EQ(r.exit_code, 1) << r.err;
  const Names log = SplitOn(r.out, "\n");
  ASSERT_GT(log.size(), 10u);
  EXPECT_EQ(log[1], "C:\\Projects\\Demo\\Demo.dpr");
  EXPECT_EQ(log[10], "C:\\PROJECTS\\DEMO\\Main.pas");
  EXPECT_TRUE(fs::exists(root_ + "/prefix/drive_c/Backup/SharedUtils.pas"));
  EXPECT_TRUE(fs::exists(root_ + "/prefix/drive_c/Projects/demo/Demo_backup.log"));
}

TEST_F(PbackupTest, Delphi3WritesItsVersion) {
  const std::string project = WriteSmallProject(root_ + "/small");
  const ProgramResult r =
      Pbackup({"--yes", "--delphi", "3", "--ide-dir", root_ + "/ide", project, root_ + "/out"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(SplitOn(r.out, "\n").at(2), "Delphi Version #3");
}

TEST_F(PbackupTest, CopiesThatFailGiveStatusTwo) {
  const std::string project = WriteSmallProject(root_ + "/small");
  const ProgramResult r =
      Pbackup({"--yes", "--ide-dir", root_ + "/ide", project, root_ + "/no/such/out"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.out.find("BACKUP COMPLETED WITH ERRORS"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("FILES NOT COPIED:\n" + root_ + "/no/such/out/Small.dpr\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.err.find("could not be copied"), std::string::npos) << r.err;
}

TEST_F(PbackupTest, LogFileThatCannotBeWrittenGivesStatusTwo) {
  const std::string project = WriteSmallProject(root_ + "/small");
  const ProgramResult r = Pbackup({"--yes", "--ide-dir", root_ + "/ide", "--log",
                                   root_ + "/no/such/run.log", project, root_ + "/out"});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("run.log"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(root_ + "/small/SMALL.INI"));
}

struct RefusalCase {
  const char* name;
  Names args;  // "@ROOT@" stands for the temp folder
  const char* reason;
};

class PbackupRefusalTest : public PbackupTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(PbackupRefusalTest, ExitsWithTwoAndAReason) {
  WriteSmallProject(root_ + "/small");
  Names args = GetParam().args;
  for (std::string& arg : args) Replace(arg, "@ROOT@", root_);
  const ProgramResult r = Pbackup(args);
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find(GetParam().reason), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(fs::exists(root_ + "/out"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PbackupRefusalTest,
    testing::Values(
        RefusalCase{"TargetIsTheProjectFolder",
                    {"--yes", "--ide-dir", "@ROOT@/ide", "@ROOT@/small/Small.dpr", "@ROOT@/SMALL"},
                    "Target directory must be different than source directory!"},
        RefusalCase{"ProjectNotFound",
                    {"--ide-dir", "@ROOT@/ide", "@ROOT@/small/Nothing.dpr", "@ROOT@/out"},
                    "Nothing.dpr"},
        RefusalCase{"UnknownOption", {"--frobnicate", "@ROOT@/small/Small.dpr"}, "--frobnicate"},
        RefusalCase{"BadVersion",
                    {"--delphi", "5", "@ROOT@/small/Small.dpr", "@ROOT@/out"},
                    "--delphi"},
        RefusalCase{"NoProject", {"--yes"}, "no project"},
        RefusalCase{"TooManyArguments", {"@ROOT@/small/Small.dpr", "@ROOT@/out", "x"}, "x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PbackupTest, HelpAndVersion) {
  const ProgramResult help = Pbackup({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: pbackup [options] PROJECT.dpr [TARGET_DIR]")) << help.out;
  const ProgramResult version = Pbackup({"--version"});
  EXPECT_EQ(version.exit_code, 0);
  EXPECT_TRUE(version.out.starts_with("pbackup ")) << version.out;
}

}  // namespace
}  // namespace zk::cli
