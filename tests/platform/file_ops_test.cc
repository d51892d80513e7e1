#include "platform/file_ops.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <filesystem>

#include "tests/platform/scoped_temp_dir.h"

namespace zk {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using testing::ScopedTempDir;

mode_t ModeOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mode & 07777;
}

struct timespec MtimeOf(const std::string& path) {
  struct stat st;
  EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
  return st.st_mtim;
}

void SetMtime(const std::string& path, time_t seconds, long nanoseconds) {
  const struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileExistsTest, FilesButNotFolders) {
  ScopedTempDir dir;
  dir.WriteFile("Sub/Unit1.pas", "");
  EXPECT_TRUE(FileExists(dir.Join("sub/UNIT1.PAS")));
  EXPECT_FALSE(FileExists(dir.Join("Sub")));
  EXPECT_FALSE(FileExists(dir.Join("Sub/Missing.pas")));
  EXPECT_TRUE(DirectoryExists(dir.Join("SUB")));
  EXPECT_FALSE(DirectoryExists(dir.Join("Sub/Unit1.pas")));
  EXPECT_FALSE(FileExists(""));
}

TEST(CreateDirTest, OneLevelOnlyAndNotTwice) {
  ScopedTempDir dir;
  EXPECT_TRUE(CreateDir(dir.Join("Backup")));
  EXPECT_TRUE(DirectoryExists(dir.Join("Backup")));
  EXPECT_FALSE(CreateDir(dir.Join("backup")));
  EXPECT_FALSE(CreateDir(dir.Join("a/b")));
  dir.WriteFile("Backup/x", "");
  EXPECT_FALSE(RemoveDir(dir.Join("Backup")));
  fs::remove(dir.Join("Backup/x"));
  EXPECT_TRUE(RemoveDir(dir.Join("BACKUP")));
  EXPECT_FALSE(DirectoryExists(dir.Join("Backup")));
}

class CopyFileReplaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.WriteFile("src/Unit1.pas", "unit Unit1; new");
    dir_.WriteFile("dst/Unit1.pas", "old contents");
  }
  std::string Src() const { return dir_.Join("src/Unit1.pas"); }
  std::string Dst() const { return dir_.Join("dst/Unit1.pas"); }
  ScopedTempDir dir_;
};

TEST_F(CopyFileReplaceTest, ReplacesTheDestinationAndLeavesNoTemporaryFile) {
  const OpResult result = CopyFileReplace(Src(), Dst());
  ASSERT_TRUE(result) << result.error;
  EXPECT_EQ(dir_.ReadFile("dst/Unit1.pas"), "unit Unit1; new");
  EXPECT_EQ(Entries(dir_.Join("dst")), std::vector<std::string>{"Unit1.pas"});
}

TEST_F(CopyFileReplaceTest, KeepsModificationTimeAndPermissionBits) {
  SetMtime(Src(), 946684800, 123456789);
  ASSERT_EQ(::chmod(Src().c_str(), 0640), 0);
  ASSERT_TRUE(CopyFileReplace(Src(), Dst()));
  const struct timespec mtime = MtimeOf(Dst());
  EXPECT_EQ(mtime.tv_sec, 946684800);
  EXPECT_EQ(mtime.tv_nsec, 123456789);
  EXPECT_EQ(ModeOf(Dst()), 0640u);
}

TEST_F(CopyFileReplaceTest, ReadOnlySourceGivesReadOnlyCopy) {
  ASSERT_EQ(::chmod(Src().c_str(), 0444), 0);
  ASSERT_TRUE(CopyFileReplace(Src(), dir_.Join("dst/New.pas")));
  EXPECT_EQ(ModeOf(dir_.Join("dst/New.pas")), 0444u);
}

TEST_F(CopyFileReplaceTest, ReadOnlyDestinationFailsAndKeepsItsContents) {
  // Root could open the file for writing; the mode bits decide, as the read-only attribute did.
  ASSERT_EQ(::chmod(Dst().c_str(), 0444), 0);
  const OpResult result = CopyFileReplace(Src(), Dst());
  EXPECT_FALSE(result);
  EXPECT_THAT(result.error, HasSubstr(Dst()));
  EXPECT_THAT(result.error, HasSubstr("Permission denied"));
  EXPECT_EQ(dir_.ReadFile("dst/Unit1.pas"), "old contents");
  EXPECT_EQ(Entries(dir_.Join("dst")), std::vector<std::string>{"Unit1.pas"});
}

TEST_F(CopyFileReplaceTest, MissingDestinationFolderFailsWithMessage) {
  const std::string dest = dir_.Join("nowhere/Unit1.pas");
  const OpResult result = CopyFileReplace(Src(), dest);
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error, "cannot copy " + Src() + " to " + dest + ": cannot create a file in " +
                              dir_.Join("nowhere") + ": No such file or directory");
  EXPECT_FALSE(fs::exists(dir_.Join("nowhere")));
}

