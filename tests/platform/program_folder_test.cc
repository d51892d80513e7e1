#include "platform/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/platform/scoped_temp_dir.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnv;
using testing::ScopedTempDir;

class ProgramFolderTest : public ::testing::Test {
 protected:
  ~ProgramFolderTest() override { SetProgramFolder(""); }
  ScopedTempDir dir_;
};

TEST_F(ProgramFolderTest, XdgConfigHomeIsCreatedWhenMissing) {
  ScopedEnv config("XDG_CONFIG_HOME", dir_.Join("cfg").c_str());
  EXPECT_EQ(ProgramFolder(), dir_.Join("cfg/zkide/"));
  EXPECT_TRUE(fs::is_directory(dir_.Join("cfg/zkide")));
}

TEST_F(ProgramFolderTest, DefaultsToDotConfigInHome) {
  ScopedEnv config("XDG_CONFIG_HOME", nullptr);
  ScopedEnv home("HOME", dir_.path().c_str());
  EXPECT_EQ(ProgramFolder(), dir_.Join(".config/zkide/"));
  EXPECT_TRUE(fs::is_directory(dir_.Join(".config/zkide")));
}

TEST_F(ProgramFolderTest, RelativeXdgConfigHomeIsIgnored) {
  ScopedEnv config("XDG_CONFIG_HOME", "relative/cfg");
  ScopedEnv home("HOME", dir_.path().c_str());
  EXPECT_EQ(ProgramFolder(), dir_.Join(".config/zkide/"));
}

TEST_F(ProgramFolderTest, HostsFolderWinsUntilReset) {
  ScopedEnv config("XDG_CONFIG_HOME", dir_.Join("cfg").c_str());
  SetProgramFolder(dir_.Join("Delphi4/Bin"));
  EXPECT_EQ(ProgramFolder(), dir_.Join("Delphi4/Bin/"));
  EXPECT_TRUE(fs::is_directory(dir_.Join("Delphi4/Bin")));
  SetProgramFolder(dir_.Join("Other/"));
  EXPECT_EQ(ProgramFolder(), dir_.Join("Other/"));
  SetProgramFolder("");
  EXPECT_EQ(ProgramFolder(), dir_.Join("cfg/zkide/"));
}

TEST_F(ProgramFolderTest, FolderThatCannotBeMadeIsStillReturned) {
  dir_.WriteFile("file", "");
  SetProgramFolder(dir_.Join("file/sub"));
  EXPECT_EQ(ProgramFolder(), dir_.Join("file/sub/"));
}

}  // namespace
}  // namespace zk
