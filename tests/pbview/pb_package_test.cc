// Both builds of the backup package, loaded by the host's own loader (dlopen + Register) into the
// host's own main window.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/main_window.h"
#include "tests/support/scoped_temp_dir.h"

namespace zk::test {
namespace {

std::string PackagePath(const std::string& name) {
  return std::string(ZK_PACKAGE_DIR) + "/" + name + ".so";
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class BackupPackageTest : public ::testing::Test {
 protected:
  BackupPackageTest()
      // The packages' settings and drives stay inside the test's folder.
      : config_("XDG_CONFIG_HOME", temp / "config"), wine_("WINEPREFIX", temp / "wine") {
    window = std::make_unique<host::MainWindow>(
        [this](const std::string& message) { errors.push_back(message); });
  }
  ~BackupPackageTest() override { window.reset(); }

  QMenu* FileMenu() { return window->menuBar()->findChild<QMenu*>("FileMenu"); }
  std::vector<std::string> FileItems() {
    std::vector<std::string> names;
    for (QAction* action : FileMenu()->actions())
      if (!action->isSeparator()) names.push_back(action->objectName().toStdString());
    return names;
  }
  std::string Description(const std::string& path) {
    for (const host::Package* package : window->loader().packages())
      if (package->path() == path) return package->description();
    return "<not loaded>";
  }

  ScopedTempDir temp;
  std::vector<std::string> errors;
  std::unique_ptr<host::MainWindow> window;

 private:
  ScopedEnv config_;
  ScopedEnv wine_;
};

TEST_F(BackupPackageTest, RegistersAndHooksItsItemAfterSaveAll) {
  const std::string path = PackagePath("ZkProjectBackupExpert");
  ASSERT_TRUE(window->loader().LoadPackage(path)) << testing::PrintToString(errors);
  EXPECT_EQ(FileItems(), (std::vector<std::string>{"FileOpenProjectItem", "FileSaveItem",
                                                   "FileSaveAllItem", "FileBackupProject",
                                                   "FileCloseItem", "FileExitItem"}));
  auto* item = FileMenu()->findChild<QAction*>("FileBackupProject");
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), "&Backup Project");
  EXPECT_EQ(item->statusTip(), "Quorvin's Project Backup Utility");
  EXPECT_TRUE(item->isEnabled());
  EXPECT_TRUE(item->isVisible());
  EXPECT_EQ(Description(path),
            "Delphi Project Backup Expert (D4 rev 1.0) - Copyright (c) 1998 Quorvin");
  ASSERT_EQ(window->loader().experts().size(), 1u);
  ide::TIExpert* expert = window->loader().experts()[0].expert;
  EXPECT_EQ(expert->GetIDString(), "ZkProjectBackup.Expert");
  EXPECT_EQ(window->ExpertAction(expert), nullptr) << "an add-in expert gets no host item";

  ASSERT_TRUE(window->loader().UnloadPackage(path));
  EXPECT_EQ(FileMenu()->findChild<QAction*>("FileBackupProject"), nullptr);
  EXPECT_EQ(FileItems().size(), 5u);
  EXPECT_TRUE(errors.empty()) << testing::PrintToString(errors);
}

TEST_F(BackupPackageTest, BothBuildsTogetherMakeOneItem) {
  const std::string d3 = PackagePath("ZkProjectBackupExpertD3");
  const std::string d4 = PackagePath("ZkProjectBackupExpert");
  ASSERT_TRUE(window->loader().LoadPackage(d3));
  ASSERT_TRUE(window->loader().LoadPackage(d4));
  EXPECT_EQ(Description(d3),
            "Delphi Project Backup Expert (D3 rev 1.0) - Copyright (c) 1998 Quorvin");
  EXPECT_EQ(window->loader().experts().size(), 2u) << "the second expert registers all the same";
  const std::vector<std::string> items = FileItems();
  EXPECT_EQ(std::count(items.begin(), items.end(), "FileBackupProject"), 1);

  // The item belongs to the build that made it.
  ASSERT_TRUE(window->loader().UnloadPackage(d4));
  EXPECT_NE(FileMenu()->findChild<QAction*>("FileBackupProject"), nullptr);
  ASSERT_TRUE(window->loader().UnloadPackage(d3));
  EXPECT_EQ(FileMenu()->findChild<QAction*>("FileBackupProject"), nullptr);
  EXPECT_TRUE(errors.empty()) << testing::PrintToString(errors);
}

TEST_F(BackupPackageTest, MenuCommandOpensTheDialogForTheOpenProject) {
  const std::string project = temp.Write("work/Demo.dpr",
                                         "program Demo;\r\nuses\r\n  Forms,\r\n"
                                         "  Main in 'Main.pas';\r\nbegin\r\nend.\r\n");
  temp.Write("work/Main.pas", "unit Main;\r\ninterface\r\nimplementation\r\nend.\r\n");
  ASSERT_TRUE(window->OpenProject(project));
  ASSERT_TRUE(window->loader().LoadPackage(PackagePath("ZkProjectBackupExpertD3")));

  std::string shown, title;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle().toStdString();
    shown = dialog->findChild<QLabel*>("lblSourceProject")->text().toStdString();
    dialog->close();
  });
  FileMenu()->findChild<QAction*>("FileBackupProject")->trigger();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

  EXPECT_EQ(shown, window->project().ProjectFile());
  EXPECT_EQ(title, "Delphi Project Backup Expert - Copyright (c) 1998 Quorvin");
  ASSERT_TRUE(window->loader().UnloadPackage(PackagePath("ZkProjectBackupExpertD3")));
  EXPECT_TRUE(errors.empty()) << testing::PrintToString(errors);
  // This host installs no hint filter of its own; the one the dialog brought went with the
  // package's code.
  EXPECT_EQ(QCoreApplication::instance()->findChild<QObject*>("zkHintFilter"), nullptr);
  QWidget probe;
  probe.setToolTip("still alive");
  QHelpEvent help(QEvent::ToolTip, QPoint(1, 1), QPoint(1, 1));
  QApplication::sendEvent(&probe, &help);
}

}  // namespace
}  // namespace zk::test