TEST_F(CopyFileReplaceTest, MissingSourceFailsAndKeepsTheDestination) {
  const OpResult result = CopyFileReplace(dir_.Join("src/Gone.pas"), Dst());
  EXPECT_FALSE(result);
  EXPECT_THAT(result.error, HasSubstr(dir_.Join("src/Gone.pas")));
  EXPECT_THAT(result.error, HasSubstr("No such file or directory"));
  EXPECT_EQ(dir_.ReadFile("dst/Unit1.pas"), "old contents");
}

TEST_F(CopyFileReplaceTest, FolderSourceOrDestinationFails) {
  EXPECT_FALSE(CopyFileReplace(dir_.Join("src"), dir_.Join("dst/x")));
  dir_.MakeDirs("dst/Dir.pas");
  const OpResult result = CopyFileReplace(Src(), dir_.Join("dst/Dir.pas"));
  EXPECT_FALSE(result);
  EXPECT_THAT(result.error, HasSubstr("Is a directory"));
  EXPECT_TRUE(fs::is_directory(dir_.Join("dst/Dir.pas")));
}

TEST_F(CopyFileReplaceTest, DestinationMatchedIgnoringCaseIsReplacedNotDuplicated) {
  ASSERT_TRUE(CopyFileReplace(dir_.Join("SRC/unit1.PAS"), dir_.Join("DST/UNIT1.PAS")));
  EXPECT_EQ(Entries(dir_.Join("dst")), std::vector<std::string>{"Unit1.pas"});
  EXPECT_EQ(dir_.ReadFile("dst/Unit1.pas"), "unit Unit1; new");
}

TEST_F(CopyFileReplaceTest, CopyOntoItselfKeepsTheFile) {
  ASSERT_TRUE(CopyFileReplace(Src(), dir_.Join("src/UNIT1.pas")));
  EXPECT_EQ(dir_.ReadFile("src/Unit1.pas"), "unit Unit1; new");
}

TEST_F(CopyFileReplaceTest, LargeAndBinaryContentsArrive) {
  std::string bytes;
  for (int i = 0; i < 3 * 1024 * 1024 + 7; ++i) bytes += static_cast<char>(i * 7 % 256);
  dir_.WriteFile("src/big.res", bytes);
  ASSERT_TRUE(CopyFileReplace(dir_.Join("src/big.res"), dir_.Join("dst/big.res")));
  EXPECT_EQ(dir_.ReadFile("dst/big.res"), bytes);
}

// Makes writes beyond `bytes` fail with EFBIG, as a full disk would fail them with ENOSPC.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    old_handler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    struct rlimit limit = old_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, old_handler_);
  }

 private:
  struct rlimit old_;
  void (*old_handler_)(int);
};

TEST_F(CopyFileReplaceTest, FailedWriteKeepsTheOldFileAndRemovesTheTemporary) {
  dir_.WriteFile("src/big.res", std::string(2 * 1024 * 1024, 'x'));
  dir_.WriteFile("dst/big.res", "old resource");
  OpResult result;
  {
    ScopedFileSizeLimit limit(1024 * 1024);
    result = CopyFileReplace(dir_.Join("src/big.res"), dir_.Join("dst/big.res"));
  }
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error, "cannot copy " + dir_.Join("src/big.res") + " to " +
                              dir_.Join("dst/big.res") + ": File too large");
  EXPECT_EQ(dir_.ReadFile("dst/big.res"), "old resource");
  EXPECT_EQ(Entries(dir_.Join("dst")), (std::vector<std::string>{"Unit1.pas", "big.res"}));
}

TEST(WriteFileAtomicTest, FailedWriteKeepsTheOldFileAndRemovesTheTemporary) {
  ScopedTempDir dir;
  dir.WriteFile("log.txt", "previous log");
  OpResult result;
  {
    ScopedFileSizeLimit limit(1024);
    result = WriteFileAtomic(dir.Join("log.txt"), std::string(4096, 'l'));
  }
  EXPECT_EQ(result.error, "cannot write " + dir.Join("log.txt") + ": File too large");
  EXPECT_EQ(dir.ReadFile("log.txt"), "previous log");
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"log.txt"});
}

TEST(WriteFileAtomicTest, CreatesWithUmaskModeAndReplacesKeepingMode) {
  ScopedTempDir dir;
  const std::string file = dir.Join("a.ini");
  const mode_t old_mask = ::umask(022);
  const OpResult created = WriteFileAtomic(file, "one");
  ::umask(old_mask);
  ASSERT_TRUE(created) << created.error;
  EXPECT_EQ(ModeOf(file), 0644u);
  ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
  ASSERT_TRUE(WriteFileAtomic(dir.Join("A.INI"), "two"));
  EXPECT_EQ(dir.ReadFile("a.ini"), "two");
  EXPECT_EQ(ModeOf(file), 0600u);
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"a.ini"});
}

