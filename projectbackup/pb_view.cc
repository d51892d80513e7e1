#include "projectbackup/pb_view.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <filesystem>

#include "formcore_qt/hint_filter.h"
#include "formcore_qt/qt_canvas.h"
#include "formcore_qt/text_codec.h"
#include "ide/application.h"
#include "platform/path_resolver.h"
#include "platform/path_text.h"

// Resources of a static library must be registered by name, outside any namespace.
static void InitProjectBackupResources() {
  static const bool done = [] {
    Q_INIT_RESOURCE(pb_resources);
    return true;
  }();
  (void)done;
}

namespace zk::pb {

namespace {

constexpr int kFormWidth = 632;
constexpr int kFormHeight = 453;
constexpr int kPanelHeight = 117;
constexpr int kLabelHeight = 13;
constexpr int kUnitsItemHeight = 14;
constexpr int kExtraFilesItemHeight = 13;
constexpr int kUnitsColumns = 3;
// The narrowest a pane beside a splitter may get.
constexpr int kMinPaneWidth = 30;
constexpr int kHintHidePause = 5000;
const QColor kGreen(0, 128, 0);
const QColor kBlue(0, 0, 255);

const char* const kPicture = ":/projectbackup/images/picture.bmp";
const char* const kIcon = ":/projectbackup/images/icon.png";

// The dialog's font. Its own face is rarely installed here; faces of about its width and of its
// line height (13 pixels at 8 points) come next, any sans face last, so texts fit the places
// they were laid out for.
QFont FormFont(bool bold = false) {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                    QStringLiteral("DejaVu Sans Condensed")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  font.setBold(bold);
  return font;
}

// In all colour groups: a label looks the same while the run has the panel disabled.
void SetTextColor(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, color);
  widget->setPalette(palette);
}

// Labels are never disabled themselves; only the panel under them is, while a backup runs, and
// that does not grey them.
void LookEnabledAlways(QWidget* widget) {
  QPalette palette = widget->palette();
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Window, QPalette::Text})
    palette.setColor(QPalette::Disabled, role, palette.color(QPalette::Active, role));
  widget->setPalette(palette);
}

// The picture, drawn as it is whatever the state of the panel under it.
class Picture : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.drawPixmap(0, 0, pixmap());
  }
};

// Changes the current folder for the length of a backup run, so that relative entries of the
// project's search path resolve against the project's own folder, and puts it back afterwards.
class CurrentFolderScope {
 public:
  explicit CurrentFolderScope(const std::string& project) {
    const std::string folder = ExtractFilePath(project);
    if (folder.empty()) return;
    const std::optional<std::string> resolved = ResolvePath(folder);
    if (!resolved) return;
    std::error_code ec;
    std::filesystem::path saved = std::filesystem::current_path(ec);
    if (ec) return;
    std::filesystem::current_path(*resolved, ec);
    if (ec) return;
    saved_ = std::move(saved);
  }
  ~CurrentFolderScope() {
    if (saved_.empty()) return;
    std::error_code ec;
    std::filesystem::current_path(saved_, ec);
  }
  CurrentFolderScope(const CurrentFolderScope&) = delete;
  CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

 private:
  std::filesystem::path saved_;
};

// Every item of a list box is one cell of the list's grid: a fixed height, and the width of a
// column (units) or of the scroll range (extra files).
class FixedCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (auto* list = qobject_cast<const QListView*>(option.widget))
      if (list->gridSize().isValid()) return list->gridSize();
    return QStyledItemDelegate::sizeHint(option, index);
  }
};

// Draws each unit through the core's own drawing handler, on a canvas prepared the way an
// owner-drawn list box prepares it: the list's font, and the highlight colours for the selected
// item.
class StockUnitsDelegate : public FixedCellDelegate {
 public:
  StockUnitsDelegate(TfrmProjectBackup& core, QObject* parent)
      : FixedCellDelegate(parent), core_(core) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    // A list box shows its selection in the highlight colours whether or not it has the focus.
    const QPalette::ColorGroup group =
        (option.state & QStyle::State_Enabled) ? QPalette::Active : QPalette::Disabled;
    const QColor brush = option.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
    const QColor text =
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    unsigned state = selected ? form::odSelected : 0u;
    if (option.state & QStyle::State_HasFocus) state |= form::odFocused;

