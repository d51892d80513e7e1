// The loader, the window's menus and the tool services together, with real test packages.

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <filesystem>
#include <memory>

#include "host/main_window.h"
#include "host/menu_intf.h"
#include "host/package_listing.h"
#include "tests/host/host_test_support.h"

namespace zk::host {
namespace {

namespace fs = std::filesystem;
using test::TestPackage;

class PackageLoaderTest : public testing::Test {
 protected:
  PackageLoaderTest() {
    test::TestApplication();
    window_ = std::make_unique<MainWindow>(
        [this](const std::string& message) { errors_.push_back(message); });
  }

  PackageLoader& loader() { return window_->loader(); }
  QAction* Find(const char* name) { return window_->menus().FindAction(name); }
  QAction* FileSaveAll() { return Find("FileSaveAllItem"); }
  QMenu* FileMenu() { return window_->menus().ParentMenu(FileSaveAll()); }

  test::PackageLogFile log_;
  std::vector<std::string> errors_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(PackageLoaderTest, StandardExpertGetsAHelpItemThatCallsExecute) {
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_standard"))) << testing::PrintToString(errors_);
  EXPECT_TRUE(errors_.empty());
  ASSERT_EQ(loader().experts().size(), 1u);
  ide::TIExpert* expert = loader().experts()[0].expert;
  EXPECT_EQ(expert->GetIDString(), "ZkTest.Standard");
  ASSERT_EQ(loader().packages().size(), 1u);
  EXPECT_EQ(loader().packages()[0]->description(), "Test standard package");

  QAction* item = window_->ExpertAction(expert);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), "Test &Standard");
  EXPECT_TRUE(window_->help_menu()->actions().contains(item));

  item->trigger();
  item->trigger();
  EXPECT_EQ(log_.Count("ZkTest.Standard execute"), 2);
}

TEST_F(PackageLoaderTest, AnExceptionFromExecuteIsReported) {
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_standard")));
  setenv("ZK_TEST_EXECUTE_RAISES", "1", 1);
  window_->ExpertAction(loader().experts()[0].expert)->trigger();
  unsetenv("ZK_TEST_EXECUTE_RAISES");
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "Execute refused by request");
  EXPECT_EQ(loader().experts().size(), 1u);
}

TEST_F(PackageLoaderTest, UnloadingFreesTheExpertAndItsItem) {
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_standard")));
  QPointer<QAction> item = window_->ExpertAction(loader().experts()[0].expert);
  EXPECT_TRUE(loader().UnloadPackage(TestPackage("tp_standard")));
  EXPECT_EQ(log_.Count("ZkTest.Standard destroyed"), 1);
  EXPECT_TRUE(item.isNull());
  EXPECT_TRUE(loader().experts().empty());
  EXPECT_TRUE(loader().packages().empty());
  EXPECT_FALSE(loader().UnloadPackage(TestPackage("tp_standard")));
}

TEST_F(PackageLoaderTest, ARaisingRegisterIsReportedAndWhatItRegisteredIsFreed) {
  EXPECT_FALSE(loader().LoadPackage(TestPackage("tp_raising")));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find("tp_raising.so"), std::string::npos) << errors_[0];
  EXPECT_NE(errors_[0].find("Test package refuses to register"), std::string::npos) << errors_[0];
  EXPECT_TRUE(loader().experts().empty());
  EXPECT_TRUE(loader().packages().empty());
  EXPECT_EQ(log_.Count("ZkTest.BeforeRaise created"), 1);
  EXPECT_EQ(log_.Count("ZkTest.BeforeRaise destroyed"), 1);
  EXPECT_EQ(Find("ZkTest.BeforeRaise"), nullptr);

  // The host goes on.
  EXPECT_TRUE(loader().LoadPackage(TestPackage("tp_standard")));
  EXPECT_EQ(loader().experts().size(), 1u);
}

