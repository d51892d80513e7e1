#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <memory>

#include "host/menu_intf.h"
#include "ide/exception.h"
#include "tests/host/host_test_support.h"

namespace zk::host {
namespace {

using ide::TIMenuItemIntf;

// Frees an interface at the end of a scope.
struct Freer {
  void operator()(ide::TInterface* intf) const {
    if (intf) intf->Free();
  }
};
template <typename T>
using Held = std::unique_ptr<T, Freer>;

QAction* AddItem(QMenu* menu, const char* name, const char* caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  return action;
}

// File: Open, Reopen > (Recent > RecentItem0), Save, FileSaveAllItem, Exit. Help: About.
class MenuIntfTest : public testing::Test {
 protected:
  MenuIntfTest() {
    QMenu* file = bar_.addMenu("&File");
    file->menuAction()->setObjectName("FileMenu");
    AddItem(file, "FileOpenItem", "&Open");
    QMenu* reopen = file->addMenu("&Reopen");
    reopen->menuAction()->setObjectName("FileReopenItem");
    QMenu* recent = reopen->addMenu("Recent");
    recent->menuAction()->setObjectName("RecentMenu");
    AddItem(recent, "RecentItem0", "&0 Demo");
    AddItem(file, "FileSaveItem", "&Save");
    AddItem(file, "FileSaveAllItem", "Save A&ll");
    AddItem(file, "FileExitItem", "E&xit");
    QMenu* help = bar_.addMenu("&Help");
    help->menuAction()->setObjectName("HelpMenu");
    AddItem(help, "HelpAboutItem", "&About");
    main_menu_.reset(menus_.NewMainMenu());
  }

  Held<TIMenuItemIntf> Find(const std::string& name) {
    return Held<TIMenuItemIntf>(main_menu_->FindMenuItem(name));
  }
  QMenu* FileMenu() { return bar_.actions()[0]->menu<QMenu*>(); }

