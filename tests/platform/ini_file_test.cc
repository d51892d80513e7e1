#include "platform/ini_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/platform/scoped_temp_dir.h"

namespace zk {
namespace {

using ::testing::HasSubstr;
using testing::ScopedTempDir;

class IniFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.Join("Demo.ini"); }
  IniFile Load(std::string_view bytes) {
    dir_.WriteFile("Demo.ini", bytes);
    return IniFile(Path());
  }
  std::string Saved() const { return dir_.ReadFile("Demo.ini"); }
  // Applies `edit` to a file holding `before` and returns what was written.
  template <typename Edit>
  std::string Edited(std::string_view before, Edit edit) {
    IniFile ini = Load(before);
    edit(ini);
    const OpResult result = ini.UpdateFile();
    EXPECT_TRUE(result) << result.error;
    return Saved();
  }

  ScopedTempDir dir_;
};

struct ReadCase {
  const char* file;
  const char* section;
  const char* key;
  const char* expected;  // read with the default "<default>"
};

class IniReadTest : public IniFileTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(IniReadTest, FollowsProfileRules) {
  const ReadCase& c = GetParam();
  const IniFile ini = Load(c.file);
  EXPECT_EQ(ini.ReadString(c.section, c.key, "<default>"), c.expected) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniReadTest,
    ::testing::Values(
        ReadCase{"[Settings]\r\nTargetPath=C:\\Backup\\\r\n", "settings", "TARGETPATH",
                 "C:\\Backup\\"},
        ReadCase{"  [ Settings ]  \r\n \t Key \t = \t value with  blanks \t \r\n", "Settings",
                 "key", "value with  blanks"},
        ReadCase{"[S] trailing text\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"[S\r\nk=v\r\n", "S", "k", "v"},
        ReadCase{"[S]\r\nk=\"quoted \"\r\n", "S", "k", "quoted "},
        ReadCase{"[S]\r\nk='single'\r\n", "S", "k", "single"},
        ReadCase{"[S]\r\nk=\"mismatched'\r\n", "S", "k", "\"mismatched'"},
        ReadCase{"[S]\r\nk=\"\r\n", "S", "k", "\""},
        ReadCase{"[S]\r\nk=\"\"inner\"\"\r\n", "S", "k", "\"inner\""},
        ReadCase{"[S]\r\nk=\r\n", "S", "k", ""},
        ReadCase{"[S]\r\nk=   \r\n", "S", "k", ""},
        ReadCase{"[S]\r\nk=first\r\nK=second\r\n", "S", "k", "first"},
        ReadCase{"[S]\r\nk=one\r\n[T]\r\n[s]\r\nk=two\r\nnew=x\r\n", "S", "k", "one"},
        ReadCase{"[S]\r\nk=one\r\n[s]\r\nnew=x\r\n", "S", "new", "<default>"},
        ReadCase{"[S]\r\n;k=commented\r\n  ; k=also\r\n", "S", "k", "<default>"},
        ReadCase{"[S]\r\n#k=hash is no comment\r\n", "S", "#k", "hash is no comment"},
        ReadCase{"[S]\r\nk=v ;x\r\n", "S", "k", "v ;x"},
        ReadCase{"k=before any section\r\n[S]\r\n", "S", "k", "<default>"},
        ReadCase{"[S]\r\nk=a=b\r\n", "S", "k", "a=b"},
        ReadCase{"[S]\nk=lf\n", "S", "k", "lf"},
        ReadCase{"[S]\rk=cr\rj=x", "S", "k", "cr"},
        ReadCase{"[S]\r\nk=no line end", "S", "k", "no line end"},
        ReadCase{"\xEF\xBB\xBF[S]\r\nk=after bom\r\n", "S", "k", "after bom"},
        ReadCase{"[S]\r\nother=1\r\n", "S", "k", "<default>"},
        ReadCase{"[T]\r\nk=1\r\n", "S", "k", "<default>"},
        ReadCase{"", "S", "k", "<default>"}));

TEST_F(IniFileTest, MissingFileReadsAsEmptyWithoutError) {
  const IniFile ini(dir_.Join("none/Demo.ini"));
  EXPECT_EQ(ini.load_error(), "");
  EXPECT_EQ(ini.ReadString("S", "k", "dflt"), "dflt");
  EXPECT_FALSE(ini.SectionExists("S"));
}

TEST_F(IniFileTest, SectionExistsIgnoresCase) {
  const IniFile ini = Load("[Excluded Units]\r\n");
  EXPECT_TRUE(ini.SectionExists("EXCLUDED UNITS"));
  EXPECT_FALSE(ini.SectionExists("Extra Files"));
}

TEST_F(IniFileTest, NewFileWithOneKeyIsExact) {
  IniFile ini(Path());
  ini.WriteString("Sec", "key", "value");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(Saved(), "[Sec]\r\nkey=value\r\n");
  EXPECT_FALSE(ini.modified());
}

TEST_F(IniFileTest, UnmodifiedFileIsNotWritten) {
  IniFile ini(Path());
  EXPECT_FALSE(ini.modified());
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_FALSE(std::filesystem::exists(Path()));
}

struct EditCase {
  const char* name;
  const char* before;
  void (*edit)(IniFile&);
  const char* after;
};

class IniEditTest : public IniFileTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(IniEditTest, KeepsEverythingElse) {
  EXPECT_EQ(Edited(GetParam().before, GetParam().edit), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniEditTest,
    ::testing::Values(
        EditCase{"ExistingKeyKeepsPlaceAndCasing",
                 "; head\r\n[Settings]\r\nTargetPATH = old\r\nLastBackup=x\r\n",
                 [](IniFile& ini) { ini.WriteString("SETTINGS", "targetpath", "D:\\New\\"); },
                 "; head\r\n[Settings]\r\nTargetPATH=D:\\New\\\r\nLastBackup=x\r\n"},
        EditCase{"NewKeyGoesAfterTheLastKeyNotAfterTrailingLines",
                 "[A]\r\nk1=1\r\n; note\r\nk2=2\r\n\r\n; about B\r\n[B]\r\nb=1\r\n",
                 [](IniFile& ini) { ini.WriteString("a", "k3", "3"); },
                 "[A]\r\nk1=1\r\n; note\r\nk2=2\r\nk3=3\r\n\r\n; about B\r\n[B]\r\nb=1\r\n"},
        EditCase{"NewKeyInEmptySectionFollowsTheHeader", "[A]\r\n\r\n[B]\r\n",
                 [](IniFile& ini) { ini.WriteString("A", "k", "v"); },
                 "[A]\r\nk=v\r\n\r\n[B]\r\n"},
        EditCase{"NewSectionAtTheEndWithoutBlankLine", "[A]\r\nk=1\r\n\r\n",
                 [](IniFile& ini) { ini.WriteString("B", "k", "2"); },
                 "[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n"},
        EditCase{"LineEndAddedBeforeNewSectionOnlyWhenMissing", "[A]\r\nk=1",
                 [](IniFile& ini) { ini.WriteString("B", "k", "2"); },
                 "[A]\r\nk=1\r\n[B]\r\nk=2\r\n"},
        EditCase{"UnendedLastLineStaysUnendedWhenUntouched", "[A]\r\nk=1\r\n[B]\r\n; end",
                 [](IniFile& ini) { ini.WriteString("A", "k", "2"); },
                 "[A]\r\nk=2\r\n[B]\r\n; end"},
        EditCase{"ValueWrittenAsGivenWithLineBreaksDropped", "",
                 [](IniFile& ini) { ini.WriteString("S", "k", "  two\r\nlines\n "); },
                 "[S]\r\nk=  twolines \r\n"},
        EditCase{"TextBeforeFirstSectionAndOddLinesKept",
                 "orphan=1\r\njunk line\r\n#hash\r\n[S]\r\nk=1\r\n",
                 [](IniFile& ini) { ini.WriteString("S", "k", "2"); },
                 "orphan=1\r\njunk line\r\n#hash\r\n[S]\r\nk=2\r\n"},
        EditCase{"OtherLineEndsBecomeCrLf", "[S]\nk=1\rj=2\n",
                 [](IniFile& ini) { ini.WriteString("S", "j", "3"); },
                 "[S]\r\nk=1\r\nj=3\r\n"},
        EditCase{"OnlyTheFirstSectionCopyIsEdited", "[S]\r\nk=1\r\n[S]\r\nk=9\r\n",
                 [](IniFile& ini) { ini.WriteString("S", "k", "2"); },
                 "[S]\r\nk=2\r\n[S]\r\nk=9\r\n"},
        EditCase{"EraseRemovesHeaderAndKeysButKeepsComments",
                 "[Keep]\r\na=1\r\n[Excluded Units]\r\nUnit0=A\r\n; why\r\nUnit1=B\r\n[Z]\r\nz=1\r\n",
                 [](IniFile& ini) { ini.EraseSection("excluded units"); },
                 "[Keep]\r\na=1\r\n; why\r\n[Z]\r\nz=1\r\n"},
        EditCase{"EraseRemovesEveryCopy", "[S]\r\na=1\r\n[T]\r\nt=1\r\n[s]\r\nb=2",
                 [](IniFile& ini) { ini.EraseSection("S"); }, "[T]\r\nt=1\r\n"},
        EditCase{"EraseThenWriteStartsTheListAfresh",
                 "[Settings]\r\nk=1\r\n[Extra Files]\r\nFile0=a\r\nFile1=b\r\n",
                 [](IniFile& ini) {
                   ini.EraseSection("Extra Files");
                   ini.WriteString("Extra Files", "File0", "c");
                 },
                 "[Settings]\r\nk=1\r\n[Extra Files]\r\nFile0=c\r\n"}),
    [](const ::testing::TestParamInfo<EditCase>& info) { return std::string(info.param.name); });

TEST_F(IniFileTest, ErasingWhatIsNotThereChangesNothing) {
  IniFile ini = Load("[S]\r\nk=1\r\n");
  ini.EraseSection("T");
  EXPECT_FALSE(ini.modified());
}

TEST_F(IniFileTest, WritingTheSameValueIsNoChange) {
  IniFile ini = Load("[S]\r\nk=1\r\n");
  ini.WriteString("s", "K", "1");
  EXPECT_FALSE(ini.modified());
  ini.WriteString("s", "K", "2");
  EXPECT_TRUE(ini.modified());
  EXPECT_EQ(ini.ReadString("S", "k", ""), "2");
}

TEST_F(IniFileTest, WritesAreSeenByLaterReadsBeforeUpdate) {
  IniFile ini(Path());
  ini.WriteString("Excluded Units", "Unit0", "FORMS");
  ini.WriteString("Excluded Units", "Unit1", "SYSUTILS");
  EXPECT_EQ(ini.ReadString("excluded units", "unit1", ""), "SYSUTILS");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(Saved(), "[Excluded Units]\r\nUnit0=FORMS\r\nUnit1=SYSUTILS\r\n");
}

TEST_F(IniFileTest, ReadOnlyFileIsNotReplacedAndTheErrorNamesIt) {
  IniFile ini = Load("[S]\r\nk=1\r\n");
  ASSERT_EQ(::chmod(Path().c_str(), 0444), 0);
  ini.WriteString("S", "k", "2");
  const OpResult result = ini.UpdateFile();
  EXPECT_FALSE(result);
  EXPECT_THAT(result.error, HasSubstr(Path()));
  EXPECT_THAT(result.error, HasSubstr("Permission denied"));
  EXPECT_EQ(Saved(), "[S]\r\nk=1\r\n");
  EXPECT_TRUE(ini.modified());
}

TEST_F(IniFileTest, MissingFolderFailsWithErrorNamingTheFile) {
  IniFile ini(dir_.Join("gone/DEMO.INI"));
  ini.WriteString("S", "k", "v");
  const OpResult result = ini.UpdateFile();
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error, "cannot write " + dir_.Join("gone/DEMO.INI") + ": No such file or directory");
}

TEST_F(IniFileTest, UnreadableFileReportsAndIsNeverOverwritten) {
  dir_.MakeDirs("Demo.ini");  // a folder where the file should be: exists, cannot be read
  IniFile ini(Path());
  EXPECT_THAT(ini.load_error(), HasSubstr(Path()));
  EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
  ini.WriteString("S", "k", "v");
  const OpResult result = ini.UpdateFile();
  EXPECT_FALSE(result);
  EXPECT_THAT(result.error, HasSubstr(Path()));
  EXPECT_TRUE(std::filesystem::is_directory(Path()));
}

TEST_F(IniFileTest, PathIsResolvedIgnoringCase) {
  dir_.WriteFile("Proj/DEMO.INI", "[Settings]\r\nSourceProject=C:\\Demo.dpr\r\n");
  IniFile ini(dir_.Join("proj/demo.ini"));
  EXPECT_EQ(ini.ReadString("Settings", "SourceProject", ""), "C:\\Demo.dpr");
  ini.WriteString("Settings", "TargetPath", "D:\\");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(dir_.ReadFile("Proj/DEMO.INI"),
            "[Settings]\r\nSourceProject=C:\\Demo.dpr\r\nTargetPath=D:\\\r\n");
}

TEST_F(IniFileTest, BinaryInputIsHarmless) {
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += static_cast<char>((i * 131 + 7) % 256);
  bytes += "\n[S]\nk=found\n";
  IniFile ini = Load(bytes);
  EXPECT_EQ(ini.load_error(), "");
  EXPECT_EQ(ini.ReadString("S", "k", ""), "found");
  ini.WriteString("S", "k", "changed");
  ASSERT_TRUE(ini.UpdateFile());
  EXPECT_EQ(IniFile(Path()).ReadString("S", "k", ""), "changed");
}

TEST_F(IniFileTest, MegabyteLinesAndTruncatedFilesAreRead) {
  const std::string big(1024 * 1024, 'v');
  IniFile ini = Load("[S]\r\nbig=" + big + "\r\n[T]\r\nk=trunc");
  EXPECT_EQ(ini.ReadString("S", "big", ""), big);
  EXPECT_EQ(ini.ReadString("T", "k", ""), "trunc");
  EXPECT_EQ(Load("[S]\r\nk=\"open quote").ReadString("S", "k", ""), "\"open quote");
  EXPECT_EQ(Load("[Sec").ReadString("Sec", "k", "d"), "d");
  EXPECT_TRUE(Load("[Sec").SectionExists("sec"));
  EXPECT_EQ(Load(std::string("[S]\r\nk=a\0b\r\n", 11)).ReadString("S", "k", ""),
            std::string("a\0b", 3));
}

}  // namespace
}  // namespace zk
