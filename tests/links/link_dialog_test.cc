#include "links/LinkDialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "ide/application.h"
#include "links/link_file.h"
#include "tests/links/link_test_support.h"
#include "tests/support/scripted_prompts.h"

namespace zk::links {
namespace {

using form::ModalResult;
using test::CrLfLines;

std::vector<std::string> Descriptions(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& line : lines) out.push_back(SplitLinkLine(line).description);
  return out;
}
std::vector<std::string> Urls(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const auto& line : lines) out.push_back(SplitLinkLine(line).url);
  return out;
}

class LinkDialogTest : public test::LinkFolderTest {
 protected:
  std::unique_ptr<TLinkForm> Open() { return std::make_unique<TLinkForm>(prompts); }
  void PressKey(TLinkForm& form, std::uint16_t key) {
    std::uint16_t code = key;
    form.lbLinksKeyDown(code, 0);
    EXPECT_EQ(code, key) << "the key is passed on unchanged";
  }
  void Select(TLinkForm& form, int index) {
    form.lbLinks.SetItemIndex(index);
    form.lbLinksClick();
  }

  test::ScriptedPrompts prompts;
};

// --- Opening: the file is read, created or corrected ----------------------------------------

TEST_F(LinkDialogTest, MissingFileIsCreatedWithTheBuiltInList) {
  auto form = Open();
  EXPECT_EQ(ReadLinkFile(), CrLfLines(DefaultLinkLines()));
  EXPECT_EQ(form->lbLinks.items(), Descriptions(DefaultLinkLines()));
  EXPECT_EQ(form->link_urls(), Urls(DefaultLinkLines()));
  EXPECT_EQ(form->lbLinks.item_index(), 0);
  EXPECT_EQ(form->Status.simple_text(), "");
  EXPECT_EQ(form->btnJump.hint(), "");
  EXPECT_TRUE(prompts.messages.empty());
}

TEST_F(LinkDialogTest, FirstLineOtherThanTheMakersEntryGetsItAboveAndIsWrittenAtOnce) {
  const std::string maker = MakerEntryLine();
  const std::string differing_first_lines[] = {
      "Delphi Jobs|http://jobs.example.org/",
      "quorvin's delphi resources|" + std::string(kMakerDelphiURL),
      maker + " ",
      " " + maker,
      "Quorvin's Delphi Resources|http://elsewhere.example.net/",
  };
  for (const std::string& first : differing_first_lines) {
    WriteLinkFile(first + "\r\nTwo|http://two.example.com/\r\n");
    auto form = Open();
    EXPECT_EQ(ReadLinkFile(), CrLfLines({maker, first, "Two|http://two.example.com/"})) << first;
    ASSERT_EQ(form->lbLinks.count(), 3) << first;
    EXPECT_EQ(form->lbLinks.item(0), "Quorvin's Delphi Resources");
    EXPECT_EQ(form->lbLinks.item(1), SplitLinkLine(first).description);
  }
}

TEST_F(LinkDialogTest, MakersEntryFurtherDownStaysSoItIsListedTwice) {
  WriteLinkFile("Other|http://o.example.com/\r\n" + MakerEntryLine() + "\r\n");
  auto form = Open();
  EXPECT_EQ(ReadLinkFile(), CrLfLines({MakerEntryLine(), "Other|http://o.example.com/",
                                       MakerEntryLine()}));
  EXPECT_EQ(form->lbLinks.items(),
            (std::vector<std::string>{"Quorvin's Delphi Resources", "Other",
                                      "Quorvin's Delphi Resources"}));
}

TEST_F(LinkDialogTest, EmptyFileGivesAnEmptyListAndIsNotWritten) {
  WriteLinkFile("");
  ino_t inode = LinkFileInode();
  auto form = Open();
  EXPECT_EQ(form->lbLinks.count(), 0);
  EXPECT_EQ(form->lbLinks.item_index(), -1);
  EXPECT_EQ(ReadLinkFile(), "");
  EXPECT_EQ(LinkFileInode(), inode);
}