    painter->save();
    painter->setClipRect(option.rect);
    qt::QtCanvas canvas(*painter, option.font, brush, text);
    const QRect& r = option.rect;
    try {
      core_.lbStockUnitsDrawItem(canvas, index.row(),
                                 form::Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                                 state);
    } catch (...) {
      // Painting cannot ask the user anything; the item simply stays blank.
    }
    painter->restore();
    if (option.state & QStyle::State_HasFocus) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(option);
      focus.backgroundColor = brush;
      const QWidget* widget = option.widget;
      (widget ? widget->style() : QApplication::style())
          ->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
  }

 private:
  TfrmProjectBackup& core_;
};

// A plain text item that is clipped, not shortened with an ellipsis, at the edge of its cell.
class ClippedTextDelegate : public FixedCellDelegate {
 public:
  using FixedCellDelegate::FixedCellDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    FixedCellDelegate::initStyleOption(option, index);
    option->textElideMode = Qt::ElideNone;
  }
};

// The hint filter belongs to the host, which normally installs it at start. A host without one
// gets it from the first dialog; then it must go when this code is unloaded, or the application
// would call into code that is no longer there.
class HintFilterOwner {
 public:
  ~HintFilterOwner() { delete filter_.data(); }
  void Install() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr) return;
    const QObjectList before = app->children();
    qt::InstallHintFilter(*app);
    for (QObject* child : app->children())
      if (!before.contains(child)) filter_ = child;
  }

 private:
  QPointer<QObject> filter_;
};
HintFilterOwner g_hint_filter;

unsigned ShiftStateOf(Qt::KeyboardModifiers modifiers) {
  unsigned shift = 0;
  if (modifiers & Qt::ShiftModifier) shift |= ssShift;
  if (modifiers & Qt::AltModifier) shift |= ssAlt;
  if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
  return shift;
}

// A memo line is one line on screen whatever it holds.
QString OneLine(const std::string& line) {
  QString text = qt::ToQString(line);
  for (QChar& c : text)
    if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) c = QLatin1Char(' ');
  return text;
}

}  // namespace

// The items of a core list box as a Qt model. It keeps a copy of what it last reported, so a
// change in the core becomes exactly one row insertion or removal where it can, which keeps the
// list's scroll position and selection.
class ListBoxModel : public QAbstractListModel {
 public:
  ListBoxModel(const form::ListBox& list, QObject* parent)
      : QAbstractListModel(parent), list_(list), shown_(list.items()) {}

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(shown_.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole) return qt::ToQString(shown_[static_cast<size_t>(index.row())]);
    return {};
  }

  void Sync() {
    const std::vector<std::string>& items = list_.items();
    if (items == shown_) return;
    if (items.size() == shown_.size() + 1) {
      const size_t at = FirstDifference(shown_, items);
      if (std::equal(shown_.begin() + Offset(at), shown_.end(), items.begin() + Offset(at + 1))) {
        beginInsertRows(QModelIndex(), static_cast<int>(at), static_cast<int>(at));
        shown_.insert(shown_.begin() + Offset(at), items[at]);
        endInsertRows();
        return;
      }
    } else if (items.size() + 1 == shown_.size()) {
      const size_t at = FirstDifference(items, shown_);
      if (std::equal(items.begin() + Offset(at), items.end(), shown_.begin() + Offset(at + 1))) {
        beginRemoveRows(QModelIndex(), static_cast<int>(at), static_cast<int>(at));
        shown_.erase(shown_.begin() + Offset(at));
        endRemoveRows();
        return;
      }
    }
    beginResetModel();
    shown_ = items;
    endResetModel();
  }

 private:
  static std::ptrdiff_t Offset(size_t at) { return static_cast<std::ptrdiff_t>(at); }
  // The first index where `shorter` and `longer` differ (shorter.size() when one is a prefix).
  static size_t FirstDifference(const std::vector<std::string>& shorter,
                                const std::vector<std::string>& longer) {
    size_t at = 0;
    while (at < shorter.size() && shorter[at] == longer[at]) ++at;
    return at;
  }

  const form::ListBox& list_;
  std::vector<std::string> shown_;
};

