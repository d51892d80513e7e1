#include "platform/path_resolver.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>

#include "platform/file_ops.h"
#include "tests/platform/scoped_temp_dir.h"

namespace zk {
namespace {

using testing::ScopedCwd;
using testing::ScopedEnv;
using testing::ScopedTempDir;

// Runs every look-up test twice: reading folders each time, and through the folder cache.
class ResolvePathTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) cache_.emplace();
    dir_.WriteFile("Units/SysUtils.pas", "");
    dir_.WriteFile("Units/Forms.dcu", "");
    dir_.WriteFile("Exact/a.pas", "");
    dir_.WriteFile("Exact/A.pas", "");
    dir_.WriteFile("Many/unit.PAS", "");
    dir_.WriteFile("Many/Unit.pas", "");
    dir_.WriteFile("Many/UNIT.pas", "");
  }

  std::string Root() const { return dir_.path(); }

  ScopedTempDir dir_;
  std::optional<DirCacheScope> cache_;
};

INSTANTIATE_TEST_SUITE_P(Uncached, ResolvePathTest, ::testing::Values(false));
INSTANTIATE_TEST_SUITE_P(Cached, ResolvePathTest, ::testing::Values(true));

TEST_P(ResolvePathTest, MatchesEveryComponentIgnoringCase) {
  EXPECT_EQ(ResolvePath(Root() + "/units/SYSUTILS.pas"), Root() + "/Units/SysUtils.pas");
  EXPECT_EQ(ResolvePath(Root() + "\\UNITS\\forms.DCU"), Root() + "/Units/Forms.dcu");
}

TEST_P(ResolvePathTest, ExactNameWinsOverOtherCase) {
  EXPECT_EQ(ResolvePath(Root() + "/Exact/a.pas"), Root() + "/Exact/a.pas");
  EXPECT_EQ(ResolvePath(Root() + "/Exact/A.pas"), Root() + "/Exact/A.pas");
}

TEST_P(ResolvePathTest, SeveralMatchesTakeTheFirstInByteOrder) {
  EXPECT_EQ(ResolvePath(Root() + "/many/uNiT.pAs"), Root() + "/Many/UNIT.pas");
  EXPECT_EQ(ResolvePath(Root() + "/Exact/A.PAS"), Root() + "/Exact/A.pas");
}

TEST_P(ResolvePathTest, MissingComponentsAreKeptAsWritten) {
  EXPECT_EQ(ResolvePath(Root() + "/units/NewUnit.pas"), Root() + "/Units/NewUnit.pas");
  EXPECT_EQ(ResolvePath(Root() + "\\NoSuch\\units\\x.pas"), Root() + "/NoSuch/units/x.pas");
}

TEST_P(ResolvePathTest, DotsAreLexical) {
  EXPECT_EQ(ResolvePath(Root() + "/units/./../UNITS/sysutils.pas"),
            Root() + "/Units/SysUtils.pas");
  // `..` after a missing folder comes back to folders that exist and are matched again.
  EXPECT_EQ(ResolvePath(Root() + "/NoSuch/../units"), Root() + "/Units");
  EXPECT_EQ(ResolvePath("/../../.." + Root() + "/units"), Root() + "/Units");
  EXPECT_EQ(ResolvePath("/.."), "/");
}

TEST_P(ResolvePathTest, TrailingSeparatorIsKept) {
  EXPECT_EQ(ResolvePath(Root() + "\\units\\"), Root() + "/Units/");
  EXPECT_EQ(ResolvePath(Root() + "/units//"), Root() + "/Units/");
  EXPECT_EQ(ResolvePath("/"), "/");
  EXPECT_EQ(ResolvePath("\\"), "/");
}

TEST_P(ResolvePathTest, RelativeTextsStartAtTheCurrentFolder) {
  ScopedCwd cwd(Root() + "/Units");
  EXPECT_EQ(ResolvePath("sysutils.pas"), Root() + "/Units/SysUtils.pas");
  EXPECT_EQ(ResolvePath("..\\many\\unit.pas"), Root() + "/Many/UNIT.pas");
  EXPECT_EQ(ResolvePath("."), Root() + "/Units");
}