TEST_F(LinkDialogTest, LinesEndAtCrLfOrCrOrLfAndACorrectFileIsNotRewritten) {
  std::string bytes = MakerEntryLine() + "\nA|http://a.example.com/\rB|http://b.example.com/\r\nC|c";
  WriteLinkFile(bytes);
  ino_t inode = LinkFileInode();
  auto form = Open();
  EXPECT_EQ(form->lbLinks.items(),
            (std::vector<std::string>{"Quorvin's Delphi Resources", "A", "B", "C"}));
  EXPECT_EQ(form->link_urls()[3], "c");
  EXPECT_EQ(LinkFileInode(), inode);
  EXPECT_EQ(ReadLinkFile(), bytes);
}

TEST_F(LinkDialogTest, OddLinesLoadAsTheyAreAndAreSavedInTheLineFormat) {
  WriteLinkFile(CrLfLines({MakerEntryLine(), "http://bare.example.com/", "", "a|b|c"}));
  auto form = Open();
  EXPECT_EQ(form->lbLinks.items(), (std::vector<std::string>{"Quorvin's Delphi Resources", "", "",
                                                             "a"}));
  EXPECT_EQ(form->link_urls(), (std::vector<std::string>{std::string(kMakerDelphiURL),
                                                         "http://bare.example.com/", "", "b|c"}));
  ASSERT_TRUE(form->SaveLinkFile());
  EXPECT_EQ(ReadLinkFile(), CrLfLines({MakerEntryLine(), "|http://bare.example.com/", "|",
                                       "a|b|c"}));
}

TEST_F(LinkDialogTest, UnusualBytesRoundTripExactlyThroughASave) {
  std::string nul_line = std::string("nul\0inside|http://n.example.com/\0x", 33);
  std::string long_line = "long|" + std::string(1 << 20, 'x');
  std::string not_utf8 = "Caf\xe9 \xff\xfe|http://u.example.com/\xc3\x28";
  std::string bytes = CrLfLines({MakerEntryLine(), nul_line, long_line, not_utf8});
  WriteLinkFile(bytes);
  auto form = Open();
  ASSERT_EQ(form->lbLinks.count(), 4);
  EXPECT_EQ(form->lbLinks.item(1), std::string("nul\0inside", 10));
  EXPECT_EQ(form->link_urls()[2].size(), size_t{1} << 20);
  EXPECT_EQ(form->lbLinks.item(3), "Caf\xe9 \xff\xfe");
  ASSERT_TRUE(form->SaveLinkFile());
  EXPECT_EQ(ReadLinkFile(), bytes);
}

// --- Selection ------------------------------------------------------------------------------

TEST_F(LinkDialogTest, ClickShowsTheAddressAndSetsTheJumpHint) {
  auto form = Open();
  Select(*form, 2);
  EXPECT_EQ(form->Status.simple_text(), Urls(DefaultLinkLines())[2]);
  EXPECT_EQ(form->btnJump.hint(), "Click to visit Borland: Delphi FAQ");
}

TEST_F(LinkDialogTest, DoubleClickInTheListClosesWithOk) {
  auto form = Open();
  EXPECT_EQ(form->ModalResult, ModalResult::None);
  form->lbLinksDblClick();
  EXPECT_EQ(form->ModalResult, ModalResult::OK);
}

// --- INSERT ---------------------------------------------------------------------------------

TEST_F(LinkDialogTest, InsertPutsTheNewLinkAfterTheSelectedOneAndSavesIt) {
  auto form = Open();
  Select(*form, 1);
  prompts.input_answers = {"http://new.example.org/", "New one"};
  PressKey(*form, VK_INSERT);

  ASSERT_EQ(prompts.queries.size(), 2u);
  EXPECT_EQ(prompts.queries[0].caption, "New Delphi Link");
  EXPECT_EQ(prompts.queries[0].prompt, "Enter URL");
  EXPECT_EQ(prompts.queries[0].initial, "http://");
  EXPECT_EQ(prompts.queries[1].caption, "http://new.example.org/");
  EXPECT_EQ(prompts.queries[1].prompt, "Enter description");
  EXPECT_EQ(prompts.queries[1].initial, "");

  EXPECT_EQ(form->lbLinks.count(), 10);
  EXPECT_EQ(form->lbLinks.item(2), "New one");
  EXPECT_EQ(form->link_urls()[2], "http://new.example.org/");
  EXPECT_EQ(form->lbLinks.item_index(), 1);
  auto lines = DefaultLinkLines();
  lines.insert(lines.begin() + 2, "New one|http://new.example.org/");
  EXPECT_EQ(ReadLinkFile(), CrLfLines(lines));
}

