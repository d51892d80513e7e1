// The main menu from the keyboard: menu accelerators, item accelerators and short cuts, on the
// real window.

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "host/main_window.h"
#include "host/menu_intf.h"
#include "tests/host/host_test_support.h"

namespace zk::host {
namespace {

template <typename Condition>
bool WaitFor(Condition condition) {
  QElapsedTimer timer;
  timer.start();
  while (!condition() && timer.elapsed() < 3000) QTest::qWait(10);
  return condition();
}

class KeyboardTest : public testing::Test {
 protected:
  KeyboardTest() {
    window_.show();
    window_.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
    auto* main_menu = window_.menus().NewMainMenu();
    auto* save_all = main_menu->FindMenuItem("FileSaveAllItem");
    auto* parent = save_all->GetParent();
    item_ = parent->InsertItem(save_all->GetIndex() + 1, "&Backup Project", "FileBackupProject",
                               "", 0x4000 | 0x2000 | 'B', 0, 0, 6,
                               [this](ide::TIMenuItemIntf*) { ++clicks_; });
    parent->Free();
    save_all->Free();
    main_menu->Free();
  }
  ~KeyboardTest() override {
    item_->DestroyMenuItem();
    item_->Free();
    QMenu* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (popup) popup->close();
  }

  QMenu* FileMenu() { return window_.menuBar()->actions()[0]->menu<QMenu*>(); }

  bool app_ready_ = (test::TestApplication(), true);
  std::vector<std::string> errors_;
  MainWindow window_{[this](const std::string& message) { errors_.push_back(message); }};
  ide::TIMenuItemIntf* item_ = nullptr;
  int clicks_ = 0;
};

TEST_F(KeyboardTest, AltAndTheAcceleratorsChooseAnItem) {
  QTest::keyClick(&window_, Qt::Key_F, Qt::AltModifier);
  ASSERT_TRUE(WaitFor([&] { return FileMenu()->isVisible(); }));
  QTest::keyClick(FileMenu(), Qt::Key_B);
  EXPECT_TRUE(WaitFor([&] { return clicks_ == 1; }));
  EXPECT_TRUE(errors_.empty());
}

TEST_F(KeyboardTest, TheShortCutGivenToInsertItemWorks) {
  QTest::keyClick(&window_, Qt::Key_B, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(WaitFor([&] { return clicks_ == 1; }));
}

}  // namespace
}  // namespace zk::host