TfrmProjectBackupView::TfrmProjectBackupView(TfrmProjectBackup& core, QWidget* parent)
    : QDialog(parent), core_(core) {
  InitProjectBackupResources();
  setObjectName(QStringLiteral("frmProjectBackup"));
  setWindowTitle(qt::ToQString(std::string("Delphi Project Backup Expert - ") + kMakerNotice));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowIcon(QIcon(QString::fromLatin1(kIcon)));
  setFont(FormFont());
  setFixedSize(kFormWidth, kFormHeight);
  setSizeGripEnabled(false);

  // Components are made in the core's declaration order, so later ones lie on top where a long
  // label text runs under them, as the form was designed.
  BuildPanel();
  BuildClientArea();
  SetTabOrder();
  Connect();
  Follow();

  // Hints stay up long enough to read the three-line list hints; the value stays in force for
  // the whole host after the dialog has closed.
  ide::SetHintHidePause(kHintHidePause);
  g_hint_filter.Install();
  btn_source_->setFocus();
}

TfrmProjectBackupView::~TfrmProjectBackupView() {
  Unfollow();
  // The widgets and models refer to the core; they go before an adopted core does.
  const QObjectList children = this->children();
  qDeleteAll(children);
}

void TfrmProjectBackupView::Adopt(std::unique_ptr<TfrmProjectBackup> core,
                                  std::unique_ptr<form::Prompts> prompts) {
  owned_core_.reset();
  owned_prompts_ = std::move(prompts);
  owned_core_ = std::move(core);
}

QWidget* TfrmProjectBackupView::WidgetFor(const std::string& name) const {
  return findChild<QWidget*>(QString::fromStdString(name));
}

void TfrmProjectBackupView::BuildPanel() {
  panel_ = new QFrame(this);
  panel_->setObjectName(QStringLiteral("Panel1"));
  panel_->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel_->setLineWidth(1);
  panel_->setGeometry(0, 0, kFormWidth, kPanelHeight);
  widgets_[&core_.Panel1] = panel_;

  auto label = [this](form::Label& component, QRect design, LabelFit fit) {
    auto* widget = new QLabel(panel_);
    widget->setObjectName(QString::fromStdString(component.name()));
    widget->setGeometry(design);
    widget->setTextFormat(Qt::PlainText);
    LookEnabledAlways(widget);
    label_fits_[widget] = {design, fit};
    widgets_[&component] = widget;
    return widget;
  };
  auto button = [this](form::Button& component, QRect geometry) {
    auto* widget = new QPushButton(qt::ToQString(component.caption()), panel_);
    widget->setObjectName(QString::fromStdString(component.name()));
    widget->setGeometry(geometry);
    widgets_[&component] = widget;
    return widget;
  };
  auto green = [](QLabel* widget) {
    widget->setFont(FormFont(true));
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, kGreen);
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
  };

  lbl_source_project_ = label(core_.lblSourceProject, QRect(126, 12, 0, kLabelHeight),
                              LabelFit::SizeToText);
  green(lbl_source_project_);
  btn_exit_ = button(core_.btnExit, QRect(126, 84, 79, 25));
  lbl_target_path_ =
      label(core_.lblTargetPath, QRect(126, 38, 0, kLabelHeight), LabelFit::SizeToText);
  green(lbl_target_path_);
  label2_ = label(core_.Label2, QRect(310, 99, 177, kLabelHeight), LabelFit::GrowRight);
  label2_->setTextFormat(Qt::AutoText);
  btn_source_ = button(core_.btnSource, QRect(9, 6, 106, 25));
  btn_target_ = button(core_.btnTarget, QRect(9, 32, 106, 25));
  lbl_last_backup_ = label(core_.lblLastBackup, QRect(425, 83, 200, kLabelHeight), LabelFit::Fixed);
  lbl_last_backup_->setAlignment(Qt::AlignRight | Qt::AlignTop);
  btn_log_file_ = button(core_.btnLogFile, QRect(9, 58, 106, 25));
  lbl_log_file_ = label(core_.lblLogFile, QRect(126, 64, 0, kLabelHeight), LabelFit::SizeToText);
  green(lbl_log_file_);
  btn_backup_ = button(core_.btnBackup, QRect(9, 84, 106, 25));
  btn_backup_->setFont(FormFont(true));
  label1_ = label(core_.Label1, QRect(513, 99, 96, kLabelHeight), LabelFit::GrowRight);
  label1_->setTextFormat(Qt::AutoText);
  btn_clear_ = button(core_.btnClear, QRect(214, 84, 79, 25));
  lbl_url_ = label(core_.lblURL, QRect(539, 67, 84, kLabelHeight), LabelFit::GrowLeft);
  QFont url_font = FormFont();
  url_font.setUnderline(true);
  lbl_url_->setFont(url_font);
  SetTextColor(lbl_url_, kBlue);
  lbl_url_->setCursor(Qt::PointingHandCursor);

  image1_ = new Picture(panel_);
  image1_->setObjectName(QString::fromStdString(core_.Image1.name()));
  const QPixmap picture(QString::fromLatin1(kPicture));
  image1_->setPixmap(picture);
  // The image takes the size of its picture.
  image1_->setGeometry(QRect(QPoint(585, 8), picture.isNull() ? QSize(38, 56) : picture.size()));
  image1_->setCursor(Qt::PointingHandCursor);
  widgets_[&core_.Image1] = image1_;

  for (QLabel* widget : {lbl_source_project_, lbl_target_path_, lbl_log_file_, lbl_url_, image1_})
    widget->installEventFilter(this);
}