TEST_P(ResolvePathTest, TextsThatCannotNameAFile) {
  EXPECT_EQ(ResolvePath(""), std::nullopt);
  std::string with_nul = Root() + "/units";
  with_nul += '\0';
  with_nul += "/x";
  EXPECT_EQ(ResolvePath(with_nul), std::nullopt);
}

// A Wine prefix in a temporary folder, made the way a new prefix looks.
class WineDriveTest : public ::testing::Test {
 protected:
  WineDriveTest() : prefix_env_("WINEPREFIX", nullptr) {
    dir_.WriteFile("prefix/drive_c/Windows/WIN.INI", "[x]\r\n");
    dir_.MakeDirs("prefix/dosdevices");
    std::filesystem::create_directory_symlink("../drive_c", dir_.Join("prefix/dosdevices/c:"));
    std::filesystem::create_directory_symlink("../nowhere", dir_.Join("prefix/dosdevices/d:"));
    std::filesystem::create_symlink(dir_.Join("prefix/drive_c/Windows/WIN.INI"),
                                    dir_.Join("prefix/dosdevices/e:"));
    ::setenv("WINEPREFIX", dir_.Join("prefix").c_str(), 1);
  }

  std::string DriveC() const { return dir_.Join("prefix/drive_c"); }

  ScopedTempDir dir_;
  ScopedEnv prefix_env_;  // restores the variable when the test ends
};

TEST_F(WineDriveTest, PrefixComesFromTheEnvironment) {
  EXPECT_EQ(WinePrefix(), dir_.Join("prefix"));
}

TEST_F(WineDriveTest, DriveRootFollowsTheDosdevicesLink) {
  EXPECT_EQ(DriveRoot('C'), DriveC());
  EXPECT_EQ(DriveRoot('c'), DriveC());
}

TEST_F(WineDriveTest, UnmappedDanglingOrFileLinkIsNoDrive) {
  EXPECT_EQ(DriveRoot('Q'), std::nullopt);
  EXPECT_EQ(DriveRoot('D'), std::nullopt);
  EXPECT_EQ(DriveRoot('E'), std::nullopt);
  EXPECT_EQ(DriveRoot('1'), std::nullopt);
}

TEST_F(WineDriveTest, DriveTextsResolveBelowTheDriveRoot) {
  EXPECT_EQ(ResolvePath("C:\\windows\\win.ini"), DriveC() + "/Windows/WIN.INI");
  EXPECT_EQ(ResolvePath("c:/WINDOWS/"), DriveC() + "/Windows/");
  EXPECT_EQ(ResolvePath("C:\\"), DriveC() + "/");
  EXPECT_EQ(ResolvePath("C:"), DriveC());
  EXPECT_EQ(ResolvePath("C:\\New\\file.txt"), DriveC() + "/New/file.txt");
}

TEST_F(WineDriveTest, DotDotStopsAtTheDriveRoot) {
  EXPECT_EQ(ResolvePath("C:\\..\\..\\windows"), DriveC() + "/Windows");
}

TEST_F(WineDriveTest, TextsOnUnmappedDrivesResolveToNothing) {
  EXPECT_EQ(ResolvePath("Q:\\x.pas"), std::nullopt);
  EXPECT_EQ(ResolvePath("D:\\x.pas"), std::nullopt);
  EXPECT_FALSE(FileExists("Q:\\x.pas"));
}

TEST(WinePrefixTest, DefaultsToDotWineInHomeWhenItExists) {
  ScopedTempDir home;
  ScopedEnv prefix("WINEPREFIX", nullptr);
  ScopedEnv home_env("HOME", home.path().c_str());
  EXPECT_EQ(WinePrefix(), "");
  EXPECT_EQ(DriveRoot('C'), std::nullopt);
  EXPECT_EQ(ResolvePath("C:\\x"), std::nullopt);
  home.MakeDirs(".wine");
  EXPECT_EQ(WinePrefix(), home.Join(".wine"));
}