TEST_F(LinkDialogTest, InsertCancelledAtEitherPromptChangesNothing) {
  const std::deque<std::optional<std::string>> scripts[] = {
      {std::nullopt},
      {"http://half.example.org/", std::nullopt},
  };
  for (const auto& script : scripts) {
    auto form = Open();
    ino_t inode = LinkFileInode();
    prompts.input_answers = script;
    PressKey(*form, VK_INSERT);
    EXPECT_TRUE(prompts.input_answers.empty());
    EXPECT_EQ(form->lbLinks.count(), 9);
    EXPECT_EQ(form->link_urls().size(), 9u);
    EXPECT_EQ(LinkFileInode(), inode);
  }
}

TEST_F(LinkDialogTest, InsertTakesTextsAsTypedAndABarInTheDescriptionSplitsOnTheNextOpening) {
  {
    auto form = Open();
    Select(*form, 8);
    prompts.input_answers = {"url", "with|bar"};
    PressKey(*form, VK_INSERT);
    EXPECT_EQ(form->lbLinks.item(9), "with|bar");
    EXPECT_EQ(form->link_urls()[9], "url");
  }
  EXPECT_TRUE(ReadLinkFile().ends_with("\r\nwith|bar|url\r\n"));
  auto reopened = Open();
  EXPECT_EQ(reopened->lbLinks.item(9), "with");
  EXPECT_EQ(reopened->link_urls()[9], "bar|url");
}

// --- DELETE ---------------------------------------------------------------------------------

TEST_F(LinkDialogTest, DeleteNeverAsksForTheFirstEntryOrWithoutSelection) {
  for (int selected : {0, -1}) {
    auto form = Open();
    ino_t inode = LinkFileInode();
    form->lbLinks.SetItemIndex(selected);
    PressKey(*form, VK_DELETE);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_EQ(form->lbLinks.count(), 9);
    EXPECT_EQ(LinkFileInode(), inode);
  }
}

TEST_F(LinkDialogTest, DeleteAsksAndOnlyOkRemovesTheEntryFromListAndFile) {
  auto form = Open();
  Select(*form, 2);
  ino_t inode = LinkFileInode();
  prompts.message_answers = {ModalResult::Cancel};
  PressKey(*form, VK_DELETE);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Delete \"Borland: Delphi FAQ\"?");
  EXPECT_EQ(prompts.messages[0].type, form::MsgDlgType::Confirmation);
  EXPECT_EQ(prompts.messages[0].buttons, unsigned{form::mbOK | form::mbCancel});
  EXPECT_EQ(form->lbLinks.count(), 9);
  EXPECT_EQ(form->lbLinks.item_index(), 2);
  EXPECT_EQ(LinkFileInode(), inode);

  prompts.message_answers = {ModalResult::OK};
  PressKey(*form, VK_DELETE);
  auto lines = DefaultLinkLines();
  lines.erase(lines.begin() + 2);
  EXPECT_EQ(form->lbLinks.items(), Descriptions(lines));
  EXPECT_EQ(form->link_urls(), Urls(lines));
  EXPECT_EQ(form->lbLinks.item_index(), -1);
  EXPECT_EQ(ReadLinkFile(), CrLfLines(lines));
}