void TfrmProjectBackupView::BuildClientArea() {
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("ClientArea"));
  splitter_->setGeometry(0, kPanelHeight, kFormWidth, kFormHeight - kPanelHeight);
  splitter_->setHandleWidth(3);
  splitter_->setChildrenCollapsible(false);

  memo_ = new QPlainTextEdit(splitter_);
  memo_->setObjectName(QString::fromStdString(core_.StatusMemo.name()));
  memo_->setReadOnly(true);
  memo_->setUndoRedoEnabled(false);
  memo_->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo_->setTabChangesFocus(true);
  memo_->setFocusPolicy(Qt::StrongFocus);
  widgets_[&core_.StatusMemo] = memo_;

  lb_stock_units_ = new QListView(splitter_);
  lb_stock_units_->setObjectName(QString::fromStdString(core_.lbStockUnits.name()));
  stock_units_model_ = new ListBoxModel(core_.lbStockUnits, this);
  lb_stock_units_->setModel(stock_units_model_);
  lb_stock_units_->setItemDelegate(new StockUnitsDelegate(core_, this));
  // Columns filled top to bottom, scrolled sideways, as a multi-column list box does.
  lb_stock_units_->setFlow(QListView::TopToBottom);
  lb_stock_units_->setWrapping(true);
  lb_stock_units_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  widgets_[&core_.lbStockUnits] = lb_stock_units_;

  lb_extra_files_ = new QListView(splitter_);
  lb_extra_files_->setObjectName(QString::fromStdString(core_.lbExtraFiles.name()));
  extra_files_model_ = new ListBoxModel(core_.lbExtraFiles, this);
  lb_extra_files_->setModel(extra_files_model_);
  lb_extra_files_->setItemDelegate(new ClippedTextDelegate(this));
  lb_extra_files_->setFlow(QListView::TopToBottom);
  lb_extra_files_->setWrapping(false);
  // Sideways by pixels over the range the core sets, as a single-column list box scrolls.
  lb_extra_files_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  widgets_[&core_.lbExtraFiles] = lb_extra_files_;

  for (QListView* list : {lb_stock_units_, lb_extra_files_}) {
    list->setViewMode(QListView::ListMode);
    list->setMovement(QListView::Static);
    list->setResizeMode(QListView::Adjust);
    list->setSpacing(0);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setTextElideMode(Qt::ElideNone);
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
  }
  for (QWidget* pane : std::initializer_list<QWidget*>{memo_, lb_stock_units_, lb_extra_files_})
    pane->setMinimumWidth(kMinPaneWidth);

  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 0);
  splitter_->setStretchFactor(2, 1);
  splitter_->setSizes({305, 200, 121});
  pane_widths_ = {305, 200, 121};
  splitter_->handle(1)->setObjectName(QString::fromStdString(core_.Splitter1.name()));
  splitter_->handle(2)->setObjectName(QString::fromStdString(core_.Splitter2.name()));
  widgets_[&core_.Splitter1] = splitter_->handle(1);
  widgets_[&core_.Splitter2] = splitter_->handle(2);

  label2_->setBuddy(lb_stock_units_);
  label1_->setBuddy(lb_extra_files_);
  UpdateGrids();
}

