#pragma once
// The backup dialog on screen: Qt widgets that show a TfrmProjectBackup and hand the user's
// actions to its handlers. The core keeps all state; the view follows its components through
// their change callbacks and its memo line by line, so it never holds a second truth.

#include <QDialog>
#include <QRect>
#include <QString>

#include <functional>
#include <map>
#include <memory>

#include "formcore/prompts.h"
#include "projectbackup/pb_main.h"

class QFrame;
class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

namespace zk::pb {

class ListBoxModel;

class TfrmProjectBackupView : public QDialog {
  Q_OBJECT

 public:
  // The core must outlive the view unless the view adopts it (Adopt). The prompts the core was
  // built with are the only way the dialog asks the user anything, so tests script them there.
  explicit TfrmProjectBackupView(TfrmProjectBackup& core, QWidget* parent = nullptr);
  ~TfrmProjectBackupView() override;

  // Hands the view the core it shows and the prompts that core uses; both are freed with the
  // view, the core first. `core` must be the one given to the constructor.
  void Adopt(std::unique_ptr<TfrmProjectBackup> core, std::unique_ptr<form::Prompts> prompts);

  TfrmProjectBackup& core() { return core_; }

  // The memo's text as the user sees it once the event loop has run.
  QString MemoText();

  // The widget showing a component, by the component's name (also its object name).
  QWidget* WidgetFor(const std::string& name) const;

 protected:
  void done(int result) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildPanel();
  void BuildClientArea();
  void SetTabOrder();
  void Connect();
  void Follow();
  void Unfollow();

  void SyncControl(const form::Control& control);
  void SyncLabel(const form::Label& label);
  void SyncList(const form::ListBox& list);
  void SyncAll();
  void ShowListSelection(const form::ListBox& list);
  void UpdateGrids();
  void KeepUnitsWidth(int handle_index);

  void MemoAdded(const std::string& line);
  void MemoCleared();
  void MemoRemovedLast(int count);
  void FlushMemo();

  // Runs a core handler. What escapes it is shown as the framework would show it, and the
  // dialog stays usable.
  void Run(const std::function<void()>& handler);
  void BackupClick();
  void ListKeyPress(form::ListBox& list, QKeyEvent* event);

  // How a label's box follows its caption.
  enum class LabelFit { Fixed, SizeToText, GrowRight, GrowLeft };
  struct LabelPlace {
    QRect design;
    LabelFit fit;
  };

  TfrmProjectBackup& core_;
  // Declared in this order so that the core goes before the prompts it refers to.
  std::unique_ptr<form::Prompts> owned_prompts_;
  std::unique_ptr<TfrmProjectBackup> owned_core_;

  QFrame* panel_ = nullptr;
  QPushButton* btn_source_ = nullptr;
  QPushButton* btn_target_ = nullptr;
  QPushButton* btn_log_file_ = nullptr;
  QPushButton* btn_backup_ = nullptr;
  QPushButton* btn_exit_ = nullptr;
  QPushButton* btn_clear_ = nullptr;
  QLabel* lbl_source_project_ = nullptr;
  QLabel* lbl_target_path_ = nullptr;
  QLabel* lbl_log_file_ = nullptr;
  QLabel* lbl_last_backup_ = nullptr;
  QLabel* label2_ = nullptr;
  QLabel* label1_ = nullptr;
  QLabel* lbl_url_ = nullptr;
  QLabel* image1_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QPlainTextEdit* memo_ = nullptr;
  QListView* lb_stock_units_ = nullptr;
  QListView* lb_extra_files_ = nullptr;
  ListBoxModel* stock_units_model_ = nullptr;
  ListBoxModel* extra_files_model_ = nullptr;

  std::map<const form::Control*, QWidget*> widgets_;
  std::map<const QLabel*, LabelPlace> label_fits_;
  // Lines the memo widget shows; an empty document is no line, not one empty line.
  int memo_lines_ = 0;
  // Lines added since the widget was last brought up to date, joined by '\n'.
  QString memo_pending_;
  int memo_pending_lines_ = 0;
  bool syncing_selection_ = false;
  bool closed_ = false;
  std::vector<int> pane_widths_;
};

}  // namespace zk::pb