TEST_F(LinkDialogTest, InsertAfterADeletionGoesFirstAndTheNextOpeningPutsTheMakerBackOnTop) {
  {
    auto form = Open();
    Select(*form, 3);
    prompts.message_answers = {ModalResult::OK};
    PressKey(*form, VK_DELETE);
    prompts.input_answers = {"http://top.example.com/", "Top"};
    PressKey(*form, VK_INSERT);
    EXPECT_EQ(form->lbLinks.item(0), "Top");
    EXPECT_EQ(form->lbLinks.item_index(), -1);
  }
  auto reopened = Open();
  ASSERT_EQ(reopened->lbLinks.count(), 10);
  EXPECT_EQ(reopened->lbLinks.item(0), "Quorvin's Delphi Resources");
  EXPECT_EQ(reopened->lbLinks.item(1), "Top");
  EXPECT_EQ(reopened->lbLinks.item(2), "Quorvin's Delphi Resources");
}

TEST_F(LinkDialogTest, OtherKeysDoNothing) {
  auto form = Open();
  ino_t inode = LinkFileInode();
  for (std::uint16_t key : {std::uint16_t{13}, std::uint16_t{44}, std::uint16_t{47},
                            std::uint16_t{'I'}})
    PressKey(*form, key);
  EXPECT_TRUE(prompts.queries.empty());
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(LinkFileInode(), inode);
}

// --- Picture and address --------------------------------------------------------------------

TEST_F(LinkDialogTest, PictureHoldsTheThanksAndShowsThemOnDoubleClick) {
  auto form = Open();
  const std::string thanks =
      "Thanks for using my Delphi Links Expert!\r"
      "If you like this, please try my Pellora component package,\r"
      "which can be found at " + std::string(kPelloraURL);
  EXPECT_EQ(form->Image1.hint(), thanks);
  prompts.message_answers = {ModalResult::OK};
  form->Image1DblClick();
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, thanks);
  EXPECT_EQ(prompts.messages[0].type, form::MsgDlgType::Information);
  EXPECT_EQ(prompts.messages[0].buttons, unsigned{form::mbOK});
}

TEST_F(LinkDialogTest, AddressLabelOpensItsCaptionAndKeepsTheDialogOpen) {
  auto form = Open();
  form->lblQuorvinURLDblClick();
  EXPECT_EQ(prompts.opened_urls, std::vector<std::string>{std::string(kMakerURL)});
  EXPECT_EQ(form->lblQuorvinURL.caption(), kMakerURL);
  EXPECT_EQ(form->ModalResult, ModalResult::None);
}

TEST_F(LinkDialogTest, HintsOfTheListAndTheCancelButton) {
  auto form = Open();
  EXPECT_EQ(form->lbLinks.hint(),
            "Use the Insert and Delete key to add \r\nand delete links from this list. You may "
            "\r\nalso directly edit the ZkDelphiLinks.dat\r\nfile in your Delphi BIN directory.");
  EXPECT_EQ(form->btnCancel.hint(), "Return to IDE");
}

// --- Drawing --------------------------------------------------------------------------------

TEST_F(LinkDialogTest, FirstItemIsMeasuredBoldAndEveryItemIsItsTextHeightPlusOne) {
  auto form = Open();
  test::RecordingCanvas first, second;
  int height = 0;
  form->lbLinksMeasureItem(first, 0, height);
  EXPECT_EQ(first.style, unsigned{form::fsBold});
  EXPECT_EQ(height, 13 + 2 + 1);
  form->lbLinksMeasureItem(second, 1, height);
  EXPECT_EQ(second.style, 0u);
  EXPECT_EQ(height, 13 + 1);
}

TEST_F(LinkDialogTest, FirstItemIsDrawnBoldAndBoldItalicWhileSelected) {
  auto form = Open();
  struct Case {
    int index;
    unsigned state;
    unsigned style;
  };
  const Case cases[] = {
      {0, 0, form::fsBold},
      {0, form::odSelected, form::fsBold | form::fsItalic},
      {0, form::odSelected | form::odFocused, form::fsBold | form::fsItalic},
      {1, 0, 0},
      {1, form::odSelected, 0},
  };
  for (const Case& c : cases) {
    test::RecordingCanvas canvas;
    const form::Rect bounds{0, 14, 292, 28};
    form->lbLinksDrawItem(canvas, c.index, bounds, c.state);
    ASSERT_EQ(canvas.fills.size(), 1u);
    EXPECT_EQ(canvas.fills[0].top, 14);
    EXPECT_EQ(canvas.fills[0].right, 292);
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].x, 1);
    EXPECT_EQ(canvas.texts[0].y, 15);
    EXPECT_EQ(canvas.texts[0].text, form->lbLinks.item(c.index));
    EXPECT_EQ(canvas.texts[0].style, c.style) << c.index << " " << c.state;
  }
}