void TfrmProjectBackupView::SetTabOrder() {
  QWidget* const order[] = {btn_source_, btn_target_,    btn_log_file_, btn_backup_,   btn_exit_,
                            btn_clear_,  lb_stock_units_, memo_,        lb_extra_files_};
  for (size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void TfrmProjectBackupView::Connect() {
  using Handler = void (TfrmProjectBackup::*)();
  const std::pair<QPushButton*, Handler> clicks[] = {
      {btn_source_, &TfrmProjectBackup::btnSourceClick},
      {btn_target_, &TfrmProjectBackup::btnTargetClick},
      {btn_log_file_, &TfrmProjectBackup::btnLogFileClick},
      {btn_exit_, &TfrmProjectBackup::btnExitClick},
      {btn_clear_, &TfrmProjectBackup::btnClearClick}};
  for (const auto& [button, handler] : clicks) {
    // The core by reference rather than through `this`: GCC's vptr check misreads a closure that
    // holds both `this` and a member function pointer.
    connect(button, &QPushButton::clicked, this, [this, handler = handler] {
      TfrmProjectBackup& core = core_;
      Run([&core, handler] { (core.*handler)(); });
    });
  }
  connect(btn_backup_, &QPushButton::clicked, this, [this] { BackupClick(); });

  auto on_select = [this](QListView* view, form::ListBox& list) {
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this, view, &list] {
              if (syncing_selection_) return;
              const QModelIndexList rows = view->selectionModel()->selectedRows();
              list.SetItemIndex(rows.isEmpty() ? -1 : rows.front().row());
            });
  };
  on_select(lb_stock_units_, core_.lbStockUnits);
  on_select(lb_extra_files_, core_.lbExtraFiles);

  connect(splitter_, &QSplitter::splitterMoved, this,
          [this](int, int index) { KeepUnitsWidth(index); });
}

void TfrmProjectBackupView::Follow() {
  for (form::Control* control : core_.Controls()) {
    control->OnChange = [this, control] { SyncControl(*control); };
  }
  form::Memo::Observer& observer = core_.StatusMemo.observer;
  observer.added = [this](const std::string& line) { MemoAdded(line); };
  observer.cleared = [this] { MemoCleared(); };
  observer.removed_last = [this](int count) { MemoRemovedLast(count); };
  observer.updating = [this](bool updating) {
    if (!updating) FlushMemo();
    memo_->setUpdatesEnabled(!updating);
  };
  observer.repaint = [this] {
    FlushMemo();
    memo_->repaint();
  };
  core_.OnClose = [this] { close(); };

  SyncAll();
  for (const std::string& line : core_.StatusMemo.lines()) MemoAdded(line);
  FlushMemo();
}

void TfrmProjectBackupView::Unfollow() {
  for (form::Control* control : core_.Controls()) control->OnChange = nullptr;
  core_.StatusMemo.observer = {};
  core_.OnClose = nullptr;
}

void TfrmProjectBackupView::SyncAll() {
  for (form::Control* control : core_.Controls()) SyncControl(*control);
}

void TfrmProjectBackupView::SyncControl(const form::Control& control) {
  auto it = widgets_.find(&control);
  if (it == widgets_.end()) return;
  QWidget* widget = it->second;
  widget->setEnabled(control.enabled());
  widget->setToolTip(qt::HintToQString(control.hint()));
  if (auto* label = dynamic_cast<const form::Label*>(&control)) SyncLabel(*label);
  if (auto* list = dynamic_cast<const form::ListBox*>(&control)) SyncList(*list);
}

