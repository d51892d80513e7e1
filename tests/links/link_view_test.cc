#include "links/link_view.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <memory>

#include "formcore_qt/text_codec.h"
#include "links/LinkDialog.h"
#include "links/link_file.h"
#include "tests/links/link_test_support.h"
#include "tests/support/scripted_prompts.h"

namespace zk::links {
namespace {

using form::ModalResult;

std::string DefaultUrl(int index) {
  return SplitLinkLine(DefaultLinkLines()[static_cast<size_t>(index)]).url;
}

TEST(LinksPicture, IsABaselineJfifJpegDecodedThroughQtsJpegSupport) {
  ASSERT_TRUE(QImageReader::supportedImageFormats().contains("jpeg"))
      << "Qt's JPEG image plugin (libjpeg) is missing";

  QFile file(QString::fromLatin1(kLinksPicturePath));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray bytes = file.readAll();
  ASSERT_GT(bytes.size(), 20);
  EXPECT_EQ(bytes.left(4), QByteArray("\xff\xd8\xff\xe0", 4)) << "SOI, then the JFIF segment";
  EXPECT_EQ(bytes.mid(6, 5), QByteArray("JFIF\0", 5));
  EXPECT_EQ(bytes.mid(11, 2), QByteArray("\x01\x01", 2)) << "JFIF version 1.01";
  EXPECT_EQ(bytes.indexOf(QByteArray("\xff\xc2", 2)), -1) << "not progressive";
  const qsizetype sof = bytes.indexOf(QByteArray("\xff\xc0", 2));
  ASSERT_GE(sof, 0) << "baseline frame";
  ASSERT_GT(bytes.size(), sof + 19);
  EXPECT_EQ((uchar(bytes[sof + 5]) << 8) | uchar(bytes[sof + 6]), 72) << "height";
  EXPECT_EQ((uchar(bytes[sof + 7]) << 8) | uchar(bytes[sof + 8]), 43) << "width";
  EXPECT_EQ(bytes[sof + 9], 3) << "components";
  EXPECT_EQ(uchar(bytes[sof + 11]), 0x22) << "luminance sampled 2 x 2";
  EXPECT_EQ(uchar(bytes[sof + 14]), 0x11);
  EXPECT_EQ(uchar(bytes[sof + 17]), 0x11);

  QImageReader reader(QString::fromLatin1(kLinksPicturePath));
  EXPECT_EQ(reader.format(), "jpeg");
  EXPECT_EQ(reader.size(), QSize(43, 72));
  const QImage image = LoadLinksPicture();
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(43, 72));
  // A drawing, not a blank: the top and the bottom differ.
  EXPECT_NE(image.pixel(21, 2), image.pixel(21, 70));
}

class LinkViewTest : public test::LinkFolderTest {
 public:
  void Open() {
    view_.reset();  // before the form it shows
    form_ = std::make_unique<TLinkForm>(prompts);
    view_ = std::make_unique<LinkView>(*form_);
    view_->show();
  }
  void TearDown() override {
    view_.reset();
    form_.reset();
    test::LinkFolderTest::TearDown();
  }

  template <class Widget>
  Widget* Child(const char* name) {
    auto* widget = view_->findChild<Widget*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QListWidget* List() { return Child<QListWidget>("lbLinks"); }
  QRect ItemRect(int row) { return List()->visualItemRect(List()->item(row)); }
  void ClickItem(int row) {
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, ItemRect(row).center());
  }
  QString StatusText() { return Child<QStatusBar>("Status")->currentMessage(); }

  TLinkForm& form() { return *form_; }
  LinkView& view() { return *view_; }

  test::ScriptedPrompts prompts;

