// The built links package, loaded the way the host loads it: dlopen, Register, the expert's
// answers, its menu command run against a real program folder, unloading, and its item in the
// host's menu.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>

#include "host/main_window.h"
#include "host/package_loader.h"
#include "ide/application.h"
#include "tests/links/link_test_support.h"

namespace zk::links {
namespace {

constexpr const char* kPackagePath = ZK_LINKS_PACKAGE;

// Takes the URLs the package hands to the desktop instead of starting a browser.
class UrlRecorder : public QObject {
  Q_OBJECT

 public:
  UrlRecorder() {
    QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open");
  }
  ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
  QList<QUrl> urls;

 public slots:
  void Open(const QUrl& url) { urls << url; }
};

// Acts on the links dialog once its modal loop runs.
void WhenDialogShows(std::function<void(QDialog&)> act) {
  auto* poll = new QTimer();
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<QDialog*>(widget);
      if (dialog && dialog->objectName() == "LinkForm" && dialog->isVisible()) {
        poll->stop();
        poll->deleteLater();
        act(*dialog);
        return;
      }
    }
  });
  poll->start(10);
}

class LinksPackageTest : public test::LinkFolderTest {
 protected:
  void SetUp() override {
    // The package fixes its link file's place from the program folder when it is loaded.
    test::LinkFolderTest::SetUp();
    ide::SetHintHidePause(1234);
    host::PackageLoader::Hooks hooks;
    hooks.report_error = [this](const std::string& message) { errors_.push_back(message); };
    loader_ = std::make_unique<host::PackageLoader>(std::move(hooks));
    ASSERT_TRUE(loader_->LoadPackage(kPackagePath)) << ::testing::PrintToString(errors_);
    ASSERT_EQ(loader_->experts().size(), 1u);
  }
  void TearDown() override {
    loader_.reset();
    ide::SetHintHidePause(ide::kDefaultHintHidePause);
    test::LinkFolderTest::TearDown();
  }
  ide::TIExpert& expert() { return *loader_->experts().front().expert; }

  std::unique_ptr<host::PackageLoader> loader_;
  std::vector<std::string> errors_;
};

TEST_F(LinksPackageTest, RegistersOneStandardExpertWithItsAnswers) {
  ide::TIExpert& e = expert();
  EXPECT_EQ(e.GetName(), "Quorvin Delphi Links Expert");
  EXPECT_EQ(e.GetAuthor(), "Quorvin");
  EXPECT_EQ(e.GetComment(), "Quorvin's Delphi Links expert");
  EXPECT_EQ(e.GetPage(), "");
  EXPECT_EQ(e.GetGlyph(), 0u);
  EXPECT_EQ(e.GetStyle(), 0);
  for (int call = 0; call < 3; ++call) EXPECT_EQ(e.GetState(), 1);
  EXPECT_EQ(e.GetIDString(), "QuorvinDelphiLinks.Expert");
  EXPECT_EQ(e.GetMenuText(), "Delphi &Links");

  const std::string description = loader_->packages().front()->description();
  EXPECT_TRUE(description.starts_with("Delphi Links Expert (D3 version 1.03) - ")) << description;
  EXPECT_NE(description.find("Quorvin"), std::string::npos) << description;
  EXPECT_TRUE(errors_.empty());
}

TEST_F(LinksPackageTest, ExecuteShowsTheDialogAndJumpOpensTheLinkAfterItClosed) {
  UrlRecorder browser;
  int pause_while_shown = 0;
  QString status;
  WhenDialogShows([&](QDialog& dialog) {
    pause_while_shown = ide::HintHidePause();
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lbLinks"));
    list->setCurrentRow(3);
    status = dialog.findChild<QStatusBar*>(QStringLiteral("Status"))->currentMessage();
    EXPECT_TRUE(browser.urls.isEmpty());
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnJump")), Qt::LeftButton);
  });
  expert().Execute();

  const std::string url = SplitLinkLine(DefaultLinkLines()[3]).url;
  EXPECT_EQ(status.toStdString(), url);
  EXPECT_EQ(browser.urls, QList<QUrl>{QUrl(QString::fromStdString(url))});
  EXPECT_EQ(pause_while_shown, 5000);
  EXPECT_EQ(ide::HintHidePause(), 1234);
  // The package's link file lies in the program folder it was loaded with.
  EXPECT_EQ(ReadLinkFile(), test::CrLfLines(DefaultLinkLines()));
}

TEST_F(LinksPackageTest, SecondCommandReadsTheFileAfreshAndEscOpensNothing) {
  UrlRecorder browser;
  WhenDialogShows([](QDialog& dialog) { dialog.reject(); });
  expert().Execute();
  WriteLinkFile(ReadLinkFile() + "Added|http://added.example.org/\r\n");

  int count = 0;
  QString last;
  WhenDialogShows([&](QDialog& dialog) {
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lbLinks"));
    count = list->count();
    last = list->item(count - 1)->text();
    QTest::keyClick(list, Qt::Key_Escape);
  });
  expert().Execute();
  EXPECT_EQ(count, 10);
  EXPECT_EQ(last, "Added");
  EXPECT_TRUE(browser.urls.isEmpty());
  EXPECT_EQ(ide::HintHidePause(), 1234);
}

TEST_F(LinksPackageTest, UnloadingFreesTheExpert) {
  EXPECT_TRUE(loader_->UnloadPackage(kPackagePath));
  EXPECT_TRUE(loader_->experts().empty());
  EXPECT_TRUE(loader_->packages().empty());
}

class LinksInTheHostTest : public test::LinkFolderTest {};

TEST_F(LinksInTheHostTest, HelpMenuItemOfTheHostOpensTheDialog) {
  std::vector<std::string> errors;
  host::MainWindow window([&](const std::string& message) { errors.push_back(message); });
  ASSERT_TRUE(window.loader().LoadPackage(kPackagePath)) << ::testing::PrintToString(errors);
  ASSERT_EQ(window.loader().experts().size(), 1u);
  QAction* item = window.ExpertAction(window.loader().experts().front().expert);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->text(), "Delphi &Links");
  EXPECT_TRUE(item->isEnabled());

  int shown = 0;
  WhenDialogShows([&](QDialog& dialog) {
    ++shown;
    dialog.reject();
  });
  item->trigger();
  EXPECT_EQ(shown, 1);
  EXPECT_TRUE(errors.empty()) << ::testing::PrintToString(errors);
}

}  // namespace
}  // namespace zk::links

#include "links_package_test.moc"
