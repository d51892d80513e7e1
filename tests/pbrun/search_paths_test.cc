// The search path list: project folder, the options file's list, the IDE's library path.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "projectbackup/pb_main.h"
#include "tests/pbrun/wine_prefix.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/scripted_prompts.h"

namespace zk::pb {
namespace {

using test::RegKey;

const char* const kLibrary4 = "Software\\Borland\\Delphi\\4.0\\Library";
const char* const kLibrary3 = "Software\\Borland\\Delphi\\3.0\\Library";
const char* const kRootKey =
    "Software\\Borland\\Package Collection Editor\\Installed Programs\\Delphi";
const char* const kProject = "C:\\Work\\Demo\\Demo.dpr";

struct SearchPathCase {
  const char* name;
  int delphi_version;
  std::optional<std::string> dof;  // content of Work/Demo/Demo.dof; nullopt: no options file
  std::vector<RegKey> registry;    // empty: no user.reg at all
  std::vector<std::string> expected;
};

std::vector<SearchPathCase> Cases() {
  return {
      {"IdeListWithRootAndNoOptionsFile", 4, std::nullopt,
       {{kLibrary4, {{"Search Path", "$(DELPHI)\\Lib;$(DELPHI)\\Bin"}}},
        {kRootKey, {{"Path", "C:\\D4"}}}},
       {"C:\\Work\\Demo\\", "C:\\D4\\Lib\\", "C:\\D4\\Bin\\"}},
      {"LastElementIsExpandedToo", 4, std::nullopt,
       {{kLibrary4, {{"Search Path", "$(DELPHI)\\Lib;$(DELPHI)\\Projects\\Bpl"}}},
        {kRootKey, {{"Path", "C:\\D4"}}}},
       {"C:\\Work\\Demo\\", "C:\\D4\\Lib\\", "C:\\D4\\Projects\\Bpl\\"}},
      {"OptionsFileListComesBeforeTheIdeList", 4,
       "[Directories]\r\nOutputDir=\r\nSearchPath=..\\Shared;C:\\Lib\\\r\n",
       {{kLibrary4, {{"Search Path", "C:\\Comps"}}}},
       {"C:\\Work\\Demo\\", "..\\Shared\\", "C:\\Lib\\", "C:\\Comps\\"}},
      {"MacroOnlyInCapitalsAndAtTheStart", 4, std::nullopt,
       {{kLibrary4, {{"Search Path", "$(Delphi)\\Lib;C:\\X$(DELPHI)"}}},
        {kRootKey, {{"Path", "C:\\D4"}}}},
       {"C:\\Work\\Demo\\", "$(Delphi)\\Lib\\", "C:\\X$(DELPHI)\\"}},
      {"BlanksAreKept", 4, std::nullopt, {{kLibrary4, {{"Search Path", "C:\\A; C:\\B"}}}},
       {"C:\\Work\\Demo\\", "C:\\A\\", " C:\\B\\"}},
      {"TrailingSemicolonAddsNothingAndDuplicatesStay", 4, std::nullopt,
       {{kLibrary4, {{"Search Path", "C:\\A;C:\\A;"}}}},
       {"C:\\Work\\Demo\\", "C:\\A\\", "C:\\A\\"}},
      {"EmptyElementsAreSkipped", 4, std::nullopt,
       {{kLibrary4, {{"Search Path", ";C:\\A;;$(DELPHI);C:\\B"}}}},
       {"C:\\Work\\Demo\\", "C:\\A\\", "C:\\B\\"}},
      {"MissingRootRemovesTheMacro", 4, std::nullopt,
       {{kLibrary4, {{"Search Path", "$(DELPHI)\\Lib"}}}}, {"C:\\Work\\Demo\\", "\\Lib\\"}},
      {"OptionsFileMacroExpandsWithTheRoot", 4,
       "[Directories]\r\nSearchPath=$(DELPHI)\\Imports\r\n",
       {{kRootKey, {{"Path", "C:\\D4"}}}}, {"C:\\Work\\Demo\\", "C:\\D4\\Imports\\"}},
      {"Version3ReadsItsOwnKeyAndNoRoot", 3,
       "[Directories]\r\nSearchPath=$(DELPHI)\\Imports\r\n",
       {{kLibrary3, {{"SearchPath", "$(DELPHI)\\Lib;C:\\D3Comps"}}},
        {kLibrary4, {{"Search Path", "C:\\Four"}}},
        {kRootKey, {{"Path", "C:\\D4"}}}},
       {"C:\\Work\\Demo\\", "\\Imports\\", "\\Lib\\", "C:\\D3Comps\\"}},
      {"Version4IgnoresTheVersion3Layout", 4, std::nullopt,
       {{kLibrary4, {{"SearchPath", "C:\\WrongName"}}},
        {kLibrary3, {{"SearchPath", "C:\\Three"}}}},
       {"C:\\Work\\Demo\\"}},
      {"NoRegistryAndNoOptionsFile", 4, std::nullopt, {}, {"C:\\Work\\Demo\\"}},
      {"OptionsFileWithoutDirectories", 4, "[Compiler]\r\nA=1\r\n", {}, {"C:\\Work\\Demo\\"}},
      {"EmptyRegistryListLeavesProjectEntries", 4,
       "[Directories]\r\nSearchPath=C:\\P1;C:\\P2\r\n",
       {{kLibrary4, {{"Search Path", ""}}}, {kRootKey, {{"Path", "C:\\D4"}}}},
       {"C:\\Work\\Demo\\", "C:\\P1\\", "C:\\P2\\"}},
  };
}

class SearchPathTest : public testing::TestWithParam<SearchPathCase> {};

TEST_P(SearchPathTest, BuildsTheListInOrder) {
  const SearchPathCase& c = GetParam();
  test::ScopedTempDir temp;
  test::WinePrefix prefix(temp);
  prefix.WriteC("Work/Demo/Demo.dpr", "program Demo;\r\n");
  // Lower-case extension on disk: the ".DOF" the list asks for is found ignoring case.
  if (c.dof) prefix.WriteC("Work/Demo/Demo.dof", *c.dof);
  if (!c.registry.empty()) prefix.WriteRegistry(c.registry);

  test::ScriptedPrompts prompts;
  TfrmProjectBackup form(prompts, c.delphi_version);
  form.SetSourceProject(kProject);
  form.SearchPaths.Clear();
  form.BuildSearchPathList();
  EXPECT_EQ(form.SearchPaths.items(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SearchPathTest, testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SearchPathList, AppendsToWhatTheListHolds) {
  test::ScopedTempDir temp;
  test::WinePrefix prefix(temp);
  prefix.WriteRegistry({{kLibrary4, {{"Search Path", "C:\\A"}}}});
  test::ScriptedPrompts prompts;
  TfrmProjectBackup form(prompts, 4);
  form.SetSourceProject(kProject);
  form.SearchPaths.Clear();
  form.SearchPaths.Add("C:\\Before\\");
  form.BuildSearchPathList();
  EXPECT_EQ(form.SearchPaths.items(),
            (std::vector<std::string>{"C:\\Before\\", "C:\\Work\\Demo\\", "C:\\A\\"}));
}

}  // namespace
}  // namespace zk::pb