 private:
  std::unique_ptr<TLinkForm> form_;
  std::unique_ptr<LinkView> view_;
};

TEST_F(LinkViewTest, WidgetsSitWhereTheDialogWasDesigned) {
  Open();
  EXPECT_EQ(view().windowTitle(), "Delphi Links");
  EXPECT_EQ(view().size(), QSize(292, 301));
  EXPECT_EQ(view().minimumSize(), view().maximumSize());
  struct Place {
    const char* name;
    QRect rect;
  };
  const Place places[] = {
      {"lbLinks", {0, 0, 292, 161}},   {"btnJump", {117, 248, 75, 25}},
      {"btnCancel", {197, 248, 75, 25}}, {"Status", {0, 282, 292, 19}},
      {"Image1", {16, 200, 43, 72}},   {"Label1", {22, 168, 249, 20}},
  };
  for (const Place& place : places)
    EXPECT_EQ(Child<QWidget>(place.name)->geometry(), place.rect) << place.name;
  // The about texts end at the buttons' right edge.
  for (const char* name : {"Label2", "Label3", "lblQuorvinURL"})
    EXPECT_EQ(Child<QLabel>(name)->geometry().right(), 271) << name;
  EXPECT_EQ(Child<QLabel>("Label2")->geometry().top(), 211);
  EXPECT_EQ(Child<QLabel>("lblQuorvinURL")->geometry().top(), 227);
  EXPECT_EQ(Child<QLabel>("Label1")->text(), "Quorvin's Delphi Links Expert");
  EXPECT_EQ(Child<QLabel>("lblQuorvinURL")->text(), QString::fromLatin1(kMakerURL));
  EXPECT_EQ(Child<QLabel>("Image1")->pixmap().size(), QSize(43, 72));
  EXPECT_EQ(Child<QPushButton>("btnJump")->text(), "Jump");
  EXPECT_TRUE(Child<QPushButton>("btnJump")->isDefault());
  EXPECT_EQ(Child<QPushButton>("btnCancel")->text(), "Cancel");
}

TEST_F(LinkViewTest, HintsBecomeTooltips) {
  Open();
  EXPECT_EQ(List()->toolTip(),
            "Use the Insert and Delete key to add \nand delete links from this list. You may \n"
            "also directly edit the ZkDelphiLinks.dat\nfile in your Delphi BIN directory.");
  EXPECT_EQ(Child<QPushButton>("btnCancel")->toolTip(), "Return to IDE");
  EXPECT_EQ(Child<QLabel>("Image1")->toolTip(), qt::HintToQString(ThanksMessage()));
  EXPECT_EQ(Child<QLabel>("Image1")->toolTip().count(QLatin1Char('\n')), 2);
  EXPECT_EQ(Child<QPushButton>("btnJump")->toolTip(), "");
}

// What the core's drawing handler should produce for an item: the same fill and text calls,
// made here with a font of the given style.
QImage ExpectedItem(const QListWidget& list, QSize size, const QString& text, bool bold,
                    bool italic, bool selected) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  const QPalette& palette = list.palette();
  painter.fillRect(QRect(QPoint(0, 0), size),
                   palette.color(QPalette::Normal, selected ? QPalette::Highlight : QPalette::Base));
  QFont font = list.font();
  font.setBold(bold);
  font.setItalic(italic);
  painter.setFont(font);
  painter.setPen(palette.color(QPalette::Normal,
                               selected ? QPalette::HighlightedText : QPalette::Text));
  painter.drawText(QPoint(1, 1 + QFontMetrics(font).ascent()), text);
  return image;
}

TEST_F(LinkViewTest, FirstEntryIsDrawnBoldAndBoldItalicWhileSelected) {
  Open();
  Child<QPushButton>("btnCancel")->setFocus();  // no focus frame in the list
  auto shot = [&](int row) {
    return List()->viewport()->grab(ItemRect(row)).toImage().convertToFormat(
        QImage::Format_ARGB32_Premultiplied);
  };
  const QSize size0 = ItemRect(0).size();
  const QString first = List()->item(0)->text();
  const QImage plain_first = ExpectedItem(*List(), size0, first, false, false, true);
  ASSERT_NE(plain_first, ExpectedItem(*List(), size0, first, true, false, true))
      << "this font cannot tell bold from plain";

  EXPECT_EQ(shot(0), ExpectedItem(*List(), size0, first, true, true, true)) << "selected";
  EXPECT_EQ(shot(1),
            ExpectedItem(*List(), ItemRect(1).size(), List()->item(1)->text(), false, false, false));
  ClickItem(1);
  EXPECT_EQ(shot(0), ExpectedItem(*List(), size0, first, true, false, false)) << "not selected";
  EXPECT_EQ(shot(1),
            ExpectedItem(*List(), ItemRect(1).size(), List()->item(1)->text(), false, false, true));
}

TEST_F(LinkViewTest, ItemsAreTheTextHeightPlusOneHigh) {
  Open();
  QFont bold = List()->font();
  bold.setBold(true);
  EXPECT_EQ(ItemRect(0).height(), QFontMetrics(bold).height() + 1);
  EXPECT_EQ(ItemRect(1).height(), QFontMetrics(List()->font()).height() + 1);
  EXPECT_EQ(ItemRect(1).top(), ItemRect(0).bottom() + 1);
}

TEST_F(LinkViewTest, SelectingByMouseOrKeyboardShowsTheAddressAndTheJumpHint) {
  Open();
  EXPECT_EQ(List()->currentRow(), 0);
  EXPECT_EQ(StatusText(), "");
  ClickItem(2);
  EXPECT_EQ(form().lbLinks.item_index(), 2);
  EXPECT_EQ(StatusText(), QString::fromStdString(DefaultUrl(2)));
  EXPECT_EQ(Child<QPushButton>("btnJump")->toolTip(), "Click to visit Borland: Delphi FAQ");
  QTest::keyClick(List(), Qt::Key_Down);
  EXPECT_EQ(form().lbLinks.item_index(), 3);
  EXPECT_EQ(StatusText(), QString::fromStdString(DefaultUrl(3)));
}