// --- One showing of the dialog --------------------------------------------------------------

class RunLinkDialogTest : public LinkDialogTest {
 protected:
  void SetUp() override {
    LinkDialogTest::SetUp();
    ide::SetHintHidePause(1234);
  }
  void TearDown() override {
    EXPECT_EQ(ide::HintHidePause(), 1234) << "the hint hide pause is given back";
    ide::SetHintHidePause(ide::kDefaultHintHidePause);
    LinkDialogTest::TearDown();
  }
};

TEST_F(RunLinkDialogTest, OkOpensTheSelectedLinkAfterTheDialogClosed) {
  RunLinkDialog(prompts, [&](TLinkForm& form) {
    EXPECT_EQ(ide::HintHidePause(), 5000);
    Select(form, 4);
    EXPECT_TRUE(prompts.opened_urls.empty());
    return ModalResult::OK;
  });
  EXPECT_EQ(prompts.opened_urls, std::vector<std::string>{Urls(DefaultLinkLines())[4]});
}

TEST_F(RunLinkDialogTest, DoubleClickClosesWithOkAndOpensTheLink) {
  RunLinkDialog(prompts, [&](TLinkForm& form) {
    Select(form, 6);
    form.lbLinksDblClick();
    return form.ModalResult;
  });
  EXPECT_EQ(prompts.opened_urls, std::vector<std::string>{Urls(DefaultLinkLines())[6]});
}

TEST_F(RunLinkDialogTest, CancelOrOkWithoutSelectionOpensNothing) {
  RunLinkDialog(prompts, [&](TLinkForm& form) {
    Select(form, 4);
    return ModalResult::Cancel;
  });
  RunLinkDialog(prompts, [&](TLinkForm& form) {
    Select(form, 4);
    prompts.message_answers = {ModalResult::OK};
    PressKey(form, VK_DELETE);
    return ModalResult::OK;
  });
  EXPECT_TRUE(prompts.opened_urls.empty());
}

TEST_F(RunLinkDialogTest, HintHidePauseComesBackWhenTheDialogThrows) {
  EXPECT_THROW(RunLinkDialog(prompts,
                             [](TLinkForm&) -> ModalResult { throw std::runtime_error("boom"); }),
               std::runtime_error);
  EXPECT_TRUE(prompts.opened_urls.empty());
}

TEST_F(RunLinkDialogTest, EachShowingReadsTheFileAfresh) {
  RunLinkDialog(prompts, [&](TLinkForm& form) {
    prompts.input_answers = {"http://second.example.com/", "Second"};
    PressKey(form, VK_INSERT);
    return ModalResult::Cancel;
  });
  RunLinkDialog(prompts, [&](TLinkForm& form) {
    EXPECT_EQ(form.lbLinks.count(), 10);
    EXPECT_EQ(form.lbLinks.item(1), "Second");
    return ModalResult::Cancel;
  });
}

// --- Files that cannot be read or written ---------------------------------------------------

// The message names the link list file and the system's reason.
void ExpectFileError(const test::ScriptedPrompts& prompts, const std::string& file) {
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].type, form::MsgDlgType::Error);
  EXPECT_EQ(prompts.messages[0].buttons, unsigned{form::mbOK});
  EXPECT_NE(prompts.messages[0].text.find(file), std::string::npos) << prompts.messages[0].text;
  EXPECT_NE(prompts.messages[0].text.find("ermission denied"), std::string::npos)
      << prompts.messages[0].text;
}