TEST_F(PackageLoaderTest, LoadFolderTakesEveryGoodPackageAndReportsTheRest) {
  test::ScopedTempDir dir;
  for (const char* name : {"tp_standard", "tp_raising", "tp_addin", "tp_no_register"})
    fs::copy_file(TestPackage(name), dir / (std::string(name) + ".so"));
  dir.Write("broken.so", "not a library");
  dir.Write("notes.txt", "ignored: not a .so");

  EXPECT_EQ(loader().LoadFolder(dir.path().string()), 2);
  std::vector<std::string> loaded;
  for (const Package* package : loader().packages()) loaded.push_back(package->file_name());
  EXPECT_EQ(loaded, (std::vector<std::string>{"tp_addin.so", "tp_standard.so"}));
  ASSERT_EQ(errors_.size(), 3u) << testing::PrintToString(errors_);
  EXPECT_NE(errors_[0].find("Cannot load package " + (dir / "broken.so")), std::string::npos)
      << errors_[0];
  EXPECT_NE(errors_[1].find("tp_no_register.so: it exports no Register"), std::string::npos)
      << errors_[1];
  EXPECT_NE(errors_[2].find("tp_raising.so"), std::string::npos) << errors_[2];

  EXPECT_EQ(FormatPackageList(loader()),
            "tp_addin.so: Test add-in package\n"
            "  ZkTest.AddIn: ZkTest.AddIn name (style 3, add-in)\n"
            "tp_standard.so: Test standard package\n"
            "  ZkTest.Standard: ZkTest.Standard name (style 0, standard)\n");
}

TEST_F(PackageLoaderTest, AMissingFolderLoadsNothingQuietly) {
  EXPECT_EQ(loader().LoadFolder("/nonexistent/zkide/packages"), 0);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(PackageLoaderTest, TheSameLibraryTwiceIsLoadedOnce) {
  test::ScopedTempDir dir;
  fs::create_symlink(TestPackage("tp_standard"), dir / "alias.so");
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_standard")));
  EXPECT_FALSE(loader().LoadPackage(dir / "alias.so"));
  EXPECT_EQ(loader().experts().size(), 1u);
  EXPECT_EQ(log_.Count("ZkTest.Standard created"), 1);
}

TEST_F(PackageLoaderTest, AddInInsertsItsItemRightAfterSaveAllAndNoHelpItem) {
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_addin"))) << testing::PrintToString(errors_);
  QAction* item = Find("FileTestAddInItem");
  ASSERT_NE(item, nullptr);
  QList<QAction*> actions = FileMenu()->actions();
  ASSERT_EQ(actions.indexOf(item), actions.indexOf(FileSaveAll()) + 1);
  EXPECT_EQ(item->text(), "&Test Add-in");
  EXPECT_EQ(window_->ExpertAction(loader().experts()[0].expert), nullptr);

  item->trigger();
  EXPECT_EQ(log_.Count("ZkTest.AddIn click FileTestAddInItem"), 1);
}

TEST_F(PackageLoaderTest, AddInTakesItsItemAwayWhenUnloaded) {
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_addin")));
  int items_before = int(FileMenu()->actions().size());
  QPointer<QAction> item = Find("FileTestAddInItem");
  ASSERT_TRUE(loader().UnloadPackage(TestPackage("tp_addin")));
  EXPECT_EQ(log_.Count("ZkTest.AddIn destroyed"), 1);
  EXPECT_TRUE(item.isNull());
  EXPECT_EQ(Find("FileTestAddInItem"), nullptr);
  EXPECT_EQ(int(FileMenu()->actions().size()), items_before - 1);

  // Loaded again, it hooks in again, once.
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_addin")));
  ASSERT_NE(Find("FileTestAddInItem"), nullptr);
  EXPECT_EQ(int(FileMenu()->actions().size()), items_before);
}

TEST_F(PackageLoaderTest, TheHostUnhooksItemsAPackageLeftBehind) {
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_leaky_addin")));
  QPointer<QAction> item = Find("FileTestAddInItem");
  ASSERT_FALSE(item.isNull());
  ASSERT_TRUE(loader().UnloadPackage(TestPackage("tp_leaky_addin")));
  EXPECT_EQ(log_.Count("ZkTest.AddIn destroyed"), 1);
  // Its handler pointed into the closed library; the item went with it.
  EXPECT_TRUE(item.isNull());
  EXPECT_EQ(Find("FileTestAddInItem"), nullptr);
}

TEST_F(PackageLoaderTest, AddInWithoutSaveAllFailsToRegister) {
  delete FileSaveAll();
  EXPECT_FALSE(loader().LoadPackage(TestPackage("tp_addin")));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find("Cannot find FileSaveAllItem menu item"), std::string::npos);
  EXPECT_TRUE(loader().experts().empty());
}