TEST(WriteFileAtomicTest, RefusesReadOnlyFileAndMissingFolder) {
  ScopedTempDir dir;
  dir.WriteFile("ro.ini", "keep");
  ASSERT_EQ(::chmod(dir.Join("ro.ini").c_str(), 0444), 0);
  const OpResult read_only = WriteFileAtomic(dir.Join("ro.ini"), "lost");
  EXPECT_FALSE(read_only);
  EXPECT_EQ(read_only.error,
            "cannot write " + dir.Join("ro.ini") + ": Permission denied (the file is read-only)");
  EXPECT_EQ(dir.ReadFile("ro.ini"), "keep");

  const OpResult no_folder = WriteFileAtomic(dir.Join("none/x.ini"), "x");
  EXPECT_FALSE(no_folder);
  EXPECT_EQ(no_folder.error,
            "cannot write " + dir.Join("none/x.ini") + ": No such file or directory");
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"ro.ini"});
}

TEST(WriteFileAtomicTest, WritesThroughASymbolicLink) {
  ScopedTempDir dir;
  dir.WriteFile("real/settings.ini", "old");
  fs::create_symlink(dir.Join("real/settings.ini"), dir.Join("link.ini"));
  ASSERT_TRUE(WriteFileAtomic(dir.Join("link.ini"), "new"));
  EXPECT_TRUE(fs::is_symlink(dir.Join("link.ini")));
  EXPECT_EQ(dir.ReadFile("real/settings.ini"), "new");
}

TEST(ReadFileBytesTest, WholeFileOrAnErrorNamingIt) {
  ScopedTempDir dir;
  dir.WriteFile("b.bin", std::string("a\0b\xff", 4));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(dir.Join("B.BIN"), bytes));
  EXPECT_EQ(bytes, std::string("a\0b\xff", 4));
  const OpResult missing = ReadFileBytes(dir.Join("none.bin"), bytes);
  EXPECT_EQ(missing.error, "cannot read " + dir.Join("none.bin") + ": No such file or directory");
  EXPECT_TRUE(bytes.empty());
  EXPECT_THAT(ReadFileBytes(dir.path(), bytes).error, HasSubstr("Is a directory"));
}

struct SplitCase {
  std::string bytes;
  std::vector<std::string> lines;
};

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, EndsAtCrLfOrCrLf) { EXPECT_EQ(SplitLines(GetParam().bytes), GetParam().lines); }

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitLinesTest,
    ::testing::Values(SplitCase{"", {}}, SplitCase{"a", {"a"}}, SplitCase{"a\r\n", {"a"}},
                      SplitCase{"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
                      SplitCase{"a\n\n", {"a", ""}}, SplitCase{"\r\n", {""}},
                      SplitCase{"a\r\r\nb", {"a", "", "b"}}, SplitCase{"a\n\rb", {"a", "", "b"}},
                      SplitCase{std::string("x\0y\n", 4), {std::string("x\0y", 3)}}));

TEST(TextLinesTest, WritesCrLfAfterEveryLineAndReadsBack) {
  ScopedTempDir dir;
  ASSERT_TRUE(WriteTextLines(dir.Join("log.txt"), {"first", "", "last"}));
  EXPECT_EQ(dir.ReadFile("log.txt"), "first\r\n\r\nlast\r\n");
  std::vector<std::string> lines{"stale"};
  ASSERT_TRUE(ReadTextLines(dir.Join("LOG.txt"), lines));
  EXPECT_EQ(lines, (std::vector<std::string>{"first", "", "last"}));
  ASSERT_TRUE(WriteTextLines(dir.Join("log.txt"), {}));
  EXPECT_EQ(dir.ReadFile("log.txt"), "");
  EXPECT_FALSE(ReadTextLines(dir.Join("gone.txt"), lines));
  EXPECT_TRUE(lines.empty());
}

TEST(TextReaderTest, ReadsSuccessiveLinesIncludingHugeAndBinaryOnes) {
  ScopedTempDir dir;
  const std::string huge(8 * 1024 * 1024, 'u');
  const std::string binary("b\0in\x01", 5);
  dir.WriteFile("unit.pas", "unit A;\r\n" + huge + "\n" + binary + "\rlast");
  TextReader reader;
  ASSERT_TRUE(reader.Open(dir.Join("UNIT.PAS"))) << reader.error();
  std::vector<std::string> lines;
  std::string line;
  while (reader.ReadLine(line)) lines.push_back(line);
  EXPECT_TRUE(reader.AtEnd());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "unit A;");
  EXPECT_EQ(lines[1], huge);
  EXPECT_EQ(lines[2], binary);
  EXPECT_EQ(lines[3], "last");
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_EQ(line, "");
}

TEST(TextReaderTest, EmptyFileIsAtEndAndMissingFileSaysWhy) {
  ScopedTempDir dir;
  dir.WriteFile("empty.pas", "");
  TextReader reader;
  ASSERT_TRUE(reader.Open(dir.Join("empty.pas")));
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.Open(dir.Join("none.pas")));
  EXPECT_EQ(reader.error(), "cannot read " + dir.Join("none.pas") + ": No such file or directory");
  EXPECT_TRUE(reader.AtEnd());
}

}  // namespace
}  // namespace zk