void TfrmProjectBackupView::SyncLabel(const form::Label& label) {
  const auto found = widgets_.find(&label);
  auto* widget = found == widgets_.end() ? nullptr : qobject_cast<QLabel*>(found->second);
  if (widget == nullptr) return;
  widget->setText(qt::ToQString(label.caption()));
  const auto fit = label_fits_.find(widget);
  if (fit == label_fits_.end()) return;
  // A face taller than the form's own gets the height it needs rather than clipped letters.
  const QRect design = fit->second.design.adjusted(
      0, 0, 0, std::max(0, widget->fontMetrics().height() - fit->second.design.height()));
  const int text_width = widget->sizeHint().width();
  switch (fit->second.fit) {
    case LabelFit::Fixed:
      widget->setGeometry(design);
      break;
    case LabelFit::SizeToText:
      widget->setGeometry(design.left(), design.top(), text_width, design.height());
      break;
    case LabelFit::GrowRight:
      widget->setGeometry(design.left(), design.top(), std::max(design.width(), text_width),
                          design.height());
      break;
    case LabelFit::GrowLeft: {
      const int width = std::max(design.width(), text_width);
      widget->setGeometry(design.left() + design.width() - width, design.top(), width,
                          design.height());
      break;
    }
  }
}

void TfrmProjectBackupView::SyncList(const form::ListBox& list) {
  ListBoxModel* model = &list == &core_.lbStockUnits ? stock_units_model_ : extra_files_model_;
  model->Sync();
  ShowListSelection(list);
  if (&list == &core_.lbExtraFiles) UpdateGrids();
}

void TfrmProjectBackupView::ShowListSelection(const form::ListBox& list) {
  QListView* view = &list == &core_.lbStockUnits ? lb_stock_units_ : lb_extra_files_;
  QItemSelectionModel* selection = view->selectionModel();
  const int row = list.item_index();
  const QModelIndexList selected = selection->selectedRows();
  const int shown = selected.isEmpty() ? -1 : selected.front().row();
  if (shown == row) return;
  syncing_selection_ = true;
  if (row < 0) {
    selection->clearSelection();
  } else {
    const QModelIndex index = view->model()->index(row, 0);
    selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    view->scrollTo(index);
  }
  syncing_selection_ = false;
}

// The units list splits its width into three columns; the extra-files list scrolls sideways
// over the range the core set, and no further.
void TfrmProjectBackupView::UpdateGrids() {
  const QSize units(std::max(1, lb_stock_units_->viewport()->width() / kUnitsColumns),
                    kUnitsItemHeight);
  if (lb_stock_units_->gridSize() != units) lb_stock_units_->setGridSize(units);
  // The extra files are drawn by the list itself: at least a line of its font high.
  const QSize extra(std::max(core_.lbExtraFiles.horizontal_extent(),
                             lb_extra_files_->viewport()->width()),
                    std::max(kExtraFilesItemHeight, lb_extra_files_->fontMetrics().height()));
  if (lb_extra_files_->gridSize() != extra) lb_extra_files_->setGridSize(extra);
}

// The first splitter moves the units list with the memo's edge instead of narrowing it; the
// extra-files list takes what is left, as long as it keeps its minimum width.
void TfrmProjectBackupView::KeepUnitsWidth(int handle_index) {
  QList<int> sizes = splitter_->sizes();
  if (sizes.size() != 3) return;
  if (handle_index == 1 && pane_widths_.size() == 3) {
    const int total = sizes[0] + sizes[1] + sizes[2];
    const int units = std::clamp(pane_widths_[1], kMinPaneWidth, total - sizes[0] - kMinPaneWidth);
    sizes = {sizes[0], units, total - sizes[0] - units};
    splitter_->setSizes(sizes);
  }
  pane_widths_ = {sizes[0], sizes[1], sizes[2]};
}

// Lines arrive in bursts while the run works without the event loop; they are gathered and
// handed to the widget in one insertion when the screen can show them: when the event loop
// runs, when the core asks for a repaint, or before anything else changes the text.
void TfrmProjectBackupView::MemoAdded(const std::string& line) {
  if (memo_pending_lines_ > 0) memo_pending_ += QLatin1Char('\n');
  memo_pending_ += OneLine(line);
  if (memo_pending_lines_++ == 0)
    QMetaObject::invokeMethod(this, [this] { FlushMemo(); }, Qt::QueuedConnection);
}

