// The backup expert against a small menu written here: where its item goes, what it refuses,
// that it frees every interface it obtains, and what its menu command opens.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ide/exception.h"
#include "ide/expt_intf.h"
#include "projectbackup/ZkProjectBackup.h"
#include "projectbackup/pb_display.h"
#include "projectbackup/pb_view.h"
#include "tests/projectbackup/pb_fixture.h"

namespace zk::pb::test {
namespace {

// A menu entry. The tree owns its nodes; interfaces only point at them.
struct Node {
  std::string name, caption, hint;
  int short_cut = 0, context = 0, group_index = 0, flags = 0;
  ide::TIMenuClickEvent on_click;
  Node* parent = nullptr;
  std::vector<std::unique_ptr<Node>> children;

  Node* Add(std::string child_name, int at = -1) {
    auto node = std::make_unique<Node>();
    node->name = std::move(child_name);
    node->parent = this;
    Node* raw = node.get();
    auto where = at < 0 ? children.end() : children.begin() + at;
    children.insert(where, std::move(node));
    return raw;
  }
  int IndexInParent() const {
    if (!parent) return -1;
    for (size_t i = 0; i < parent->children.size(); ++i)
      if (parent->children[i].get() == this) return static_cast<int>(i);
    return -1;
  }
  std::vector<std::string> ChildNames() const {
    std::vector<std::string> names;
    for (const auto& child : children) names.push_back(child->name);
    return names;
  }
};

// Every interface object the fake hands out counts itself while it lives.
int g_live = 0;

class FakeItem : public ide::TIMenuItemIntf {
 public:
  FakeItem(Node* node, std::function<bool()> on_insert) : node_(node), on_insert_(on_insert) {
    ++g_live;
  }
  ~FakeItem() override { --g_live; }

  std::string GetName() override { return node_ ? node_->name : ""; }
  std::string GetCaption() override { return node_ ? node_->caption : ""; }
  int GetIndex() override { return node_ ? node_->IndexInParent() : -1; }
  int GetItemCount() override { return node_ ? static_cast<int>(node_->children.size()) : 0; }
  ide::TIMenuItemIntf* GetItem(int index) override {
    return new FakeItem(node_->children[static_cast<size_t>(index)].get(), on_insert_);
  }
  ide::TIMenuItemIntf* GetParent() override {
    return node_ && node_->parent ? new FakeItem(node_->parent, on_insert_) : nullptr;
  }
  ide::TIMenuItemIntf* InsertItem(int index, const std::string& caption, const std::string& name,
                                  const std::string& hint, int short_cut, int context,
                                  int group_index, int flags,
                                  ide::TIMenuClickEvent on_click) override {
    if (on_insert_ && !on_insert_()) return nullptr;
    Node* node = node_->Add(name, index);
    node->caption = caption;
    node->hint = hint;
    node->short_cut = short_cut;
    node->context = context;
    node->group_index = group_index;
    node->flags = flags;
    node->on_click = std::move(on_click);
    return new FakeItem(node, on_insert_);
  }
  bool DestroyMenuItem() override {
    if (!node_ || !node_->parent) return false;
    auto& siblings = node_->parent->children;
    siblings.erase(siblings.begin() + node_->IndexInParent());
    node_ = nullptr;
    return true;
  }
  bool Click() override {
    if (!node_ || !node_->on_click) return false;
    node_->on_click(this);
    return true;
  }

 private:
  Node* node_;
  std::function<bool()> on_insert_;
};

class FakeMainMenu : public ide::TIMainMenuIntf {
 public:
  FakeMainMenu(Node& bar, std::vector<Node*> orphans, std::function<bool()> on_insert)
      : bar_(bar), orphans_(std::move(orphans)), on_insert_(on_insert) {
    ++g_live;
  }
  ~FakeMainMenu() override { --g_live; }

  ide::TIMenuItemIntf* GetMenuItems() override { return new FakeItem(&bar_, on_insert_); }
  ide::TIMenuItemIntf* FindMenuItem(const std::string& name) override {
    for (Node* orphan : orphans_)
      if (orphan->name == name) return new FakeItem(orphan, on_insert_);
    Node* found = Find(bar_, name);
    return found ? new FakeItem(found, on_insert_) : nullptr;
  }

 private:
  static Node* Find(Node& node, const std::string& name) {
    for (auto& child : node.children) {
      if (child->name == name) return child.get();
      if (Node* found = Find(*child, name)) return found;
    }
    return nullptr;
  }

  Node& bar_;
  std::vector<Node*> orphans_;
  std::function<bool()> on_insert_;
};

class FakeToolServices : public ide::TIToolServices {
 public:
  ide::TIMainMenuIntf* GetMainMenu() override {
    std::vector<Node*> orphans;
    for (auto& node : orphans_) orphans.push_back(node.get());
    return new FakeMainMenu(bar, orphans, on_insert);
  }
  int GetUnitCount() override { return static_cast<int>(units.size()); }
  std::string GetUnitName(int index) override { return units[static_cast<size_t>(index)]; }

