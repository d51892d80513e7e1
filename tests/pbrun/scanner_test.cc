// The dependency scanner: which names a uses clause hands on, where units are found, what is
// copied and logged.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/path_resolver.h"
#include "projectbackup/pb_main.h"
#include "tests/pbrun/wine_prefix.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/scripted_prompts.h"

namespace zk::pb {
namespace {

using Names = std::vector<std::string>;
namespace fs = std::filesystem;

constexpr const char* kNotFound = " not found in search path";

class ScannerTest : public testing::Test {
 protected:
  ScannerTest() : prefix_(temp_), form_(prompts_, 4) {
    fs::create_directories(temp_.path() / "empty");
    fs::create_directories(temp_.path() / "target");
    form_.SetTargetPath(temp_.dir() + "target/");
  }

  // Runs the scanner over the given log lines with the given search folders.
  void Scan(const Names& log_lines, const Names& search_paths) {
    form_.SearchPaths.Clear();
    for (const auto& folder : search_paths) form_.SearchPaths.Add(folder);
    form_.MissingFiles.Clear();
    form_.StatusMemo.Clear();
    for (const auto& line : log_lines) form_.StatusMemo.Add(line);
    DirCacheScope cache;
    form_.ProcessDependencies();
  }

  // The names the uses clauses of one unit hand on: with an empty search folder every one of
  // them is logged as not found.
  Names NamesHandedOn(const std::string& unit_text, const Names& excluded = {}) {
    form_.StockUnits.Clear();
    for (const auto& name : excluded) form_.StockUnits.Add(name);
    form_.ProcessedUnits.Clear();
    const std::string unit = temp_.Write("src/Unit1.pas", unit_text);
    Scan({unit}, {temp_.dir() + "empty/"});
    Names names;
    for (const auto& line : form_.StatusMemo.lines()) {
      if (line.ends_with(kNotFound)) names.push_back(line.substr(0, line.size() - std::string_view(kNotFound).size()));
    }
    return names;
  }

  Names AddedLines(size_t from) const {
    const auto& lines = form_.StatusMemo.lines();
    return Names(lines.begin() + static_cast<long>(from), lines.end());
  }