TEST_F(LinkDialogTest, ReadOnlyFolderWithoutFileShowsTheBuiltInListAndSaysWhy) {
  test::Chmod(dir().path(), 0555);
  test::WithPermissionsEnforced([&] {
    prompts.message_answers = {ModalResult::OK};
    auto form = Open();
    ExpectFileError(prompts, LinkFile());
    EXPECT_EQ(form->lbLinks.items(), Descriptions(DefaultLinkLines()));
    EXPECT_FALSE(LinkFileExists());
  });
}

TEST_F(LinkDialogTest, UnreadableFileLeavesTheListEmptyAndIsNeverReplaced) {
  // Write-only, in a folder the user may write to: a save would go through and lose the links.
  const std::string bytes = CrLfLines(DefaultLinkLines());
  WriteLinkFile(bytes);
  test::Chmod(LinkFile(), 0200);
  test::Chmod(dir().path(), 0777);
  test::GiveToTestUser(LinkFile());
  test::WithPermissionsEnforced([&] {
    prompts.message_answers = {ModalResult::OK};
    auto form = Open();
    ExpectFileError(prompts, LinkFile());
    EXPECT_EQ(form->lbLinks.count(), 0);
    EXPECT_TRUE(form->link_urls().empty());

    for (std::uint16_t key : {VK_INSERT, VK_DELETE}) {
      prompts.messages.clear();
      prompts.message_answers = {ModalResult::OK};
      PressKey(*form, key);
      ExpectFileError(prompts, LinkFile());
      EXPECT_TRUE(prompts.queries.empty()) << "nothing asked that could not be kept";
      EXPECT_EQ(form->lbLinks.count(), 0);
    }
  });
  test::Chmod(LinkFile(), 0644);
  EXPECT_EQ(ReadLinkFile(), bytes);
}

TEST_F(LinkDialogTest, UncorrectableFileIsShownWithTheMakerOnTopAndLeftAsItWas) {
  const std::string bytes = "Only|http://only.example.com/\r\n";
  WriteLinkFile(bytes);
  test::Chmod(dir().path(), 0555);
  test::WithPermissionsEnforced([&] {
    prompts.message_answers = {ModalResult::OK};
    auto form = Open();
    ExpectFileError(prompts, LinkFile());
    EXPECT_EQ(form->lbLinks.items(),
              (std::vector<std::string>{"Quorvin's Delphi Resources", "Only"}));
    EXPECT_EQ(ReadLinkFile(), bytes);
  });
}

TEST_F(LinkDialogTest, FailedSavesUndoTheChangeAndKeepTheFile) {
  const std::string bytes = CrLfLines(DefaultLinkLines());
  WriteLinkFile(bytes);
  test::Chmod(dir().path(), 0555);
  test::WithPermissionsEnforced([&] {
    auto form = Open();
    Select(*form, 3);

    prompts.input_answers = {"http://lost.example.com/", "Lost"};
    prompts.message_answers = {ModalResult::OK};
    PressKey(*form, VK_INSERT);
    ExpectFileError(prompts, LinkFile());
    EXPECT_EQ(form->lbLinks.items(), Descriptions(DefaultLinkLines()));
    EXPECT_EQ(form->link_urls(), Urls(DefaultLinkLines()));
    EXPECT_EQ(form->lbLinks.item_index(), 3);

    prompts.messages.clear();
    prompts.message_answers = {ModalResult::OK, ModalResult::OK};
    PressKey(*form, VK_DELETE);
    ASSERT_EQ(prompts.messages.size(), 2u);
    prompts.messages.erase(prompts.messages.begin());  // the confirmation
    ExpectFileError(prompts, LinkFile());
    EXPECT_EQ(form->lbLinks.items(), Descriptions(DefaultLinkLines()));
    EXPECT_EQ(form->link_urls(), Urls(DefaultLinkLines()));
    EXPECT_EQ(form->lbLinks.item_index(), 3);

    EXPECT_EQ(ReadLinkFile(), bytes);
  });
}

}  // namespace
}  // namespace zk::links
