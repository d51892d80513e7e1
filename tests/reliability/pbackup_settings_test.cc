// pbackup is told which project to back up; a settings file beside that project which names
// another project, or none (a broken or binary file), must not make it back up something else
// or fail with a message that does not say why.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "tests/reliability/child_process.h"
#include "tests/reliability/demo_project.h"
#include "tests/support/scoped_temp_dir.h"

namespace zk::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

struct SettingsCase {
  const char* name;
  std::string settings;  // the content of DEMO.INI; "@other" stands for the other project's path
};

class PbackupProjectSettings : public ::testing::TestWithParam<SettingsCase> {};

TEST_P(PbackupProjectSettings, BackUpTheNamedProjectOrSayWhyNot) {
  ScopedTempDir root;
  DemoProject demo(root);
  const std::string other = root.dir() + "other/Other.dpr";
  root.Write("other/Other.dpr", "program Other;");
  std::string settings = GetParam().settings;
  if (const size_t at = settings.find("@other"); at != std::string::npos) settings.replace(at, 6, other);
  WriteFile(demo.settings, settings);
  ::setenv("WINEPREFIX", (root.dir() + "prefix").c_str(), 1);

  std::string output;
  const ChildOutcome run = RunProgram(
      {ZK_PBACKUP_PATH, "--yes", "--ide-dir", demo.ide_dir, demo.project, demo.target}, 60s, &output);

  ASSERT_TRUE(run.finished);
  // Never the other project, and nothing written beside it.
  EXPECT_FALSE(std::filesystem::exists(demo.target + "Other.dpr")) << output;
  EXPECT_EQ(NamesIn(root.dir() + "other"), std::vector<std::string>{"Other.dpr"});
  if (run.exit_code == 0 || run.exit_code == 1) {
    EXPECT_EQ(ReadFile(demo.target + "Demo.dpr"), ReadFile(demo.project)) << output;
  } else {
    // A refusal names the settings file the user has to correct.
    EXPECT_THAT(output, HasSubstr(demo.settings));
    EXPECT_THAT(output, Not(HasSubstr("cannot enter the project folder :")));
  }
}

INSTANTIATE_TEST_SUITE_P(
    SettingsFile, PbackupProjectSettings,
    ::testing::Values(
        SettingsCase{"NamesAnotherProject", "[Settings]\r\nSourceProject=@other\r\n"},
        SettingsCase{"NamesNoProject", "[Settings]\r\nSourceProject=\r\nTargetPath=/x/\r\n"},
        SettingsCase{"IsBinary", std::string("\x7f" "ELF\x02\x01\x01\0\0\0\xff\xfe\r\n\x01\x02", 16)}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zk::test
