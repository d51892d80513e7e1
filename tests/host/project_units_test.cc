#include <gtest/gtest.h>

#include "host/menu_intf.h"
#include "host/project_units.h"
#include "host/tool_services.h"
#include "tests/support/scoped_temp_dir.h"

namespace zk::host {
namespace {

struct UsesCase {
  const char* name;
  const char* text;
  std::vector<std::string> paths;
};

class ParseProjectUsesTest : public testing::TestWithParam<UsesCase> {};

TEST_P(ParseProjectUsesTest, FindsTheInPaths) {
  EXPECT_EQ(ParseProjectUses(GetParam().text), GetParam().paths);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseProjectUsesTest,
    testing::Values(
        UsesCase{"Typical",
                 "program Demo;\r\n\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas' {frmMain},\r\n"
                 "  Utils in 'lib\\Utils.pas';\r\n\r\n{$R *.RES}\r\n\r\nbegin\r\nend.\r\n",
                 {"Main.pas", "lib\\Utils.pas"}},
        UsesCase{"NoUses", "program Bare;\nbegin\nend.\n", {}},
        UsesCase{"UsesInCommentsIgnored",
                 "program P; { uses A in 'no.pas'; } (* uses B in 'no2.pas' *)\n"
                 "// uses C in 'no3.pas';\nUSES X IN 'x.pas';\n",
                 {"x.pas"}},
        UsesCase{"CommentsInsideTheList",
                 "program P;\nuses\n  A in 'a.pas', // first\n  { B in 'b.pas', }\n"
                 "  C in 'c.pas' (* third *);\n",
                 {"a.pas", "c.pas"}},
        UsesCase{"StopsAtTheSemicolon",
                 "program P;\nuses A in 'a.pas';\nconst S = 'z.pas';\nbegin end.\n", {"a.pas"}},
        UsesCase{"DoubledQuote", "library L;\nuses A in 'it''s.pas';\n", {"it's.pas"}},
        UsesCase{"StringBeforeUsesNotTaken", "program P;\n{$R 'x.res'}\nuses B in 'b.pas';\n",
                 {"b.pas"}},
        UsesCase{"MissingSemicolon", "program P;\nuses A in 'a.pas',\n B in 'b.pas'", {"a.pas", "b.pas"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnitFullPathTest, RelativeTextsHangOffTheProjectFolder) {
  EXPECT_EQ(UnitFullPath("/p/proj", "Main.pas"), "/p/proj/Main.pas");
  EXPECT_EQ(UnitFullPath("/p/proj", "lib\\Utils.pas"), "/p/proj/lib/Utils.pas");
  EXPECT_EQ(UnitFullPath("/p/proj", "..\\common\\U.pas"), "/p/common/U.pas");
  EXPECT_EQ(UnitFullPath("/p/proj", "/abs/U.pas"), "/abs/U.pas");
  EXPECT_EQ(UnitFullPath("/p/proj", "C:\\lib\\U.pas"), "C:\\lib\\U.pas");
}

TEST(ProjectUnitsTest, ProjectFileFirstThenItsUnits) {
  test::ScopedTempDir dir;
  std::string dpr = dir.Write("proj/Demo.dpr",
                              "program Demo;\nuses\n  Forms,\n  Main in 'Main.pas' {frmMain},\n"
                              "  Utils in 'lib\\Utils.pas';\nbegin end.\n");
  ProjectUnits project;
  std::string error;
  ASSERT_TRUE(project.Open(dpr, error)) << error;
  std::vector<std::string> expected{dpr, dir / "proj/Main.pas", dir / "proj/lib/Utils.pas"};
  EXPECT_EQ(project.files(), expected);
  EXPECT_EQ(project.ProjectFolder(), dir / "proj/");

  // What the experts see through the tool services.
  MenuModel menus(nullptr, {});
  HostToolServices services(menus, project);
  ASSERT_EQ(services.GetUnitCount(), 3);
  EXPECT_EQ(services.GetUnitName(0), dpr);
  EXPECT_EQ(services.GetUnitName(2), dir / "proj/lib/Utils.pas");
  EXPECT_EQ(services.GetUnitName(3), "");
  EXPECT_EQ(services.GetUnitName(-1), "");

  project.Close();
  EXPECT_EQ(services.GetUnitCount(), 0);
}

TEST(ProjectUnitsTest, AColonInTheProjectsLinuxPathIsPartOfAName) {
  test::ScopedTempDir dir;
  std::string dpr = dir.Write("a:b/P:1.dpr", "program P;\nuses U in 'U.pas';\n");
  ProjectUnits project;
  std::string error;
  ASSERT_TRUE(project.Open(dpr, error)) << error;
  EXPECT_EQ(project.ProjectFolder(), dir / "a:b/");
  EXPECT_EQ(project.files()[1], dir / "a:b/U.pas");
}

TEST(ProjectUnitsTest, AMissingFileIsNamedAndTheOpenProjectStays) {
  test::ScopedTempDir dir;
  std::string dpr = dir.Write("A.dpr", "program A;\nuses U in 'U.pas';\n");
  ProjectUnits project;
  std::string error;
  ASSERT_TRUE(project.Open(dpr, error));
  EXPECT_FALSE(project.Open(dir / "Missing.dpr", error));
  EXPECT_NE(error.find("Missing.dpr"), std::string::npos) << error;
  EXPECT_EQ(project.ProjectFile(), dpr);
  EXPECT_EQ(project.files().size(), 2u);

  EXPECT_FALSE(project.Open(dir.path().string(), error));
  EXPECT_NE(error.find("folder"), std::string::npos) << error;
}

}  // namespace
}  // namespace zk::host