void TfrmProjectBackupView::FlushMemo() {
  if (memo_pending_lines_ == 0) return;
  QTextCursor cursor(memo_->document());
  cursor.movePosition(QTextCursor::End);
  if (memo_lines_ > 0) cursor.insertBlock();
  // Every '\n' starts a block: one line of the memo.
  cursor.insertText(memo_pending_);
  memo_lines_ += memo_pending_lines_;
  memo_pending_.clear();
  memo_pending_lines_ = 0;
  // The newest line in view, as a memo shows a line just added.
  QScrollBar* bar = memo_->verticalScrollBar();
  bar->setValue(bar->maximum());
}

void TfrmProjectBackupView::MemoCleared() {
  memo_pending_.clear();
  memo_pending_lines_ = 0;
  memo_->clear();
  memo_lines_ = 0;
}

void TfrmProjectBackupView::MemoRemovedLast(int count) {
  FlushMemo();
  const int keep = memo_lines_ - count;
  if (keep <= 0) {
    MemoCleared();
    return;
  }
  QTextDocument* document = memo_->document();
  QTextCursor cursor(document);
  // From the end of the last kept line, so its line break goes too.
  cursor.setPosition(document->findBlockByNumber(keep).position() - 1);
  cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  memo_lines_ = keep;
}

QString TfrmProjectBackupView::MemoText() {
  FlushMemo();
  return memo_->toPlainText();
}

void TfrmProjectBackupView::Run(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& e) {
    core_.prompts().ShowException(e.what());
  } catch (...) {
    core_.prompts().ShowException("An unknown error occurred");
  }
}

void TfrmProjectBackupView::BackupClick() {
  CurrentFolderScope folder(core_.SourceProject());
  try {
    core_.btnBackupClick();
  } catch (...) {
    // A run cut short by an error would leave the dialog locked; unlock it before reporting.
    const std::exception_ptr error = std::current_exception();
    while (core_.StatusMemo.updating()) core_.StatusMemo.EndUpdate();
    core_.EnableControls();
    core_.EnableBackupButton();
    Run([error] { std::rethrow_exception(error); });
  }
}

void TfrmProjectBackupView::ListKeyPress(form::ListBox& list, QKeyEvent* event) {
  unsigned short key = event->key() == Qt::Key_Insert ? VK_INSERT : VK_DELETE;
  const unsigned shift = ShiftStateOf(event->modifiers());
  Run([&] {
    if (&list == &core_.lbStockUnits)
      core_.lbStockUnitsKeyDown(key, shift);
    else
      core_.lbExtraFilesKeyDown(key, shift);
  });
  SyncList(list);
}

void TfrmProjectBackupView::done(int result) {
  if (!closed_) {
    closed_ = true;
    Run([this] { core_.FormClose(); });
  }
  QDialog::done(result);
}

void TfrmProjectBackupView::keyPressEvent(QKeyEvent* event) {
  // The form has no cancel button: Escape does not close it.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

bool TfrmProjectBackupView::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() != Qt::Key_Insert && key->key() != Qt::Key_Delete) break;
      if (watched == lb_stock_units_) {
        ListKeyPress(core_.lbStockUnits, key);
        return true;
      }
      if (watched == lb_extra_files_) {
        ListKeyPress(core_.lbExtraFiles, key);
        return true;
      }
      break;
    }
    case QEvent::MouseButtonDblClick: {
      if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
      void (TfrmProjectBackup::*handler)() = nullptr;
      if (watched == lbl_source_project_) handler = &TfrmProjectBackup::btnSourceClick;
      if (watched == lbl_target_path_) handler = &TfrmProjectBackup::btnTargetClick;
      if (watched == lbl_log_file_) handler = &TfrmProjectBackup::btnLogFileClick;
      if (watched == lbl_url_ || watched == image1_) handler = &TfrmProjectBackup::lblURLDblClick;
      if (handler == nullptr) break;
      TfrmProjectBackup& core = core_;
      Run([&core, handler] { (core.*handler)(); });
      return true;
    }
    case QEvent::Resize:
      if (watched == lb_stock_units_->viewport() || watched == lb_extra_files_->viewport())
        UpdateGrids();
      break;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace zk::pb