  Node* AddOrphan(std::string name) {
    orphans_.push_back(std::make_unique<Node>());
    orphans_.back()->name = std::move(name);
    return orphans_.back().get();
  }

  Node bar;
  std::vector<std::string> units;
  std::function<bool()> on_insert;

 private:
  std::vector<std::unique_ptr<Node>> orphans_;
};

class ExpertTest : public ::testing::Test {
 protected:
  ExpertTest() {
    g_live = 0;
    file = services.bar.Add("FileMenu");
    for (const char* name : {"FileNewItem", "FileOpenItem", "FileSaveItem", "FileSaveAllItem",
                             "FileCloseItem", "FileExitItem"})
      file->Add(name);
    saved_ = ide::ToolServices;
    ide::ToolServices = &services;
  }
  ~ExpertTest() override { ide::ToolServices = saved_; }

  // The expert as the host holds it: freed through its interface.
  struct FreeExpert {
    void operator()(TZkProjectBackupExpert* expert) const { expert->Free(); }
  };
  using Expert = std::unique_ptr<TZkProjectBackupExpert, FreeExpert>;
  Expert Create() { return Expert(new TZkProjectBackupExpert); }

  FakeToolServices services;
  Node* file = nullptr;

 private:
  ide::TIToolServices* saved_ = nullptr;
};

TEST_F(ExpertTest, AnswersTheTenQuestions) {
  Expert expert = Create();
  EXPECT_EQ(expert->GetName(), "Quorvin's Project Backup Expert");
  EXPECT_EQ(expert->GetAuthor(), "Quorvin");
  EXPECT_EQ(expert->GetComment(), "Quorvin's Project Backup Expert");
  EXPECT_EQ(expert->GetPage(), "");
  EXPECT_EQ(expert->GetGlyph(), 0u);
  EXPECT_EQ(expert->GetStyle(), 3);
  EXPECT_EQ(expert->GetState(), 1);
  EXPECT_EQ(expert->GetIDString(), "ZkProjectBackup.Expert");
  EXPECT_EQ(expert->GetMenuText(), "");
  expert->Execute();
  EXPECT_EQ(file->children.size(), 7u) << "Execute adds nothing";
}

TEST_F(ExpertTest, InsertsItsItemRightAfterSaveAll) {
  struct Case {
    std::vector<std::string> before;  // the File menu's items
    std::vector<std::string> after;
  };
  for (const Case& c : std::vector<Case>{
           {{"FileSaveAllItem"}, {"FileSaveAllItem", "FileBackupProject"}},
           {{"A", "B", "FileSaveAllItem"}, {"A", "B", "FileSaveAllItem", "FileBackupProject"}},
           {{"A", "FileSaveAllItem", "B"}, {"A", "FileSaveAllItem", "FileBackupProject", "B"}}}) {
    file->children.clear();
    for (const auto& name : c.before) file->Add(name);
    {
      Expert expert = Create();
      EXPECT_EQ(file->ChildNames(), c.after);
      EXPECT_EQ(g_live, 1) << "only the expert's own item interface is held";
    }
    EXPECT_EQ(file->ChildNames(), c.before) << "freeing the expert takes its item out";
    EXPECT_EQ(g_live, 0);
  }
}

TEST_F(ExpertTest, ItemCarriesCaptionNameHintAndFlags) {
  Expert expert = Create();
  ASSERT_NE(expert->MenuItem, nullptr);
  const Node& item = *file->children[4];
  EXPECT_EQ(item.caption, "&Backup Project");
  EXPECT_EQ(item.name, "FileBackupProject");
  EXPECT_EQ(item.hint, "Quorvin's Project Backup Utility");
  EXPECT_EQ(item.short_cut, 0);
  EXPECT_EQ(item.context, 0);
  EXPECT_EQ(item.group_index, 0);
  EXPECT_EQ(item.flags, 6);
  EXPECT_EQ(expert->MenuItem->GetName(), "FileBackupProject");
}

TEST_F(ExpertTest, AnExistingItemMeansNoSecondOne) {
  Node* tools = services.bar.Add("ToolsMenu");
  tools->Add("FileBackupProject");
  Expert expert = Create();
  EXPECT_EQ(expert->MenuItem, nullptr);
  EXPECT_EQ(file->children.size(), 6u);
  EXPECT_EQ(tools->children.size(), 1u);
  EXPECT_EQ(g_live, 0);
  expert.reset();
  EXPECT_EQ(tools->children.size(), 1u) << "an item it did not make is left alone";
}

TEST_F(ExpertTest, RefusesAMenuWithoutAPlaceForTheItem) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    const char* message;
  };
  for (const Case& c : std::vector<Case>{
           {"no Save All item",
            [&] {
              auto& items = file->children;
              items.erase(items.begin() + 3);
            },
            "Cannot find FileSaveAllItem menu item"},
           {"Save All without a menu",
            [&] {
              file->children.clear();
              services.AddOrphan("FileSaveAllItem");
            },
            "No menu parent for FileSaveAllItem"}}) {
    c.arrange();
    try {
      Create();
      ADD_FAILURE() << c.what << ": no exception";
    } catch (const ide::Exception& e) {
      EXPECT_STREQ(e.what(), c.message) << c.what;
    }
    EXPECT_EQ(g_live, 0) << c.what << ": every interface obtained is freed";
  }
}