  bool app_ready_ = (test::TestApplication(), true);
  std::vector<std::string> errors_;
  QMenuBar bar_;
  MenuModel menus_{&bar_, [this](const std::string& message) { errors_.push_back(message); }};
  Held<ide::TIMainMenuIntf> main_menu_;
};

TEST_F(MenuIntfTest, FindsItemsAtAnyDepth) {
  for (const char* name : {"FileMenu", "FileSaveAllItem", "FileReopenItem", "RecentItem0",
                           "HelpAboutItem"}) {
    auto item = Find(name);
    ASSERT_TRUE(item) << name;
    EXPECT_EQ(item->GetName(), name);
  }
  EXPECT_EQ(Find("RecentItem0")->GetCaption(), "&0 Demo");
  EXPECT_FALSE(Find("NoSuchItem"));
  EXPECT_FALSE(Find(""));
}

TEST_F(MenuIntfTest, ParentAndIndex) {
  auto save_all = Find("FileSaveAllItem");
  EXPECT_EQ(save_all->GetIndex(), 3);
  auto parent = Held<TIMenuItemIntf>(save_all->GetParent());
  ASSERT_TRUE(parent);
  EXPECT_EQ(parent->GetName(), "FileMenu");
  EXPECT_EQ(parent->GetItemCount(), 5);
  EXPECT_EQ(Held<TIMenuItemIntf>(parent->GetItem(3))->GetName(), "FileSaveAllItem");
  EXPECT_FALSE(parent->GetItem(5));

  auto deep = Find("RecentItem0");
  EXPECT_EQ(Held<TIMenuItemIntf>(deep->GetParent())->GetName(), "RecentMenu");

  // A top-level menu sits in the menu bar, which itself has no parent.
  auto bar = Held<TIMenuItemIntf>(parent->GetParent());
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->GetItemCount(), 2);
  EXPECT_EQ(Find("HelpMenu")->GetIndex(), 1);
  EXPECT_FALSE(bar->GetParent());
}

TEST_F(MenuIntfTest, InsertItemGoesAtTheIndexWithItsProperties) {
  auto save_all = Find("FileSaveAllItem");
  auto parent = Held<TIMenuItemIntf>(save_all->GetParent());
  int clicks = 0;
  auto added = Held<TIMenuItemIntf>(parent->InsertItem(
      save_all->GetIndex() + 1, "&Backup Project", "FileBackupProject", "Backs it up", 0x4000 | 'B',
      0, 0, ide::mfEnabled | ide::mfVisible, [&](TIMenuItemIntf*) { ++clicks; }));
  ASSERT_TRUE(added);
  QList<QAction*> actions = FileMenu()->actions();
  ASSERT_EQ(actions.size(), 6);
  EXPECT_EQ(actions[3]->objectName(), "FileSaveAllItem");
  QAction* action = actions[4];
  EXPECT_EQ(action->objectName(), "FileBackupProject");
  EXPECT_EQ(action->text(), "&Backup Project");
  EXPECT_EQ(action->statusTip(), "Backs it up");
  EXPECT_EQ(action->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
  EXPECT_TRUE(action->isEnabled());
  EXPECT_TRUE(action->isVisible());
  EXPECT_EQ(added->GetIndex(), 4);
  EXPECT_EQ(Find("FileBackupProject")->GetName(), "FileBackupProject");

  action->trigger();
  EXPECT_EQ(clicks, 1);
}

TEST_F(MenuIntfTest, FlagsWithoutEnabledGiveADisabledItemThatCannotBeClicked) {
  auto parent = Find("FileMenu");
  int clicks = 0;
  auto added = Held<TIMenuItemIntf>(parent->InsertItem(
      0, "Off", "OffItem", "", 0, 0, 0, ide::mfVisible, [&](TIMenuItemIntf*) { ++clicks; }));
  EXPECT_FALSE(FileMenu()->actions()[0]->isEnabled());
  EXPECT_FALSE(added->Click());
  EXPECT_EQ(clicks, 0);
}

TEST_F(MenuIntfTest, IndexOutOfRangeAppends) {
  auto parent = Find("FileMenu");
  Held<TIMenuItemIntf>(parent->InsertItem(99, "Last", "LastItem", "", 0, 0, 0, 6, {}));
  Held<TIMenuItemIntf>(parent->InsertItem(-1, "Later", "LaterItem", "", 0, 0, 0, 6, {}));
  QList<QAction*> actions = FileMenu()->actions();
  EXPECT_EQ(actions[actions.size() - 2]->objectName(), "LastItem");
  EXPECT_EQ(actions.back()->objectName(), "LaterItem");
}

TEST_F(MenuIntfTest, InsertingIntoAPlainItemMakesItASubmenu) {
  auto about = Find("HelpAboutItem");
  auto child = Held<TIMenuItemIntf>(about->InsertItem(0, "More", "MoreItem", "", 0, 0, 0, 6, {}));
  ASSERT_TRUE(child);
  EXPECT_EQ(about->GetItemCount(), 1);
  EXPECT_EQ(Held<TIMenuItemIntf>(child->GetParent())->GetName(), "HelpAboutItem");
}

TEST_F(MenuIntfTest, ClickPassesTheItemAsSender) {
  auto parent = Find("FileMenu");
  std::string sender_name;
  auto added = Held<TIMenuItemIntf>(parent->InsertItem(
      1, "Mine", "MyItem", "", 0, 0, 0, 6,
      [&](TIMenuItemIntf* sender) { sender_name = sender->GetName(); }));
  EXPECT_TRUE(added->Click());
  EXPECT_EQ(sender_name, "MyItem");
}

TEST_F(MenuIntfTest, AnExceptionFromAHandlerIsReportedAndTheItemStays) {
  auto parent = Find("FileMenu");
  int calls = 0;
  auto added = Held<TIMenuItemIntf>(parent->InsertItem(
      1, "Bad", "BadItem", "", 0, 0, 0, 6, [&](TIMenuItemIntf*) {
        ++calls;
        throw ide::Exception("handler failed");
      }));
  EXPECT_TRUE(added->Click());
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "handler failed");
  EXPECT_TRUE(added->Click());
  EXPECT_EQ(calls, 2);
}

TEST_F(MenuIntfTest, DestroyMenuItemTakesItOutAndDropsTheHandler) {
  auto parent = Find("FileMenu");
  int clicks = 0;
  auto added = Held<TIMenuItemIntf>(parent->InsertItem(
      4, "Gone", "GoneItem", "", 0, 0, 0, 6, [&](TIMenuItemIntf*) { ++clicks; }));
  QPointer<QAction> action = FileMenu()->actions()[4];
  EXPECT_TRUE(added->DestroyMenuItem());
  EXPECT_TRUE(action.isNull());
  EXPECT_FALSE(Find("GoneItem"));
  EXPECT_EQ(FileMenu()->actions().size(), 5);
  EXPECT_FALSE(added->Click());
  EXPECT_FALSE(added->DestroyMenuItem());
  EXPECT_EQ(added->GetIndex(), -1);
  EXPECT_EQ(clicks, 0);
}

TEST_F(MenuIntfTest, AnItemMayDestroyItselfFromItsOwnHandler) {
  auto parent = Find("FileMenu");
  auto added = Held<TIMenuItemIntf>(parent->InsertItem(
      0, "Once", "OnceItem", "", 0, 0, 0, 6,
      [](TIMenuItemIntf* sender) { EXPECT_TRUE(sender->DestroyMenuItem()); }));
  QPointer<QAction> action = FileMenu()->actions()[0];
  EXPECT_TRUE(added->Click());
  EXPECT_FALSE(Find("OnceItem"));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(action.isNull());
}

TEST_F(MenuIntfTest, DestroyItemsOfRemovesOnlyThatPackagesItems) {
  auto parent = Find("FileMenu");
  auto* package_a = reinterpret_cast<PackageTag>(&errors_);
  {
    PackageScope scope(package_a);
    Held<TIMenuItemIntf>(parent->InsertItem(0, "A", "AItem", "", 0, 0, 0, 6, [](auto*) {}));
  }
  Held<TIMenuItemIntf>(parent->InsertItem(0, "Host", "HostItem", "", 0, 0, 0, 6, [](auto*) {}));
  EXPECT_EQ(menus_.DestroyItemsOf(package_a), 1);
  EXPECT_FALSE(Find("AItem"));
  EXPECT_TRUE(Find("HostItem"));
  EXPECT_TRUE(Find("FileSaveAllItem"));
}

TEST(QtKeyFromShortCutTest, ConvertsTheOldShortCutCodes) {
  EXPECT_EQ(QtKeyFromShortCut(0), 0);
  EXPECT_EQ(QtKeyFromShortCut('B'), int(Qt::Key_B));
  EXPECT_EQ(QtKeyFromShortCut(0x4000 | 'B'), (Qt::CTRL | Qt::Key_B).toCombined());
  EXPECT_EQ(QtKeyFromShortCut(0x2000 | 0x4000 | '5'), (Qt::SHIFT | Qt::CTRL | Qt::Key_5).toCombined());
  EXPECT_EQ(QtKeyFromShortCut(0x8000 | 0x70), (Qt::ALT | Qt::Key_F1).toCombined());
  EXPECT_EQ(QtKeyFromShortCut(0x7B), int(Qt::Key_F12));
  EXPECT_EQ(QtKeyFromShortCut(0x2E), int(Qt::Key_Delete));
  EXPECT_EQ(QtKeyFromShortCut(0x4000 | 0xBA), 0);  // no Qt equivalent kept
}

}  // namespace
}  // namespace zk::host
