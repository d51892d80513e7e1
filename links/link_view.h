#pragma once
// The links dialog on screen: a fixed 292 x 301 Qt dialog whose widgets carry the core's
// component names as object names. It shows what the core's components hold and hands every
// user event to the core's handlers.

#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QStatusBar;

namespace zk::form {
class Control;
}

namespace zk::links {

class TLinkForm;

class LinkView : public QDialog {
  Q_OBJECT

 public:
  explicit LinkView(TLinkForm& form, QWidget* parent = nullptr);
  ~LinkView() override;

  // Every way of closing ends here: Jump, Enter and a double-click give OK, the rest Cancel.
  void done(int result) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildWidgets();
  void BuildAboutArea();
  void BuildListAndButtons();
  void Connect();
  void BindComponents();
  void ShowList();
  void ShowHint(const form::Control& control, QWidget* widget);
  void UserSelected(int row);

  TLinkForm& form_;
  QListWidget* lbLinks_ = nullptr;
  QPushButton* btnJump_ = nullptr;
  QPushButton* btnCancel_ = nullptr;
  QStatusBar* Status_ = nullptr;
  QLabel* Label1_ = nullptr;
  QLabel* Label2_ = nullptr;
  QLabel* Label3_ = nullptr;
  QLabel* Image1_ = nullptr;
  QLabel* lblQuorvinURL_ = nullptr;
  // The item texts the list widget holds, to rebuild it only when they change.
  std::vector<std::string> shown_items_;
};

// The dialog's picture, decoded from the package's resources; a null image when the JPEG cannot
// be decoded.
QImage LoadLinksPicture();
inline constexpr const char* kLinksPicturePath = ":/links/images/quorvin.jpg";

}  // namespace zk::links