  test::ScopedTempDir temp_;
  test::WinePrefix prefix_;
  test::ScriptedPrompts prompts_;
  TfrmProjectBackup form_;
};

struct UsesCase {
  const char* name;
  Names unit_lines;
  Names excluded;
  Names handed_on;
};

std::vector<UsesCase> UsesCases() {
  return {
      {"BothClausesInOrder",
       {"unit Unit1;", "", "interface", "", "uses", "  Windows, Messages, SysUtils, Forms, Dialogs,",
        "  MyUtils;", "", "type", "  TX = class end;", "", "implementation", "", "{$R *.DFM}",
        "uses Shared, Other;", "", "end."},
       {},
       {"Windows", "Messages", "SysUtils", "Forms", "Dialogs", "MyUtils", "Shared", "Other"}},
      {"BlankBeforeCommentStaysInTheName",
       {"interface", "uses", "  Forms {comment}, Bar;", "implementation"},
       {"FORMS"},
       {"Forms ", "Bar"}},
      {"CommentRightAfterTheNameIsCutOff",
       {"interface", "uses", "  Forms{comment}, Bar;", "implementation"},
       {"FORMS"},
       {"Bar"}},
      {"ConditionalDirectivesAroundAName",
       {"interface", "uses", "  {$IFDEF X} Foo, {$ENDIF}", "  Bar;", "implementation"},
       {},
       {"Foo", "Bar"}},
      {"CommentOverSeveralLines",
       {"interface", "uses", "  A, {start of comment,", "  still comment} B,", "  C;",
        "implementation"},
       {},
       {"A", "B", "C"}},
      {"TextAfterTheClosingBraceIsReadAgain",
       {"interface", "uses", "  A, {c} B, C;", "implementation"},
       {},
       {"A", "B", "C"}},
      {"BraceInTheRemainderIsNotFollowed",
       {"interface", "uses", "  A, {x", "  y} B, C;", "implementation"},
       {},
       {"A", "y} B", "C"}},
      {"LineCommentOnlyAsTheRemainder",
       {"interface", "uses", "  A, // a comment", "  // B, C", "  D;", "implementation"},
       {},
       {"A", "// B", "C", "D"}},
      {"FileNamesAndParenCommentsBecomePartOfNames",
       {"interface", "uses", "  A in 'a.pas', B;", "", "implementation", "uses",
        "  A, (* c *) B;"},
       {},
       {"A in 'a.pas'", "B", "A", "(* c *) B"}},
      {"FirstCutIsTheFirstComma",
       {"interface", "uses", "  A; // x, y", "implementation"},
       {},
       {"A; // x", "y"}},
      {"SemicolonAfterACommaEndsTheList",
       {"interface", "uses", "  A, B; C, D", "implementation"},
       {},
       {"A", "B"}},
      {"ContinuationLineStartingWithStarIsIgnored",
       {"interface", "uses", "  A,", "  * note", "  B;", "implementation"},
       {},
       {"A", "B"}},
      {"ListOnTheUsesLine",
       {"interface", "uses A, B;", "", "implementation", "USES C;"},
       {},
       {"A", "B", "C"}},
      {"KeywordsIgnoreLetterCase",
       {"Interface", "Uses A;", "", "Implementation", "uSeS B;"},
       {},
       {"A", "B"}},
      {"IndentedInterfaceIsNeverFound",
       {"  interface", "uses A;", "implementation", "uses B;"},
       {},
       {}},
      {"ImplementationRightAfterTheListIsUsedUp",
       {"interface", "uses A;", "implementation", "uses B;"},
       {},
       {"A"}},
      {"ImplementationClauseOnlyBeforeTheFirstRoutine",
       {"interface", "implementation", "procedure X;", "uses B;"},
       {},
       {}},
      {"EndOfUnitStopsTheSearch",
       {"interface", "uses A;", "", "implementation", "end.", "uses B;"},
       {},
       {"A"}},
      {"NoInterfaceUsesGoesStraightToImplementation",
       {"interface", "type T = Integer;", "implementation", "", "uses B;"},
       {},
       {"B"}},
      {"ExcludedNamesIgnoreLetterCase",
       {"interface", "uses windows, SYSUTILS, Mine;", "implementation"},
       {"WINDOWS", "SYSUTILS"},
       {"Mine"}},
      // Files that end before the line a search waits for: the scan of the file ends, what was
      // found stays.
      {"EndsInsideAListWithoutSemicolon", {"interface", "uses", "  A, B,"}, {}, {"A", "B"}},
      {"EndsRightAfterUses", {"interface", "uses"}, {}, {}},
      {"EndsInsideAnUnclosedComment",
       {"interface", "uses", "  A, {never closed,", "  B, C"},
       {},
       {"A"}},
      {"EndsWithoutImplementation", {"interface", "uses A;", "", "type T = Integer;"}, {}, {"A"}},
      {"EndsAfterInterface", {"unit Unit1;", "interface"}, {}, {}},
      {"EmptyFile", {}, {}, {}},
  };
}

class UsesClauseTest : public ScannerTest, public testing::WithParamInterface<UsesCase> {};

TEST_P(UsesClauseTest, HandsOnTheseNames) {
  const UsesCase& c = GetParam();
  EXPECT_EQ(NamesHandedOn(test::Lines(c.unit_lines), c.excluded), c.handed_on);
}

INSTANTIATE_TEST_SUITE_P(Cases, UsesClauseTest, testing::ValuesIn(UsesCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ScannerTest, FileWithoutLineEndsAtTheEndIsRead) {
  EXPECT_EQ(NamesHandedOn("interface\nuses A,\n  B"), (Names{"A", "B"}));
}

// The example of the manual: Shared beside the project, Grid2 only compiled in the library
// folder, Gone nowhere, Windows and Forms excluded.
TEST_F(ScannerTest, WorkedExample) {
  prefix_.WriteC("Work/Demo/Main.pas",
                 test::Lines({"unit Main;", "", "interface", "", "uses",
                              "  Windows, Forms, Shared, Grid2, Gone;", "", "implementation",
                              "", "end."}));
  prefix_.WriteC("Work/Demo/Shared.pas", "unit Shared;\r\n");
  prefix_.WriteC("D4/Lib/Grid2.dcu", "dcu bytes");
  prefix_.WriteC("D4/Lib/Grid2.dfm", "object Grid2Form: TForm\r\nend\r\n");
  form_.ProcessedUnits.Clear();
  form_.ProcessedUnits.Add("MAIN");

  Scan({"MAIN UNITS", "C:\\WORK\\DEMO\\Main.pas"}, {"C:\\Work\\Demo\\", "C:\\D4\\Lib\\"});

  EXPECT_EQ(AddedLines(2), (Names{"", "DEPENDENCIES FOR C:\\WORK\\DEMO\\Main.pas",
                                  "Shared.pas found in C:\\Work\\Demo\\",
                                  "Grid2.pas not found, but Grid2.dcu found in C:\\D4\\Lib\\",
                                  "Grid2.dfm found in C:\\D4\\Lib\\",
                                  "Gone not found in search path"}));
  EXPECT_EQ(form_.MissingFiles.items(), (Names{"* Gone"}));
  EXPECT_EQ(temp_.Read("target/Shared.pas"), "unit Shared;\r\n");
  EXPECT_EQ(temp_.Read("target/Grid2.dcu"), "dcu bytes");
  EXPECT_TRUE(fs::exists(temp_.path() / "target/Grid2.dfm"));
  EXPECT_FALSE(fs::exists(temp_.path() / "target/Shared.dfm"));
  EXPECT_TRUE(form_.FailedCopies.empty());
}

TEST_F(ScannerTest, CompiledUnitInAnEarlierFolderWinsAndSourceWinsWithinAFolder) {
  temp_.Write("first/Early.dcu", "early dcu");
  temp_.Write("second/Early.pas", "early pas");
  temp_.Write("first/Both.pas", "both pas");
  temp_.Write("first/Both.dcu", "both dcu");
  const std::string unit =
      temp_.Write("src/Main.pas", test::Lines({"interface", "uses Early, Both;", "implementation"}));
  Scan({unit}, {temp_.dir() + "first/", temp_.dir() + "second/"});
  EXPECT_EQ(AddedLines(1),
            (Names{"", "DEPENDENCIES FOR " + unit,
                   "Early.pas not found, but Early.dcu found in " + temp_.dir() + "first/",
                   "Both.pas found in " + temp_.dir() + "first/"}));
  EXPECT_EQ(temp_.Read("target/Early.dcu"), "early dcu");
  EXPECT_FALSE(fs::exists(temp_.path() / "target/Early.pas"));
  EXPECT_FALSE(fs::exists(temp_.path() / "target/Both.dcu"));
}

TEST_F(ScannerTest, RepeatedUnitsAreLoggedEachTimeButMissingOnce) {
  temp_.Write("lib/Common.pas", "common");
  const std::string one = temp_.Write(
      "src/One.pas", test::Lines({"interface", "uses Common, Gone, Two;", "", "implementation",
                                  "uses Common;"}));
  const std::string two =
      temp_.Write("src/Two.pas", test::Lines({"interface", "uses gone, Common;", "implementation"}));
  form_.ProcessedUnits.Clear();
  form_.ProcessedUnits.Add("ONE");
  form_.ProcessedUnits.Add("TWO");
  const std::string lib = temp_.dir() + "lib/";
  Scan({one, two}, {lib});
  EXPECT_EQ(AddedLines(2), (Names{"", "DEPENDENCIES FOR " + one, "Common.pas found in " + lib,
                                  "Gone not found in search path", "Common.pas found in " + lib,
                                  "", "DEPENDENCIES FOR " + two,
                                  "gone not found in search path",
                                  "Common.pas found in " + lib}));
  EXPECT_EQ(form_.MissingFiles.items(), (Names{"* Gone"}));
  EXPECT_EQ(temp_.Read("target/Common.pas"), "common");
}

TEST_F(ScannerTest, LookupsSeeCopiesWhenTheTargetIsASearchFolder) {
  // Every mention looks the unit up again: the first copy lands in the first search folder.
  temp_.Write("lib/Common.pas", "common");
  const std::string unit = temp_.Write(
      "src/Main.pas", test::Lines({"interface", "uses Common, Common;", "implementation"}));
  const std::string target = temp_.dir() + "target/";
  const std::string lib = temp_.dir() + "lib/";
  Scan({unit}, {target, lib});
  EXPECT_EQ(AddedLines(1), (Names{"", "DEPENDENCIES FOR " + unit, "Common.pas found in " + lib,
                                  "Common.pas found in " + target}));
}

TEST_F(ScannerTest, OnlyExcludedOrMainUnitsGiveNoDependencies) {
  const std::string unit = temp_.Write(
      "src/Main.pas", test::Lines({"interface", "uses Windows, Forms, Other;", "implementation"}));
  form_.ProcessedUnits.Clear();
  form_.ProcessedUnits.Add("OTHER");
  Scan({"MAIN UNITS", unit, temp_.dir() + "src/Missing.pas", "notes.PAS.txt"},
       {temp_.dir() + "empty/"});
  EXPECT_EQ(AddedLines(4), (Names{"", "NO DEPENDENCIES FOUND"}));
  EXPECT_TRUE(form_.MissingFiles.items().empty());
}

TEST_F(ScannerTest, OnlyLinesPresentAtTheStartAreVisited) {
  // The unit names a unit whose path-like log line ends in ".pas": it is logged, never opened.
  temp_.Write("lib/Inner.pas", test::Lines({"interface", "uses NeverLookedUp;", "implementation"}));
  const std::string unit =
      temp_.Write("src/Outer.pas", test::Lines({"interface", "uses Inner;", "implementation"}));
  Scan({unit}, {temp_.dir() + "lib/"});
  EXPECT_EQ(AddedLines(1), (Names{"", "DEPENDENCIES FOR " + unit,
                                  "Inner.pas found in " + temp_.dir() + "lib/"}));
}

TEST_F(ScannerTest, UnitNamesNeverPlaceCopiesOutsideTheTarget) {
  fs::create_directories(temp_.path() / "target/deep");
  form_.SetTargetPath(temp_.dir() + "target/deep/");
  temp_.Write("src/Escape.pas", "escape");
  temp_.Write("src/Escape.dfm", "escape form");
  temp_.Write("src/sub/Thing.pas", "thing");
  const std::string unit = temp_.Write(
      "src/a/b/Main.pas",
      test::Lines({"interface", "uses ..\\..\\Escape, ../../sub/Thing;", "implementation"}));
  Scan({unit}, {temp_.dir() + "src/a/b/"});
  EXPECT_EQ(temp_.Read("target/deep/Escape.pas"), "escape");
  EXPECT_EQ(temp_.Read("target/deep/Escape.dfm"), "escape form");
  EXPECT_EQ(temp_.Read("target/deep/Thing.pas"), "thing");
  EXPECT_FALSE(fs::exists(temp_.path() / "target/Escape.pas"));
  EXPECT_FALSE(fs::exists(temp_.path() / "Escape.pas"));
  EXPECT_FALSE(fs::exists(temp_.path() / "target/sub"));
}

TEST_F(ScannerTest, FailedCopyOfAFoundUnitIsRecordedOnce) {
  temp_.Write("lib/Locked.pas", "new");
  temp_.Write("lib/Locked.dfm", "new form");
  temp_.Write("target/Locked.pas", "old");
  fs::permissions(temp_.path() / "target/Locked.pas", fs::perms::owner_read | fs::perms::group_read);
  const std::string unit =
      temp_.Write("src/Main.pas", test::Lines({"interface", "uses Locked, Locked;", "implementation"}));
  Scan({unit}, {temp_.dir() + "lib/"});
  // The "found" line stands; the form file, which could be copied, is logged.
  EXPECT_EQ(AddedLines(1), (Names{"", "DEPENDENCIES FOR " + unit,
                                  "Locked.pas found in " + temp_.dir() + "lib/",
                                  "Locked.dfm found in " + temp_.dir() + "lib/",
                                  "Locked.pas found in " + temp_.dir() + "lib/",
                                  "Locked.dfm found in " + temp_.dir() + "lib/"}));
  EXPECT_EQ(form_.FailedCopies, (Names{temp_.dir() + "target/Locked.pas"}));
  EXPECT_EQ(temp_.Read("target/Locked.pas"), "old");
}

TEST_F(ScannerTest, UnreadableUnitRaisesAnErrorNamingIt) {
  // Reading /proc/self/mem from its start fails with an I/O error, even for root.
  fs::create_directories(temp_.path() / "src");
  fs::create_symlink("/proc/self/mem", temp_.path() / "src/Broken.pas");
  try {
    Scan({temp_.dir() + "src/Broken.pas"}, {temp_.dir() + "empty/"});
    FAIL() << "no error for an unreadable unit";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("Broken.pas"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace zk::pb
