#include "links/link_view.h"

#include <QEvent>
#include <QFontMetrics>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>

#include "formcore_qt/text_codec.h"
#include "links/LinkDialog.h"
#include "links/link_item_delegate.h"

namespace zk::links {
namespace {

// The dialog was laid out for an 8 point sans serif font at 96 pixels per inch.
QFont DialogFont() {
  QFont font(QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

// Bold, 16 pixels high as designed; smaller where this system's sans serif font is too wide for
// the title's place, so the title is never cut.
QFont TitleFont(const QFont& dialog_font, const QString& title, int width) {
  QFont font = dialog_font;
  font.setBold(true);
  for (int pixels = 16; pixels >= 10; --pixels) {
    font.setPixelSize(pixels);
    if (QFontMetrics(font).horizontalAdvance(title) <= width) break;
  }
  return font;
}

// Keys the list's key handler acts on, as virtual key codes; 0 for the rest.
std::uint16_t VirtualKey(int qt_key) {
  switch (qt_key) {
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}

unsigned ShiftState(Qt::KeyboardModifiers modifiers) {
  unsigned shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ssShift;
  if (modifiers & Qt::AltModifier) shift |= ssAlt;
  if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
  return shift;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const form::Label& label, QRect bounds) {
  auto* widget = new QLabel(qt::ToQString(label.caption()), parent);
  widget->setObjectName(QLatin1String(name));
  widget->setTextFormat(Qt::PlainText);
  widget->setGeometry(bounds);
  return widget;
}

}  // namespace

QImage LoadLinksPicture() {
  QImageReader reader(QString::fromLatin1(kLinksPicturePath));
  return reader.read();
}

LinkView::LinkView(TLinkForm& form, QWidget* parent) : QDialog(parent), form_(form) {
  BuildWidgets();
  Connect();
  BindComponents();
}

LinkView::~LinkView() {
  for (form::Control* control : std::initializer_list<form::Control*>{
           &form_.lbLinks, &form_.btnJump, &form_.btnCancel, &form_.Status, &form_.Image1})
    control->OnChange = nullptr;
}

void LinkView::BuildWidgets() {
  setObjectName(QStringLiteral("LinkForm"));
  setWindowTitle(QString::fromLatin1(TLinkForm::kCaption));
  // A fixed dialog frame with a close box and nothing to minimise or maximise.
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFixedSize(TLinkForm::kClientWidth, TLinkForm::kClientHeight);
  setFont(DialogFont());
  BuildAboutArea();
  BuildListAndButtons();
}

void LinkView::BuildAboutArea() {
  Label1_ = MakeLabel(this, "Label1", form_.Label1, QRect(22, 168, 249, 20));
  Label1_->setFont(TitleFont(font(), Label1_->text(), Label1_->width()));

  // The about texts end where the buttons end; a caption wider than its place grows leftwards.
  Label3_ = MakeLabel(this, "Label3", form_.Label3, QRect(143, 195, 129, 13));
  Label2_ = MakeLabel(this, "Label2", form_.Label2, QRect(143, 211, 129, 13));
  lblQuorvinURL_ = MakeLabel(this, "lblQuorvinURL", form_.lblQuorvinURL, QRect(157, 227, 115, 13));
  QFont link = font();
  link.setUnderline(true);
  lblQuorvinURL_->setFont(link);
  QPalette blue = lblQuorvinURL_->palette();
  blue.setColor(QPalette::WindowText, Qt::blue);
  lblQuorvinURL_->setPalette(blue);
  lblQuorvinURL_->setCursor(Qt::PointingHandCursor);
  for (QLabel* label : {Label2_, Label3_, lblQuorvinURL_}) {
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const QRect place = label->geometry();
    const int width = std::max(place.width(), label->sizeHint().width());
    label->setGeometry(place.right() + 1 - width, place.top(), width, place.height());
  }

  Image1_ = new QLabel(this);
  Image1_->setObjectName(QStringLiteral("Image1"));
  const QImage picture = LoadLinksPicture();
  Image1_->setPixmap(QPixmap::fromImage(picture));
  // The image control takes the size of its picture.
  Image1_->setGeometry(QRect(QPoint(16, 200), picture.isNull() ? QSize(43, 72) : picture.size()));
}

void LinkView::BuildListAndButtons() {
  lbLinks_ = new QListWidget(this);
  lbLinks_->setObjectName(QStringLiteral("lbLinks"));
  lbLinks_->setGeometry(0, 0, TLinkForm::kClientWidth, 161);
  lbLinks_->setItemDelegate(new LinkItemDelegate(form_, lbLinks_));
  lbLinks_->setSelectionMode(QAbstractItemView::SingleSelection);
  lbLinks_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  btnJump_ = new QPushButton(qt::ToQString(form_.btnJump.caption()), this);
  btnJump_->setObjectName(QStringLiteral("btnJump"));
  btnJump_->setGeometry(117, 248, 75, 25);
  btnJump_->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  btnJump_->setDefault(true);

  btnCancel_ = new QPushButton(qt::ToQString(form_.btnCancel.caption()), this);
  btnCancel_->setObjectName(QStringLiteral("btnCancel"));
  btnCancel_->setGeometry(197, 248, 75, 25);
  btnCancel_->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));

  Status_ = new QStatusBar(this);
  Status_->setObjectName(QStringLiteral("Status"));
  Status_->setSizeGripEnabled(false);
  Status_->setGeometry(0, 282, TLinkForm::kClientWidth, 19);

  setTabOrder(lbLinks_, btnJump_);
  setTabOrder(btnJump_, btnCancel_);
  lbLinks_->setFocus();
}

void LinkView::Connect() {
  connect(btnJump_, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
  connect(lbLinks_, &QListWidget::currentRowChanged, this, &LinkView::UserSelected);
  // A click on the entry that is selected already still counts as a click.
  connect(lbLinks_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { UserSelected(lbLinks_->row(item)); });
  lbLinks_->installEventFilter(this);
  lbLinks_->viewport()->installEventFilter(this);
  Image1_->installEventFilter(this);
  lblQuorvinURL_->installEventFilter(this);
}

void LinkView::BindComponents() {
  form_.lbLinks.OnChange = [this] {
    ShowList();
    ShowHint(form_.lbLinks, lbLinks_);
  };
  form_.btnJump.OnChange = [this] { ShowHint(form_.btnJump, btnJump_); };
  form_.btnCancel.OnChange = [this] { ShowHint(form_.btnCancel, btnCancel_); };
  form_.Image1.OnChange = [this] { ShowHint(form_.Image1, Image1_); };
  form_.Status.OnChange = [this] {
    Status_->showMessage(qt::ToQString(form_.Status.simple_text()));
  };
  for (const auto& change : {form_.lbLinks.OnChange, form_.btnJump.OnChange,
                             form_.btnCancel.OnChange, form_.Image1.OnChange,
                             form_.Status.OnChange})
    change();
}

void LinkView::ShowList() {
  const QSignalBlocker block(lbLinks_);
  if (shown_items_ != form_.lbLinks.items()) {
    shown_items_ = form_.lbLinks.items();
    lbLinks_->clear();
    for (const std::string& item : shown_items_) lbLinks_->addItem(qt::ToQString(item));
  }
  const int index = form_.lbLinks.item_index();
  if (lbLinks_->currentRow() != index) lbLinks_->setCurrentRow(index);
  if (index < 0) lbLinks_->clearSelection();
  lbLinks_->viewport()->update();
}

void LinkView::ShowHint(const form::Control& control, QWidget* widget) {
  widget->setToolTip(qt::HintToQString(control.hint()));
}

void LinkView::UserSelected(int row) {
  form_.lbLinks.SetItemIndex(row);
  form_.lbLinksClick();
}

void LinkView::done(int result) {
  form_.ModalResult = result == QDialog::Accepted ? form::ModalResult::OK
                                                  : form::ModalResult::Cancel;
  QDialog::done(result);
}

bool LinkView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && watched == lbLinks_) {
    auto* key_event = static_cast<QKeyEvent*>(event);
    if (std::uint16_t key = VirtualKey(key_event->key()); key != 0)
      form_.lbLinksKeyDown(key, ShiftState(key_event->modifiers()));
    // The key goes on to the list as usual.
    return false;
  }
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (watched == lbLinks_->viewport()) {
      form_.lbLinksDblClick();
      if (form_.ModalResult == form::ModalResult::OK) accept();
      return true;
    }
    if (watched == Image1_) {
      form_.Image1DblClick();
      return true;
    }
    if (watched == lblQuorvinURL_) {
      form_.lblQuorvinURLDblClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace zk::links