TEST_F(PackageLoaderTest, ClosingTheHostFreesExpertsNewestFirst) {
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_standard")));
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_addin")));
  window_.reset();
  int addin = log_.IndexOf("ZkTest.AddIn destroyed");
  int standard = log_.IndexOf("ZkTest.Standard destroyed");
  ASSERT_GE(addin, 0);
  ASSERT_GE(standard, 0);
  EXPECT_LT(addin, standard);
}

TEST_F(PackageLoaderTest, ExpertsSeeTheOpenProjectAndItsFolderIsCurrent) {
  test::ScopedTempDir dir;
  std::string dpr = dir.Write("Demo.dpr", "program Demo;\nuses\n  Main in 'Main.pas';\nbegin end.\n");
  fs::path before = fs::current_path();
  ASSERT_TRUE(window_->OpenProject(dpr));
  EXPECT_EQ(fs::current_path(), fs::canonical(dir.path()));
  EXPECT_EQ(window_->windowTitle(), "zkide - Demo");
  ASSERT_TRUE(loader().LoadPackage(TestPackage("tp_standard")));
  window_.reset();
  fs::current_path(before);
  EXPECT_EQ(log_.Count("units 2 " + dpr + " " + (dir / "Main.pas")), 1)
      << testing::PrintToString(log_.Lines());
}

TEST_F(PackageLoaderTest, OpeningAMissingProjectIsReportedAndChangesNothing) {
  fs::path before = fs::current_path();
  EXPECT_FALSE(window_->OpenProject("/nonexistent/Nope.dpr"));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find("/nonexistent/Nope.dpr"), std::string::npos) << errors_[0];
  EXPECT_EQ(fs::current_path(), before);
  EXPECT_EQ(window_->project().files().size(), 0u);
  EXPECT_EQ(window_->windowTitle(), "zkide");
}

// An expert registered by the host's own code, with a state the test controls.
class StateExpert : public ide::TIExpert {
 public:
  std::string GetName() override { return "State"; }
  std::string GetAuthor() override { return ""; }
  std::string GetComment() override { return ""; }
  std::string GetPage() override { return ""; }
  ide::HBITMAP GetGlyph() override { return 0; }
  int GetStyle() override { return ide::esStandard; }
  int GetState() override { return state; }
  std::string GetIDString() override { return "Host.State"; }
  std::string GetMenuText() override { return "&State"; }
  void Execute() override { ++executed; }
  int state = 0;
  int executed = 0;
};

TEST_F(PackageLoaderTest, TheStandardItemFollowsTheExpertsState) {
  auto* expert = new StateExpert;
  ide::RegisterLibraryExpert(expert);
  QAction* item = window_->ExpertAction(expert);
  ASSERT_NE(item, nullptr);
  EXPECT_FALSE(item->isEnabled());
  item->trigger();
  EXPECT_EQ(expert->executed, 0);

  expert->state = ide::esEnabled | ide::esChecked;
  emit window_->help_menu()->aboutToShow();
  EXPECT_TRUE(item->isEnabled());
  EXPECT_TRUE(item->isChecked());
  item->trigger();
  EXPECT_EQ(expert->executed, 1);
  EXPECT_EQ(FormatPackageList(loader()), "(host):\n  Host.State: State (style 0, standard)\n");
}

TEST_F(PackageLoaderTest, TheMainMenuHasTheIdeItems) {
  QMenuBar* bar = window_->menuBar();
  ASSERT_GE(bar->actions().size(), 2);
  EXPECT_EQ(bar->actions()[0]->text(), "&File");
  EXPECT_EQ(bar->actions().back()->text(), "&Help");
  ASSERT_NE(FileSaveAll(), nullptr);
  EXPECT_EQ(FileSaveAll()->text(), "Save A&ll");
  for (const char* name : {"FileOpenProjectItem", "FileSaveItem", "FileCloseItem", "FileExitItem"})
    EXPECT_NE(Find(name), nullptr) << name;
}

}  // namespace
}  // namespace zk::host