TEST_F(ExpertTest, FreesItsInterfacesWhenTheInsertRaises) {
  services.on_insert = []() -> bool { throw std::runtime_error("menu is locked"); };
  EXPECT_THROW(Create(), std::runtime_error);
  EXPECT_EQ(g_live, 0);
}

TEST_F(ExpertTest, AMenuThatGivesNoItemBackIsAnError) {
  services.on_insert = [] { return false; };
  try {
    Create();
    ADD_FAILURE() << "no exception";
  } catch (const ide::Exception& e) {
    EXPECT_STREQ(e.what(), "Cannot insert the Backup Project menu item");
  }
  EXPECT_EQ(g_live, 0);
}

TEST_F(ExpertTest, RefusesToStartWithoutToolServices) {
  ide::ToolServices = nullptr;
  EXPECT_THROW(Create(), ide::Exception);
}

TEST_F(ExpertTest, MenuCommandOpensTheFirstProjectFileIgnoringCase) {
  struct Case {
    std::vector<std::string> units;
    std::string opened;
  };
  for (const Case& c : std::vector<Case>{
           {{"/w/Demo.dpr", "/w/Main.pas"}, "/w/Demo.dpr"},
           {{"/w/Main.pas", "/w/Demo.Dpr", "/w/Other.dpr"}, "/w/Demo.Dpr"},
           {{"/w/Main.pas", "/w/DEMO.DPR"}, "/w/DEMO.DPR"},
           {{"/w/Main.pas", "/w/dpr", "/w/x.dpr.bak", "/w.dpr/Unit.pas"}, ""},
           {{}, ""}}) {
    Expert expert = Create();
    std::vector<std::string> opened;
    expert->DisplayDialog = [&](const std::string& project) { opened.push_back(project); };
    services.units = c.units;
    ASSERT_TRUE(expert->MenuItem->Click());
    EXPECT_EQ(opened, std::vector<std::string>{c.opened}) << testing::PrintToString(c.units);
  }
}

TEST_F(ExpertTest, ItemOfAFreedExpertCallsNothing) {
  Expert expert = Create();
  ide::TIMenuItemIntf* item = expert->MenuItem;
  item->AddRef();  // someone else still holds the item
  expert.reset();
  EXPECT_FALSE(item->Click());
  EXPECT_EQ(file->children.size(), 6u);
  item->Free();
  EXPECT_EQ(g_live, 0);
}

class DisplayTest : public BackupDialogTest {};

int BackupDialogsAlive() {
  int count = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    count += widget->objectName() == QLatin1String("frmProjectBackup");
  return count;
}

// The dialog the menu command shows, found while it runs modally.
TfrmProjectBackupView* ShownDialog() {
  return qobject_cast<TfrmProjectBackupView*>(QApplication::activeModalWidget());
}

TEST_F(DisplayTest, ShowsTheProjectModallyAndReleasesTheDialogAfterwards) {
  const std::string project = Project("proj", "Demo");
  std::string shown;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    TfrmProjectBackupView* dialog = ShownDialog();
    ASSERT_NE(dialog, nullptr);
    modal = dialog->isModal();
    shown = dialog->findChild<QLabel*>("lblSourceProject")->text().toStdString();
    EXPECT_EQ(dialog->core().DelphiVersion, 4);
    dialog->close();
  });
  DisplayProjectBackupDialog(project);
  EXPECT_TRUE(modal);
  EXPECT_EQ(shown, project);
  // Released once control is back in the event loop.
  EXPECT_EQ(BackupDialogsAlive(), 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(BackupDialogsAlive(), 0);
}

TEST_F(DisplayTest, NoProjectShowsThePlaceholder) {
  std::string shown;
  QTimer::singleShot(0, [&] {
    TfrmProjectBackupView* dialog = ShownDialog();
    ASSERT_NE(dialog, nullptr);
    shown = dialog->findChild<QLabel*>("lblSourceProject")->text().toStdString();
    dialog->close();
  });
  DisplayProjectBackupDialog("");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(shown, kNoProject);
}

}  // namespace
}  // namespace zk::pb::test