TEST(DirCacheTest, ListingIsReadOncePerScope) {
  ScopedTempDir dir;
  dir.WriteFile("Lib/Old.pas", "");
  DirCacheScope cache;
  EXPECT_EQ(ResolvePath(dir.Join("lib/old.pas")), dir.Join("Lib/Old.pas"));
  // Made behind the cache's back: the cached listing does not know it yet.
  dir.WriteFile("Lib/Fresh.pas", "");
  EXPECT_EQ(ResolvePath(dir.Join("Lib/fresh.pas")), dir.Join("Lib/fresh.pas"));
  InvalidateDirCache(dir.Join("Lib/Fresh.pas"));
  EXPECT_EQ(ResolvePath(dir.Join("Lib/fresh.pas")), dir.Join("Lib/Fresh.pas"));
}

TEST(DirCacheTest, EndsWithTheOutermostScope) {
  ScopedTempDir dir;
  dir.MakeDirs("Lib");
  {
    DirCacheScope outer;
    {
      DirCacheScope inner;
      EXPECT_EQ(ResolvePath(dir.Join("lib/x.pas")), dir.Join("Lib/x.pas"));
    }
    dir.WriteFile("Lib/X.pas", "");
    // Still inside the outer scope: the listing read above is reused.
    EXPECT_EQ(ResolvePath(dir.Join("lib/x.pas")), dir.Join("Lib/x.pas"));
  }
  EXPECT_EQ(ResolvePath(dir.Join("lib/x.pas")), dir.Join("Lib/X.pas"));
}

TEST(DirCacheTest, SeesWhatThisLibraryCreatesAndRemoves) {
  ScopedTempDir dir;
  dir.WriteFile("src/Unit1.pas", "unit Unit1;");
  dir.MakeDirs("Backup");
  DirCacheScope cache;
  EXPECT_EQ(ResolvePath(dir.Join("backup/unit1.pas")), dir.Join("Backup/unit1.pas"));
  ASSERT_TRUE(CopyFileReplace(dir.Join("src/Unit1.pas"), dir.Join("Backup/Unit1.pas")));
  EXPECT_EQ(ResolvePath(dir.Join("backup/unit1.pas")), dir.Join("Backup/Unit1.pas"));
  EXPECT_TRUE(FileExists(dir.Join("BACKUP/UNIT1.PAS")));

  ASSERT_TRUE(WriteFileAtomic(dir.Join("Backup/Demo.INI"), "[S]\r\n"));
  EXPECT_EQ(ResolvePath(dir.Join("backup/demo.ini")), dir.Join("Backup/Demo.INI"));

  ASSERT_TRUE(CreateDir(dir.Join("Backup/Sub")));
  EXPECT_TRUE(DirectoryExists(dir.Join("backup/SUB")));
  ASSERT_TRUE(RemoveDir(dir.Join("backup/sub")));
  EXPECT_FALSE(DirectoryExists(dir.Join("backup/SUB")));
  EXPECT_EQ(ResolvePath(dir.Join("backup/sub")), dir.Join("Backup/sub"));
}

TEST(DirCacheTest, RemovingOneOfSeveralCaseVariantsFindsTheNext) {
  ScopedTempDir dir;
  dir.MakeDirs("d/AB");
  dir.MakeDirs("d/ab");
  DirCacheScope cache;
  EXPECT_EQ(ResolvePath(dir.Join("d/Ab")), dir.Join("d/AB"));
  ASSERT_TRUE(RemoveDir(dir.Join("d/AB")));
  EXPECT_EQ(ResolvePath(dir.Join("d/Ab")), dir.Join("d/ab"));
}

}  // namespace
}  // namespace zk