TEST_F(LinkViewTest, InsertAndDeleteKeysEditTheListOnScreen) {
  Open();
  ClickItem(1);
  prompts.input_answers = {"http://new.example.org/", "New one"};
  QTest::keyClick(List(), Qt::Key_Insert);
  ASSERT_EQ(List()->count(), 10);
  EXPECT_EQ(List()->item(2)->text(), "New one");
  EXPECT_EQ(List()->currentRow(), 1);
  EXPECT_NE(ReadLinkFile().find("\r\nNew one|http://new.example.org/\r\n"), std::string::npos);

  ClickItem(2);
  prompts.message_answers = {ModalResult::OK};
  QTest::keyClick(List(), Qt::Key_Delete);
  EXPECT_EQ(List()->count(), 9);
  EXPECT_EQ(List()->currentRow(), -1);
  EXPECT_TRUE(List()->selectedItems().isEmpty());
  EXPECT_EQ(ReadLinkFile(), test::CrLfLines(DefaultLinkLines()));

  // Keys whose Qt codes equal the virtual key codes of INSERT and DELETE do nothing.
  QTest::keyClick(List(), Qt::Key_Minus);
  QTest::keyClick(List(), Qt::Key_Period);
  EXPECT_TRUE(prompts.messages.size() == 1 && prompts.queries.size() == 2);
}

TEST_F(LinkViewTest, EveryWayOfClosingGivesItsResult) {
  struct Way {
    const char* name;
    std::function<void(LinkViewTest&)> act;
    ModalResult result;
  };
  const Way ways[] = {
      {"Jump", [](LinkViewTest& t) { QTest::mouseClick(t.Child<QPushButton>("btnJump"),
                                                       Qt::LeftButton); }, ModalResult::OK},
      {"Enter", [](LinkViewTest& t) { QTest::keyClick(t.List(), Qt::Key_Return); },
       ModalResult::OK},
      {"double-click",
       [](LinkViewTest& t) {
         QTest::mouseDClick(t.List()->viewport(), Qt::LeftButton, {}, t.ItemRect(3).center());
       },
       ModalResult::OK},
      {"Cancel", [](LinkViewTest& t) { QTest::mouseClick(t.Child<QPushButton>("btnCancel"),
                                                         Qt::LeftButton); }, ModalResult::Cancel},
      {"Esc", [](LinkViewTest& t) { QTest::keyClick(t.List(), Qt::Key_Escape); },
       ModalResult::Cancel},
      {"close box", [](LinkViewTest& t) { t.view().close(); }, ModalResult::Cancel},
  };
  for (const Way& way : ways) {
    Open();
    way.act(*this);
    EXPECT_FALSE(view().isVisible()) << way.name;
    EXPECT_EQ(form().ModalResult, way.result) << way.name;
    EXPECT_EQ(view().result(), way.result == ModalResult::OK ? QDialog::Accepted
                                                             : QDialog::Rejected)
        << way.name;
  }
}

TEST_F(LinkViewTest, PictureThanksAndAddressOpensWhileTheDialogStays) {
  Open();
  prompts.message_answers = {ModalResult::OK};
  QTest::mouseDClick(Child<QLabel>("Image1"), Qt::LeftButton);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, ThanksMessage());
  QTest::mouseDClick(Child<QLabel>("lblQuorvinURL"), Qt::LeftButton);
  EXPECT_EQ(prompts.opened_urls, std::vector<std::string>{std::string(kMakerURL)});
  EXPECT_TRUE(view().isVisible());
}

TEST_F(LinkViewTest, UnusualTextsAreShownWithoutLoss) {
  const std::string long_url(1 << 20, 'u');
  WriteLinkFile(test::CrLfLines({MakerEntryLine(), std::string("nul\0byte|x", 10),
                                 "Caf\xe9|http://latin1.example.com/",
                                 "Caf\xc3\xa9|http://utf8.example.com/", "long|" + long_url,
                                 std::string(1 << 20, 'd') + "|http://d.example.com/"}));
  Open();
  ASSERT_EQ(List()->count(), 6);
  EXPECT_EQ(List()->item(1)->text(), QString::fromUtf8("nul\0byte", 8));
  EXPECT_EQ(List()->item(2)->text(), QString::fromLatin1("Caf\xe9"));
  EXPECT_EQ(List()->item(3)->text(), QString::fromUtf8("Caf\xc3\xa9"));
  ClickItem(4);
  EXPECT_EQ(StatusText().size(), long_url.size());
  EXPECT_FALSE(view().grab().isNull());
}

}  // namespace
}  // namespace zk::links
