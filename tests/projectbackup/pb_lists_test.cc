#include <algorithm>

#include "platform/path_text.h"
#include "tests/projectbackup/pb_fixture.h"

namespace zk::pb::test {
namespace {

using form::ModalResult;

constexpr form::Color kPrepared{0, 0, 0};
constexpr form::Color kHighlightText{255, 255, 255};

class ListsTest : public BackupDialogTest {
 protected:
  void SetUp() override { form = Open(); }

  void Key(void (TfrmProjectBackup::*handler)(unsigned short&, unsigned), unsigned short code,
           unsigned shift = 0) {
    unsigned short key = code;
    (form.get()->*handler)(key, shift);
    EXPECT_EQ(key, code);  // passed on to the list box unchanged
  }
  void InsertUnits(std::vector<std::string> files) {
    prompts.open_answers.push_back(std::move(files));
    Key(&TfrmProjectBackup::lbStockUnitsKeyDown, VK_INSERT);
  }
  void InsertExtraFiles(std::vector<std::string> files) {
    prompts.open_answers.push_back(std::move(files));
    Key(&TfrmProjectBackup::lbExtraFilesKeyDown, VK_INSERT);
  }
  int IndexOf(const std::string& unit) const {
    const auto& items = form->lbStockUnits.items();
    auto it = std::find(items.begin(), items.end(), unit);
    return it == items.end() ? -1 : static_cast<int>(it - items.begin());
  }
  // The colour an item is drawn in, starting from what the view prepared.
  form::Color DrawnColor(int index, unsigned state) {
    RecordingCanvas canvas((state & form::odSelected) ? kHighlightText : kPrepared);
    form->lbStockUnitsDrawItem(canvas, index, {0, 14 * index, 200, 14 * index + 14}, state);
    EXPECT_EQ(canvas.texts.size(), 1u);
    return canvas.texts.empty() ? form::Color{} : canvas.texts[0].color;
  }

