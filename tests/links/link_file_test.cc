#include "links/link_file.h"

#include <gtest/gtest.h>

#include <regex>

#include "tests/links/link_test_support.h"

namespace zk::links {
namespace {

struct SplitCase {
  const char* line;
  LinkEntry entry;
};

TEST(SplitLinkLine, SplitsAtTheFirstBarAndTrimsNothing) {
  const SplitCase cases[] = {
      {"Delphi Jobs|http://jobs.example.org/", {"Delphi Jobs", "http://jobs.example.org/"}},
      {"http://no-bar.example.org/", {"", "http://no-bar.example.org/"}},
      {"", {"", ""}},
      {"a|b|c", {"a", "b|c"}},
      {" spaced | out ", {" spaced ", " out "}},
      {"|url only", {"", "url only"}},
      {"description only|", {"description only", ""}},
      {"|", {"", ""}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(SplitLinkLine(c.line), c.entry) << c.line;
}

TEST(SplitLinkLine, JoinedLineSplitsBackWhenTheDescriptionHasNoBar) {
  std::string line = JoinLinkLine("Name", "http://x.example.com/a|b");
  EXPECT_EQ(line, "Name|http://x.example.com/a|b");
  EXPECT_EQ(SplitLinkLine(line), (LinkEntry{"Name", "http://x.example.com/a|b"}));
}

TEST(DefaultLinkLines, NineEntriesOfTheKindsTheListPromises) {
  const auto& lines = DefaultLinkLines();
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], MakerEntryLine());
  EXPECT_EQ(SplitLinkLine(lines[0]).description, "Quorvin's Delphi Resources");
  EXPECT_EQ(SplitLinkLine(lines[1]).description, "Borland: Delphi downloads");
  EXPECT_EQ(SplitLinkLine(lines[2]).description, "Borland: Delphi FAQ");
  EXPECT_EQ(SplitLinkLine(lines[3]).description, "Borland: Delphi 3 fixes/patches");
  EXPECT_TRUE(SplitLinkLine(lines[4]).description.ends_with(" Newsgroup Search"));
  EXPECT_EQ(SplitLinkLine(lines[5]).description, "Delphi Jobs");
  EXPECT_TRUE(SplitLinkLine(lines[6]).description.ends_with(" (US mirror)"));
  // Every address lies in a domain reserved for examples.
  const std::regex example_url(R"(http://([a-z0-9-]+\.)*example\.(com|net|org)/.*)");
  for (const std::string& line : lines) {
    LinkEntry entry = SplitLinkLine(line);
    EXPECT_FALSE(entry.description.empty()) << line;
    EXPECT_TRUE(std::regex_match(entry.url, example_url)) << line;
  }
}

TEST(DefaultLinkLines, MakerEntryPointsAtTheMakersDelphiPage) {
  EXPECT_EQ(MakerEntryLine(), "Quorvin's Delphi Resources|" + std::string(kMakerDelphiURL));
}

TEST(LinkFileNameBeforeStartUp, IsTheBaseNameAlone) {
  // A fresh process, in which nothing has fixed the name yet.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(_exit(LinkFileName() == kLinkFileBaseName ? 0 : 1), ::testing::ExitedWithCode(0),
              "");
}

class LinkFileNameTest : public test::LinkFolderTest {};

TEST_F(LinkFileNameTest, IsTheProgramFolderFollowedByTheBaseName) {
  EXPECT_EQ(LinkFileName(), dir().dir() + "ZkDelphiLinks.dat");
}

TEST_F(LinkFileNameTest, FollowsTheProgramFolderOnlyWhenInitialisedAgain) {
  test::ScopedTempDir other;
  SetProgramFolder(other.dir());
  EXPECT_EQ(LinkFileName(), dir().dir() + "ZkDelphiLinks.dat");
  InitLinkFileName();
  EXPECT_EQ(LinkFileName(), other.dir() + "ZkDelphiLinks.dat");
  ClearLinkFileName();
  EXPECT_EQ(LinkFileName(), "");
}

}  // namespace
}  // namespace zk::links
