#include "platform/path_text.h"

#include <gtest/gtest.h>

namespace zk {
namespace {

struct SplitCase {
  const char* path;
  const char* folder;
  const char* name;
  const char* ext;
};

class PathSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathSplitTest, FolderNameAndExtension) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(ExtractFilePath(c.path), c.folder) << c.path;
  EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
  EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PathSplitTest,
    ::testing::Values(SplitCase{"C:\\Work\\Demo\\Demo.dpr", "C:\\Work\\Demo\\", "Demo.dpr", ".dpr"},
                      SplitCase{"C:\\a.b\\file", "C:\\a.b\\", "file", ""},
                      SplitCase{"x.tar.gz", "", "x.tar.gz", ".gz"},
                      SplitCase{"file.", "", "file.", "."},
                      SplitCase{".ini", "", ".ini", ".ini"},
                      SplitCase{"C:Demo.dpr", "C:", "Demo.dpr", ".dpr"},
                      SplitCase{"C:", "C:", "", ""},
                      SplitCase{"/home/u/src.d/unit", "/home/u/src.d/", "unit", ""},
                      SplitCase{"/home/u/unit.pas", "/home/u/", "unit.pas", ".pas"},
                      SplitCase{"mixed\\dir/file.Pas", "mixed\\dir/", "file.Pas", ".Pas"},
                      SplitCase{"folder\\", "folder\\", "", ""},
                      SplitCase{"", "", "", ""}));

struct ChangeExtCase {
  const char* path;
  const char* ext;
  const char* expected;
};

class ChangeFileExtTest : public ::testing::TestWithParam<ChangeExtCase> {};

TEST_P(ChangeFileExtTest, ReplacesOrAppends) {
  const ChangeExtCase& c = GetParam();
  EXPECT_EQ(ChangeFileExt(c.path, c.ext), c.expected) << c.path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChangeFileExtTest,
    ::testing::Values(ChangeExtCase{"C:\\Work\\Demo\\Demo.dpr", ".DOF", "C:\\Work\\Demo\\Demo.DOF"},
                      ChangeExtCase{"C:\\Work\\Demo\\Demo.dpr", "_backup.log",
                                    "C:\\Work\\Demo\\Demo_backup.log"},
                      ChangeExtCase{"C:\\a.b\\file", ".ini", "C:\\a.b\\file.ini"},
                      ChangeExtCase{"x.tar.gz", ".bz2", "x.tar.bz2"},
                      ChangeExtCase{"file.", ".txt", "file.txt"},
                      ChangeExtCase{".ini", ".bak", ".bak"},
                      ChangeExtCase{"", ".INI", ".INI"},
                      ChangeExtCase{"/u/a.dir/unit", ".dfm", "/u/a.dir/unit.dfm"},
                      ChangeExtCase{"unit.pas", "", "unit"}));

TEST(ExtractFileDriveTest, LetterAndColonOnly) {
  EXPECT_EQ(ExtractFileDrive("C:\\x"), "C:");
  EXPECT_EQ(ExtractFileDrive("c:x"), "c:");
  EXPECT_EQ(ExtractFileDrive("Z:"), "Z:");
  EXPECT_EQ(ExtractFileDrive("\\x\\y"), "");
  EXPECT_EQ(ExtractFileDrive("/home/u"), "");
  EXPECT_EQ(ExtractFileDrive("1:\\x"), "");
  EXPECT_EQ(ExtractFileDrive("C"), "");
  EXPECT_EQ(ExtractFileDrive(""), "");
}

TEST(AddBackslashTest, FollowsTheTextsStyle) {
  EXPECT_EQ(AddBackslash("C:\\Work"), "C:\\Work\\");
  EXPECT_EQ(AddBackslash("C:\\Work\\"), "C:\\Work\\");
  EXPECT_EQ(AddBackslash("/home/u"), "/home/u/");
  EXPECT_EQ(AddBackslash("/home/u/"), "/home/u/");
  EXPECT_EQ(AddBackslash("C:/mixed\\style"), "C:/mixed\\style\\");
  EXPECT_EQ(AddBackslash("Lib"), "Lib\\");
  EXPECT_EQ(AddBackslash("C:"), "C:\\");
  EXPECT_EQ(AddBackslash(" C:\\B "), " C:\\B \\");
  EXPECT_EQ(AddBackslash(""), "");
}

TEST(CaseTest, OnlyAsciiLettersChange) {
  EXPECT_EQ(UpperCase("unit_1.pas"), "UNIT_1.PAS");
  EXPECT_EQ(UpperCase("\xE4\xF6z"), "\xE4\xF6Z");
  EXPECT_EQ(LowerCase("ABC[]\xC4"), "abc[]\xC4");
  EXPECT_EQ(UpperCase(std::string("a\0b", 3)), std::string("A\0B", 3));
}

TEST(CompareTextTest, IgnoresAsciiCaseAndOrdersLikeUpperCase) {
  EXPECT_EQ(CompareText("SysUtils", "SYSUTILS"), 0);
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_GT(CompareText("abc", "AB"), 0);
  // Upper-case folding puts `_` after the letters.
  EXPECT_GT(CompareText("a_", "aB"), 0);
  // Bytes above 127 compare unsigned and are not folded.
  EXPECT_GT(CompareText("\xE4", "z"), 0);
  EXPECT_NE(CompareText("\xE4", "\xC4"), 0);
  EXPECT_TRUE(SameText("Forms", "fORMS"));
  EXPECT_FALSE(SameText("Forms", "Form"));
  EXPECT_FALSE(SameText("\xE4", "\xC4"));
}

TEST(TrimTest, StripsBlanksAndControlCharacters) {
  EXPECT_EQ(Trim("  a b\t\r\n"), "a b");
  EXPECT_EQ(Trim(std::string("\0x\x01", 3)), "x");
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");
  EXPECT_EQ(Trim(" \t "), "");
  EXPECT_EQ(Trim(""), "");
}

TEST(PathDelimiterTest, SeparatorsAndDriveMark) {
  EXPECT_TRUE(IsPathSeparator('\\'));
  EXPECT_TRUE(IsPathSeparator('/'));
  EXPECT_FALSE(IsPathSeparator(':'));
  EXPECT_TRUE(IsPathDelimiter(':'));
  EXPECT_FALSE(IsPathDelimiter('.'));
}

}  // namespace
}  // namespace zk