  std::unique_ptr<TfrmProjectBackup> form;
};

TEST_F(ListsTest, FreshListShowsNoUnitInRed) {
  for (int i = 0; i < form->lbStockUnits.count(); ++i) {
    EXPECT_EQ(DrawnColor(i, 0), kPrepared) << form->lbStockUnits.item(i);
    EXPECT_EQ(DrawnColor(i, form::odSelected), kHighlightText) << form->lbStockUnits.item(i);
  }
}

TEST_F(ListsTest, InsertedUnitsGoToTheirSortedPlacesAndStandOut) {
  InsertUnits({"C:\\Lib\\MyUtils.pas", "C:\\Lib\\Other.dcu"});
  ASSERT_EQ(prompts.open_dialogs.size(), 1u);
  EXPECT_EQ(prompts.open_dialogs[0].name, "odFindUnit");
  EXPECT_TRUE(prompts.open_dialogs[0].options & form::OpenDialog::ofAllowMultiSelect);
  EXPECT_TRUE(form->SettingsChanged);
  EXPECT_FALSE(form->ExtraFilesChanged);
  ASSERT_EQ(form->lbStockUnits.count(), 102);
  const auto& items = form->lbStockUnits.items();
  EXPECT_TRUE(std::is_sorted(items.begin(), items.end(),
                             [](const auto& a, const auto& b) { return CompareText(a, b) < 0; }));

  for (const std::string unit : {"MYUTILS", "OTHER"}) {
    const int index = IndexOf(unit);
    ASSERT_GE(index, 0) << unit;
    EXPECT_EQ(DrawnColor(index, 0), form::kRed) << unit;
    EXPECT_EQ(DrawnColor(index, form::odSelected), form::kAqua) << unit;
    EXPECT_EQ(DrawnColor(index, form::odSelected | form::odFocused), form::kAqua) << unit;
  }
}

TEST_F(ListsTest, StockNameAddedAgainIsListedTwiceInNormalColours) {
  InsertUnits({"/usr/src/vcl/Forms.pas"});
  const int first = IndexOf("FORMS");
  ASSERT_GE(first, 0);
  ASSERT_EQ(form->lbStockUnits.item(first + 1), "FORMS");
  for (int index : {first, first + 1}) {
    EXPECT_EQ(DrawnColor(index, 0), kPrepared);
    EXPECT_EQ(DrawnColor(index, form::odSelected), kHighlightText);
  }
}

TEST_F(ListsTest, UnitNameIsTheUpperCaseFileNameWithoutItsLastExtension) {
  struct Case {
    std::string file, unit;
  };
  for (const Case& c : std::vector<Case>{{"C:\\Lib\\my.unit.pas", "MY.UNIT"},
                                         {"/home/u/lib/Mixed.Pas", "MIXED"},
                                         {"D:Relative.dcu", "RELATIVE"},
                                         {"/home/u/lib.d/NoExtension", "NOEXTENSION"},
                                         {"C:\\Lib\\trailing.", "TRAILING"}}) {
    InsertUnits({c.file});
    EXPECT_GE(IndexOf(c.unit), 0) << c.file;
  }
  EXPECT_EQ(form->lbStockUnits.count(), 105);
}

TEST_F(ListsTest, CancelledInsertChangesNothing) {
  prompts.open_answers.push_back(std::nullopt);
  Key(&TfrmProjectBackup::lbStockUnitsKeyDown, VK_INSERT);
  prompts.open_answers.push_back(std::nullopt);
  Key(&TfrmProjectBackup::lbExtraFilesKeyDown, VK_INSERT);
  EXPECT_EQ(form->lbStockUnits.count(), 100);
  EXPECT_EQ(form->lbExtraFiles.count(), 0);
  EXPECT_FALSE(form->SettingsChanged);
  EXPECT_FALSE(form->ExtraFilesChanged);
  EXPECT_EQ(form->lbExtraFiles.horizontal_extent(), 0);
}

TEST_F(ListsTest, DeleteOfDiroutlnRemovesOneEntryAtATime) {
  for (int remaining : {1, 0}) {
    form->lbStockUnits.SetItemIndex(IndexOf("DIROUTLN"));
    prompts.message_answers.push_back(ModalResult::OK);
    Key(&TfrmProjectBackup::lbStockUnitsKeyDown, VK_DELETE);
    EXPECT_EQ(std::count(form->lbStockUnits.items().begin(), form->lbStockUnits.items().end(),
                         "DIROUTLN"),
              remaining);
  }
  ASSERT_EQ(prompts.messages.size(), 2u);
  EXPECT_EQ(prompts.messages[0].text, "Remove DIROUTLN from list of excluded units?");
  EXPECT_EQ(prompts.messages[0].type, form::MsgDlgType::Confirmation);
  EXPECT_EQ(prompts.messages[0].buttons, form::mbOK | form::mbCancel);
  EXPECT_TRUE(form->SettingsChanged);
  EXPECT_EQ(form->lbStockUnits.count(), 98);
}

TEST_F(ListsTest, DeleteAnsweredOtherThanOkKeepsListAndFlag) {
  form->lbStockUnits.SetItemIndex(0);
  form->lbExtraFiles.Add("/x/a");
  form->lbExtraFiles.SetItemIndex(0);
  for (ModalResult answer : {ModalResult::Cancel, ModalResult::No, ModalResult::None}) {
    prompts.message_answers = {answer, answer};
    Key(&TfrmProjectBackup::lbStockUnitsKeyDown, VK_DELETE);
    Key(&TfrmProjectBackup::lbExtraFilesKeyDown, VK_DELETE);
  }
  EXPECT_EQ(prompts.messages.size(), 6u);
  EXPECT_EQ(prompts.messages[1].text, "Remove /x/a from list of extra files?");
  EXPECT_EQ(form->lbStockUnits.count(), 100);
  EXPECT_EQ(form->lbExtraFiles.count(), 1);
  EXPECT_FALSE(form->SettingsChanged);
  EXPECT_FALSE(form->ExtraFilesChanged);
}

TEST_F(ListsTest, DeleteWithoutSelectionAsksNothing) {
  form->lbExtraFiles.Add("/x/a");
  Key(&TfrmProjectBackup::lbStockUnitsKeyDown, VK_DELETE);
  Key(&TfrmProjectBackup::lbExtraFilesKeyDown, VK_DELETE);
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_EQ(form->lbStockUnits.count(), 100);
  EXPECT_EQ(form->lbExtraFiles.count(), 1);
}

TEST_F(ListsTest, ShiftStateDoesNotMatter) {
  struct Case {
    unsigned short key;
    unsigned shift;
  };
  for (const Case& c : std::vector<Case>{{VK_INSERT, ssShift},
                                         {VK_INSERT, ssCtrl | ssAlt},
                                         {VK_DELETE, ssCtrl},
                                         {VK_DELETE, ssShift | ssCtrl}}) {
    form = Open();
    prompts = {};
    form->lbStockUnits.SetItemIndex(0);
    form->lbExtraFiles.Add("/x/a");
    form->lbExtraFiles.SetItemIndex(0);
    if (c.key == VK_INSERT) {
      prompts.open_answers = {std::vector<std::string>{"/u/New.pas"},
                              std::vector<std::string>{"/x/b"}};
    } else {
      prompts.message_answers = {ModalResult::OK, ModalResult::OK};
    }
    Key(&TfrmProjectBackup::lbStockUnitsKeyDown, c.key, c.shift);
    Key(&TfrmProjectBackup::lbExtraFilesKeyDown, c.key, c.shift);
    const int delta = c.key == VK_INSERT ? 1 : -1;
    EXPECT_EQ(form->lbStockUnits.count(), 100 + delta) << c.key << "/" << c.shift;
    EXPECT_EQ(form->lbExtraFiles.count(), 1 + delta) << c.key << "/" << c.shift;
    EXPECT_TRUE(form->SettingsChanged);
    EXPECT_TRUE(form->ExtraFilesChanged);
  }
}

TEST_F(ListsTest, OtherKeysDoNothing) {
  form->lbStockUnits.SetItemIndex(0);
  for (unsigned short key : {13, 32, 44, 47, 65}) {
    Key(&TfrmProjectBackup::lbStockUnitsKeyDown, key);
    Key(&TfrmProjectBackup::lbExtraFilesKeyDown, key);
  }
  EXPECT_TRUE(prompts.messages.empty());
  EXPECT_TRUE(prompts.open_dialogs.empty());
  EXPECT_FALSE(form->SettingsChanged);
  EXPECT_FALSE(form->ExtraFilesChanged);
}

TEST_F(ListsTest, ExtraFilesAreAppendedInTheDialogsOrder) {
  const std::string project = Project("Demo", "Demo");
  form->SetSourceProject(project);
  InsertExtraFiles({"/home/u/docs/zeta-long-name.txt", "/a.txt", "C:\\Docs\\Mixed.TXT"});
  ASSERT_EQ(prompts.open_dialogs.size(), 1u);
  EXPECT_EQ(prompts.open_dialogs[0].name, "odExtraFiles");
  EXPECT_EQ(prompts.open_dialogs[0].initial_dir, "");  // the first INSERT has no start folder
  EXPECT_EQ(form->lbExtraFiles.items(),
            (std::vector<std::string>{"/home/u/docs/zeta-long-name.txt", "/a.txt",
                                      "C:\\Docs\\Mixed.TXT"}));
  EXPECT_TRUE(form->ExtraFilesChanged);
  EXPECT_FALSE(form->SettingsChanged);
  const int first_width = prompts.TextWidth("/home/u/docs/zeta-long-name.txt") + 5;
  EXPECT_EQ(form->lbExtraFiles.horizontal_extent(), first_width);
  EXPECT_EQ(form->odExtraFiles.file_name, "");
  EXPECT_EQ(form->odExtraFiles.initial_dir, form->ProjectDir);

  InsertExtraFiles({"/a.txt"});  // the same path again, and a shorter one
  EXPECT_EQ(prompts.open_dialogs[1].initial_dir, UpperCase(ExtractFilePath(project)));
  EXPECT_EQ(prompts.open_dialogs[1].file_name, "");
  EXPECT_EQ(form->lbExtraFiles.count(), 4);
  EXPECT_EQ(form->lbExtraFiles.item(3), "/a.txt");
  EXPECT_EQ(form->lbExtraFiles.horizontal_extent(), first_width);  // never shrinks

  form->lbExtraFiles.SetItemIndex(0);
  prompts.message_answers.push_back(ModalResult::OK);
  Key(&TfrmProjectBackup::lbExtraFilesKeyDown, VK_DELETE);
  EXPECT_EQ(form->lbExtraFiles.item(0), "/a.txt");
  EXPECT_EQ(form->lbExtraFiles.horizontal_extent(), first_width);

  InsertExtraFiles({"/a/much/longer/path/than/anything/before/it/was.txt"});
  EXPECT_EQ(form->lbExtraFiles.horizontal_extent(),
            prompts.TextWidth("/a/much/longer/path/than/anything/before/it/was.txt") + 5);
}

TEST_F(ListsTest, DrawingFillsFirstThenWritesOneRightAndOneDown) {
  const int index = IndexOf("WINDOWS");
  RecordingCanvas canvas(kPrepared);
  form->lbStockUnitsDrawItem(canvas, index, {10, 20, 210, 34}, 0);
  EXPECT_EQ(canvas.calls, (std::vector<std::string>{"FillRect", "TextOut"}));
  ASSERT_EQ(canvas.filled.size(), 1u);
  EXPECT_EQ(canvas.filled[0].left, 10);
  EXPECT_EQ(canvas.filled[0].bottom, 34);
  ASSERT_EQ(canvas.texts.size(), 1u);
  EXPECT_EQ(canvas.texts[0].x, 11);
  EXPECT_EQ(canvas.texts[0].y, 21);
  EXPECT_EQ(canvas.texts[0].text, "WINDOWS");
}

TEST_F(ListsTest, StockLookupIgnoresLetterCase) {
  form->lbStockUnits.Add("Windows");
  EXPECT_EQ(DrawnColor(IndexOf("Windows"), 0), kPrepared);
}

TEST_F(ListsTest, DrawingAnItemOutsideTheListOnlyFills) {
  RecordingCanvas canvas(kPrepared);
  form->lbStockUnitsDrawItem(canvas, -1, {0, 0, 10, 10}, 0);
  form->lbStockUnitsDrawItem(canvas, form->lbStockUnits.count(), {0, 0, 10, 10}, 0);
  EXPECT_EQ(canvas.calls, (std::vector<std::string>{"FillRect", "FillRect"}));
}

// The run takes the list it used as its reference; the dialog follows that list afterwards.
TEST_F(ListsTest, AfterARunNothingIsRedAndResetsBringBackTheRunsList) {
  const std::string project = Project("Demo", "Demo");
  form->SetSourceProject(project);
  InsertUnits({"/lib/MyUtils.pas"});
  form->StockUnits.Assign(form->lbStockUnits.items());  // what the run does at its start
  for (int i = 0; i < form->lbStockUnits.count(); ++i) EXPECT_EQ(DrawnColor(i, 0), kPrepared);

  InsertUnits({"/lib/Later.pas"});
  EXPECT_EQ(DrawnColor(IndexOf("LATER"), 0), form::kRed);

  prompts.message_answers.push_back(ModalResult::OK);
  form->btnClearClick();
  // The run's list as its reference holds each name once.
  EXPECT_EQ(form->lbStockUnits.items(), form->StockUnits.items());
  EXPECT_EQ(form->lbStockUnits.count(), 100);
  EXPECT_GE(IndexOf("MYUTILS"), 0);
  EXPECT_EQ(IndexOf("LATER"), -1);

  // A project without settings file resets the list the same way.
  InsertUnits({"/lib/Later.pas"});
  form->SetSourceProject(Project("Other", "Other"));
  EXPECT_EQ(form->lbStockUnits.items(), form->StockUnits.items());
}

}  // namespace
}  // namespace zk::pb::test
