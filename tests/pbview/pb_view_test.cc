// The backup dialog's widgets over a real core: layout, captions, how the widgets follow the core
// and how the user's actions reach it.

#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTest>
#include <QTextBlock>

#include <memory>

#include "ide/application.h"
#include "projectbackup/pb_view.h"
#include "tests/projectbackup/pb_fixture.h"

namespace zk::pb::test {
namespace {

using form::ModalResult;

class BackupViewTest : public BackupDialogTest {
 protected:
  void ShowView() {
    core = Open();
    view = std::make_unique<TfrmProjectBackupView>(*core);
    view->show();
    QCoreApplication::processEvents();
  }

  // Lets the lists lay out what changed, as the event loop would before anything is painted.
  static void Settle() { QCoreApplication::processEvents(); }

  template <class T = QWidget>
  T* Find(const std::string& name) {
    T* widget = view->findChild<T*>(QString::fromStdString(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Where a widget lies on the form's client area. A splitter handle is only its contents: Qt
  // widens thin handles by an invisible grab margin.
  QRect InForm(const QWidget* widget) const {
    const QRect inner = qobject_cast<const QSplitterHandle*>(widget) ? widget->contentsRect()
                                                                     : widget->rect();
    return QRect(widget->mapTo(view.get(), inner.topLeft()), inner.size());
  }
  QListView* Units() { return Find<QListView>("lbStockUnits"); }
  QListView* ExtraFiles() { return Find<QListView>("lbExtraFiles"); }

  // Declared first, freed last: the view refers to the core.
  std::unique_ptr<TfrmProjectBackup> core;
  std::unique_ptr<TfrmProjectBackupView> view;
};

TEST_F(BackupViewTest, FormIsFixedAtItsDesignSize) {
  ShowView();
  EXPECT_EQ(view->size(), QSize(632, 453));
  EXPECT_EQ(view->minimumSize(), QSize(632, 453));
  EXPECT_EQ(view->maximumSize(), QSize(632, 453));
  EXPECT_FALSE(view->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(view->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_EQ(view->windowTitle().toStdString(),
            std::string("Delphi Project Backup Expert - ") + kMakerNotice);
  EXPECT_FALSE(view->windowIcon().isNull());
  EXPECT_EQ(view->windowIcon().availableSizes().value(0), QSize(32, 32));
}

TEST_F(BackupViewTest, EveryComponentStandsWhereTheFormPlacesIt) {
  ShowView();
  struct Place {
    const char* name;
    QRect rect;
  };
  for (const Place& p : std::vector<Place>{{"Panel1", {0, 0, 632, 117}},
                                           {"StatusMemo", {0, 117, 305, 336}},
                                           {"Splitter1", {305, 117, 3, 336}},
                                           {"lbStockUnits", {308, 117, 200, 336}},
                                           {"Splitter2", {508, 117, 3, 336}},
                                           {"lbExtraFiles", {511, 117, 121, 336}},
                                           {"btnSource", {9, 6, 106, 25}},
                                           {"btnTarget", {9, 32, 106, 25}},
                                           {"btnLogFile", {9, 58, 106, 25}},
                                           {"btnBackup", {9, 84, 106, 25}},
                                           {"btnExit", {126, 84, 79, 25}},
                                           {"btnClear", {214, 84, 79, 25}},
                                           {"Image1", {585, 8, 38, 56}}}) {
    QWidget* widget = Find(p.name);
    if (widget) {
      EXPECT_EQ(InForm(widget), p.rect) << p.name;
    }
  }
}

TEST_F(BackupViewTest, LabelsSizeToTheirTexts) {
  ShowView();
  // Green labels take exactly their text's width; the captions take at least their design
  // width; the address keeps its right edge under the picture.
  struct Place {
    const char* name;
    QPoint at;
  };
  for (const Place& p : std::vector<Place>{{"lblSourceProject", {126, 12}},
                                           {"lblTargetPath", {126, 38}},
                                           {"lblLogFile", {126, 64}}}) {
    auto* label = Find<QLabel>(p.name);
    if (!label) continue;
    EXPECT_EQ(InForm(label).topLeft(), p.at) << p.name;
    EXPECT_EQ(label->height(), std::max(13, label->fontMetrics().height())) << p.name;
    EXPECT_EQ(label->width(), label->sizeHint().width()) << p.name;
    EXPECT_GT(label->width(), 100) << p.name;
  }
  auto* last = Find<QLabel>("lblLastBackup");
  EXPECT_EQ(InForm(last), QRect(425, 83, 200, std::max(13, last->fontMetrics().height())));
  EXPECT_EQ(last->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  auto* label2 = Find<QLabel>("Label2");
  EXPECT_EQ(InForm(label2).topLeft(), QPoint(310, 99));
  EXPECT_GE(label2->width(), std::max(177, label2->sizeHint().width()));
  auto* label1 = Find<QLabel>("Label1");
  EXPECT_EQ(InForm(label1).topLeft(), QPoint(513, 99));
  EXPECT_GE(label1->width(), std::max(96, label1->sizeHint().width()));
  auto* url = Find<QLabel>("lblURL");
  EXPECT_EQ(InForm(url).right(), 539 + 84 - 1);
  EXPECT_EQ(InForm(url).top(), 67);
  EXPECT_GE(url->width(), std::max(84, url->sizeHint().width()));

  // A longer project path widens its label at once.
  const int before = Find<QLabel>("lblSourceProject")->width();
  core->SetSourceProject(Project("a/much/longer/folder/name/than/before", "Demo"));
  EXPECT_GT(Find<QLabel>("lblSourceProject")->width(), before);
}

TEST_F(BackupViewTest, CaptionsAndHintsComeFromTheForm) {
  ShowView();
  struct Text {
    const char* name;
    const char* caption;
    const char* hint;
  };
  for (const Text& t : std::vector<Text>{
           {"btnSource", "1: &Source Project",
            "First, select the Delphi project (DPR) to be backed up"},
           {"btnTarget", "2: &Target Path",
            "Second, select the destination folder for the backup fileset"},
           {"btnLogFile", "Select &Log File",
            "Click this to change the filename or destination folder for the backup log"},
           {"btnBackup", "3: &Back It Up!", ""},
           {"btnExit", "E&xit", "Close the Project Backup Expert and return to the IDE"},
           {"btnClear", "&Clear", "Clear all project backup settings"}}) {
    auto* button = Find<QPushButton>(t.name);
    if (!button) continue;
    EXPECT_EQ(button->text().toStdString(), t.caption) << t.name;
    EXPECT_EQ(button->toolTip().toStdString(), t.hint) << t.name;
  }
  EXPECT_EQ(Find<QLabel>("lblSourceProject")->text().toStdString(), kNoProject);
  EXPECT_EQ(Find<QLabel>("lblTargetPath")->text().toStdString(), kNoTarget);
  EXPECT_EQ(Find<QLabel>("lblLogFile")->text().toStdString(), kNoLogFile);
  EXPECT_EQ(Find<QLabel>("lblLastBackup")->text().toStdString(), "");
  EXPECT_EQ(Find<QLabel>("Label2")->text().toStdString(), "&Units to be excluded from the backup");
  EXPECT_EQ(Find<QLabel>("Label1")->text().toStdString(), "&Extra files to backup");
  EXPECT_EQ(Find<QLabel>("lblURL")->text().toStdString(), kMakerUrl);
  EXPECT_EQ(Find<QLabel>("Label2")->buddy(), Units());
  EXPECT_EQ(Find<QLabel>("Label1")->buddy(), ExtraFiles());
  EXPECT_EQ(Units()->toolTip().toStdString(),
            "Units listed here will be excluded from backups performed\n"
            "during this session. Click this listbox, then press INSERT\n"
            "or DELETE to exclude/include other units as necessary.");
  EXPECT_EQ(ExtraFiles()->toolTip().toStdString(),
            "Any files listed here will be included in backups performed\n"
            "during this session. Click this listbox, then press INSERT\n"
            "or DELETE to add or remove files as necessary.");
}

TEST_F(BackupViewTest, FontsAndColoursSetTheLabelsApart) {
  ShowView();
  EXPECT_TRUE(Find("btnBackup")->font().bold());
  EXPECT_FALSE(Find("btnSource")->font().bold());
  EXPECT_EQ(view->font().pointSize(), 8);
  for (const char* name : {"lblSourceProject", "lblTargetPath", "lblLogFile"}) {
    QWidget* label = Find(name);
    EXPECT_TRUE(label->font().bold()) << name;
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 128, 0)) << name;
  }
  QWidget* url = Find("lblURL");
  EXPECT_TRUE(url->font().underline());
  EXPECT_EQ(url->palette().color(QPalette::WindowText), QColor(0, 0, 255));
}

TEST_F(BackupViewTest, KeyboardOrderRunsThroughButtonsThenTheLists) {
  ShowView();
  const std::vector<std::string> expected = {"btnSource",    "btnTarget", "btnLogFile",
                                             "btnBackup",    "btnExit",   "btnClear",
                                             "lbStockUnits", "StatusMemo", "lbExtraFiles"};
  std::vector<std::string> order;
  QWidget* start = Find("btnSource");
  QWidget* widget = start;
  do {
    if ((widget->focusPolicy() & Qt::TabFocus) && widget->window() == view.get() &&
        !widget->objectName().isEmpty() && widget->parentWidget() != nullptr &&
        std::find(expected.begin(), expected.end(), widget->objectName().toStdString()) !=
            expected.end())
      order.push_back(widget->objectName().toStdString());
    widget = widget->nextInFocusChain();
  } while (widget != start && order.size() < 20);
  EXPECT_EQ(order, expected);
  EXPECT_EQ(Find("Panel1")->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(Find("lblSourceProject")->focusPolicy(), Qt::NoFocus);
}

TEST_F(BackupViewTest, BackupButtonFollowsTheRule) {
  ShowView();
  auto* backup = Find<QPushButton>("btnBackup");
  EXPECT_FALSE(backup->isEnabled());
  core->SetSourceProject(Project("proj", "Demo"));
  EXPECT_FALSE(backup->isEnabled()) << "a project alone is not enough";

  prompts.directory_answers.push_back(temp.dir() + "backup");
  QTest::mouseClick(Find("btnTarget"), Qt::LeftButton);
  EXPECT_TRUE(backup->isEnabled());
  EXPECT_EQ(Find<QLabel>("lblTargetPath")->text().toStdString(), temp.dir() + "backup/");

  prompts.message_answers.push_back(ModalResult::OK);
  QTest::mouseClick(Find("btnClear"), Qt::LeftButton);
  EXPECT_FALSE(backup->isEnabled());
  EXPECT_EQ(Find<QLabel>("lblSourceProject")->text().toStdString(), kNoProject);
}

TEST_F(BackupViewTest, DoubleClickOnAGreenLabelDoesWhatItsButtonDoes) {
  ShowView();
  const std::string project = Project("proj", "Demo");
  const std::string log = temp.dir() + "logs/demo.log";
  struct Case {
    const char* label;
    std::function<void()> script;
    std::string shows;
  };
  for (const Case& c : std::vector<Case>{
           {"lblSourceProject", [&] { prompts.open_answers.push_back({{project}}); }, project},
           {"lblTargetPath",
            [&] { prompts.directory_answers.push_back(temp.dir() + "out"); },
            temp.dir() + "out/"},
           {"lblLogFile", [&] { prompts.open_answers.push_back({{log}}); }, log}}) {
    c.script();
    QTest::mouseDClick(Find(c.label), Qt::LeftButton);
    EXPECT_EQ(Find<QLabel>(c.label)->text().toStdString(), c.shows) << c.label;
  }
  ASSERT_EQ(prompts.open_dialogs.size(), 2u);
  EXPECT_EQ(prompts.open_dialogs[0].filter, "Project files (*.dpr)|*.dpr");
  EXPECT_EQ(prompts.open_dialogs[1].default_ext, "log");
  EXPECT_EQ(prompts.directory_requests.size(), 1u);
  EXPECT_EQ(core->SourceProject(), project);
  EXPECT_TRUE(Find("btnBackup")->isEnabled());
}

TEST_F(BackupViewTest, DoubleClickOnAddressOrPictureOpensTheMakersPage) {
  ShowView();
  QTest::mouseDClick(Find("lblURL"), Qt::LeftButton);
  QTest::mouseDClick(Find("Image1"), Qt::LeftButton);
  EXPECT_EQ(prompts.opened_urls,
            (std::vector<std::string>{kMakerAddInsUrl, kMakerAddInsUrl}));
  // A single click is no double-click.
  QTest::mouseClick(Find("lblURL"), Qt::LeftButton);
  EXPECT_EQ(prompts.opened_urls.size(), 2u);
}

TEST_F(BackupViewTest, InsertAndDeleteInTheUnitsListReachTheCore) {
  ShowView();
  QListView* units = Units();
  prompts.open_answers.push_back({{"/lib/MyUtils.pas", "/lib/Other.dcu"}});
  units->setFocus();
  QTest::keyClick(units, Qt::Key_Insert, Qt::ShiftModifier);
  ASSERT_EQ(prompts.open_dialogs.size(), 1u);
  EXPECT_EQ(prompts.open_dialogs[0].filter, "Delphi units (*.pas;*.dcu)|*.pas;*.dcu");
  EXPECT_TRUE(core->SettingsChanged);
  ASSERT_EQ(units->model()->rowCount(), 102);
  int my_utils = -1;
  for (int i = 0; i < units->model()->rowCount(); ++i)
    if (units->model()->index(i, 0).data().toString() == "MYUTILS") my_utils = i;
  ASSERT_GE(my_utils, 0);
  EXPECT_EQ(core->lbStockUnits.item(my_utils), "MYUTILS");

  // Selecting in the view selects in the core; Ctrl+Delete then removes that unit.
  units->selectionModel()->select(units->model()->index(my_utils, 0),
                                  QItemSelectionModel::ClearAndSelect);
  EXPECT_EQ(core->lbStockUnits.item_index(), my_utils);
  prompts.message_answers.push_back(ModalResult::OK);
  QTest::keyClick(units, Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(prompts.messages.size(), 1u);
  EXPECT_EQ(prompts.messages[0].text, "Remove MYUTILS from list of excluded units?");
  EXPECT_EQ(units->model()->rowCount(), 101);
  EXPECT_EQ(core->lbStockUnits.count(), 101);
  EXPECT_TRUE(units->selectionModel()->selectedRows().isEmpty());
}

TEST_F(BackupViewTest, ExtraFilesInsertWidensTheScrollRange) {
  ShowView();
  QListView* extra = ExtraFiles();
  const std::string path = "/data/" + std::string(120, 'x') + ".txt";
  prompts.open_answers.push_back({{path, "/data/b.txt"}});
  QTest::keyClick(extra, Qt::Key_Insert);
  Settle();
  ASSERT_EQ(extra->model()->rowCount(), 2);
  EXPECT_EQ(extra->model()->index(0, 0).data().toString().toStdString(), path);
  const int extent = core->lbExtraFiles.horizontal_extent();
  EXPECT_EQ(extent, static_cast<int>(path.size()) * prompts.char_width + 5);
  EXPECT_EQ(extra->horizontalScrollBar()->maximum(), extent - extra->viewport()->width());

  // Deleting does not shrink the range.
  extra->selectionModel()->select(extra->model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
  prompts.message_answers.push_back(ModalResult::OK);
  QTest::keyClick(extra, Qt::Key_Delete);
  Settle();
  EXPECT_EQ(extra->model()->rowCount(), 1);
  EXPECT_EQ(extra->horizontalScrollBar()->maximum(), extent - extra->viewport()->width());
}

TEST_F(BackupViewTest, UnitsNotInTheReferenceListAreRedAndAquaWhileSelected) {
  ShowView();
  // Sorts first, so it stands at the top of the first column.
  core->lbStockUnits.Add("AAEXTRA");
  Settle();
  QListView* units = Units();
  ASSERT_EQ(units->model()->index(0, 0).data().toString(), "AAEXTRA");
  const QRect added = units->visualRect(units->model()->index(0, 0));
  const QRect stock = units->visualRect(units->model()->index(1, 0));
  EXPECT_EQ(added.height(), 14);
  EXPECT_EQ(added.width(), units->viewport()->width() / 3);

  auto count = [&](const QRect& rect, auto match) {
    const QImage image = units->viewport()->grab().toImage();
    int n = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x) n += match(QColor(image.pixel(x, y)));
    return n;
  };
  auto red = [](const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; };
  auto aqua = [](const QColor& c) { return c.red() < 60 && c.green() > 200 && c.blue() > 200; };

  EXPECT_GT(count(added, red), 5);
  EXPECT_EQ(count(added, aqua), 0);
  EXPECT_EQ(count(stock, red), 0) << "a stock unit keeps the list's colour";

  core->lbStockUnits.SetItemIndex(0);
  Settle();
  EXPECT_EQ(units->selectionModel()->selectedRows().value(0).row(), 0);
  EXPECT_GT(count(added, aqua), 5);
  EXPECT_EQ(count(added, red), 0);
}

TEST_F(BackupViewTest, MemoFollowsTheLogLineByLine) {
  ShowView();
  auto* memo = Find<QPlainTextEdit>("StatusMemo");
  EXPECT_EQ(memo->lineWrapMode(), QPlainTextEdit::NoWrap);
  EXPECT_TRUE(memo->isReadOnly());
  EXPECT_EQ(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

  core->StatusMemo.Add("");
  core->StatusMemo.Add("two");
  core->StatusMemo.Add(std::string(400, '='));
  EXPECT_EQ(view->MemoText().toStdString(), "\ntwo\n" + std::string(400, '='));
  core->StatusMemo.RemoveLast(1);
  EXPECT_EQ(view->MemoText().toStdString(), "\ntwo");
  core->StatusMemo.RemoveLast(2);
  EXPECT_EQ(view->MemoText().toStdString(), "");
  core->StatusMemo.Add("first");
  EXPECT_EQ(view->MemoText().toStdString(), "first") << "no empty line before the first";
  core->StatusMemo.Clear();
  EXPECT_EQ(view->MemoText().toStdString(), "");
  EXPECT_EQ(memo->document()->blockCount(), 1);
  // Lines gathered while the run works reach the widget once the event loop runs.
  core->StatusMemo.Add("");
  core->StatusMemo.Add("");
  Settle();
  EXPECT_EQ(memo->toPlainText().toStdString(), "\n");
  core->StatusMemo.Clear();

  for (int i = 0; i < 300; ++i) core->StatusMemo.Add("line " + std::to_string(i));
  QCoreApplication::processEvents();
  EXPECT_EQ(memo->document()->blockCount(), 300);
  EXPECT_GT(memo->verticalScrollBar()->maximum(), 0);
  EXPECT_EQ(memo->verticalScrollBar()->value(), memo->verticalScrollBar()->maximum())
      << "the newest line is in view";

  core->StatusMemo.BeginUpdate();
  EXPECT_FALSE(memo->updatesEnabled());
  core->StatusMemo.Add("last");
  core->StatusMemo.EndUpdate();
  EXPECT_TRUE(memo->updatesEnabled());
  EXPECT_EQ(memo->document()->lastBlock().text(), "last") << "shown when updates resume";

  // A repaint the core asks for shows every line at once.
  core->StatusMemo.Clear();
  core->StatusMemo.Add("started");
  core->StatusMemo.Repaint();
  EXPECT_EQ(memo->toPlainText(), "started");
}

TEST_F(BackupViewTest, DisabledControlsAreDisabledOnScreen) {
  ShowView();
  core->SetSourceProject(Project("proj", "Demo"));
  core->SetTargetPath(temp.dir() + "out/");
  core->EnableBackupButton();
  const char* windowed[] = {"Panel1",     "btnSource", "btnTarget",    "btnLogFile",
                            "btnBackup",  "btnExit",   "btnClear",     "lbStockUnits",
                            "StatusMemo", "lbExtraFiles"};
  const QImage picture = Find("Image1")->grab().toImage();
  core->DisableControls();
  for (const char* name : windowed) EXPECT_FALSE(Find(name)->isEnabled()) << name;
  // Labels and the picture are no controls of their own: they keep their looks.
  EXPECT_EQ(Find("Image1")->grab().toImage(), picture);
  for (const char* name : {"lblSourceProject", "lblURL", "Label2", "lblLastBackup"}) {
    const QPalette palette = Find(name)->palette();
    EXPECT_EQ(palette.color(QPalette::Disabled, QPalette::WindowText),
              palette.color(QPalette::Active, QPalette::WindowText))
        << name;
  }
  core->EnableControls();
  for (const char* name : windowed) EXPECT_TRUE(Find(name)->isEnabled()) << name;
}

TEST_F(BackupViewTest, ExitAndCloseBoxEndTheDialogThroughFormClose) {
  for (bool close_box : {false, true}) {
    ShowView();
    ASSERT_GT(core->StockUnits.Count(), 0);
    if (close_box)
      view->close();
    else
      QTest::mouseClick(Find("btnExit"), Qt::LeftButton);
    EXPECT_FALSE(view->isVisible()) << close_box;
    EXPECT_EQ(view->result(), QDialog::Rejected);
    EXPECT_EQ(core->StockUnits.Count(), 0) << "FormClose freed the lists";
    EXPECT_EQ(core->close_requested(), !close_box);
    view.reset();
  }
}

TEST_F(BackupViewTest, EscapeDoesNotCloseTheDialog) {
  ShowView();
  QTest::keyClick(view.get(), Qt::Key_Escape);
  EXPECT_TRUE(view->isVisible());
}

TEST_F(BackupViewTest, OpeningSetsTheHintPauseAndLeavesItSet) {
  ide::SetHintHidePause(ide::kDefaultHintHidePause);
  ShowView();
  EXPECT_EQ(ide::HintHidePause(), 5000);
  // Tooltips keep to that pause through the host's hint filter.
  EXPECT_NE(QCoreApplication::instance()->findChild<QObject*>("zkHintFilter"), nullptr);
  view.reset();
  EXPECT_EQ(ide::HintHidePause(), 5000);
}

TEST_F(BackupViewTest, SplitterOneMovesTheUnitsListWithTheMemo) {
  ShowView();
  auto* splitter = Find<QSplitter>("ClientArea");
  ASSERT_EQ(splitter->sizes(), (QList<int>{305, 200, 121}));
  QWidget* handle = Find("Splitter1");
  EXPECT_EQ(handle->cursor().shape(), Qt::SplitHCursor);
  auto drag = [](QWidget* grip, int dx) {
    QTest::mousePress(grip, Qt::LeftButton, {}, QPoint(2, 100));
    QTest::mouseMove(grip, QPoint(2 + dx, 100));
    QTest::mouseRelease(grip, Qt::LeftButton, {}, QPoint(2 + dx, 100));
  };
  // Dragging the first handle right widens the memo; the units list keeps its width and the
  // extra files give way.
  drag(handle, 40);
  QList<int> sizes = splitter->sizes();
  EXPECT_NEAR(sizes[0], 345, 1);
  EXPECT_EQ(sizes[1], 200);
  EXPECT_EQ(sizes[0] + sizes[1] + sizes[2], 626);
  // The second handle trades between the units list and the extra files.
  const int memo = sizes[0];
  drag(Find("Splitter2"), -20);
  sizes = splitter->sizes();
  EXPECT_EQ(sizes[0], memo);
  EXPECT_NEAR(sizes[1], 180, 1);
  EXPECT_EQ(sizes[0] + sizes[1] + sizes[2], 626);
  // The extra files keep a minimum width, however far the memo is dragged.
  drag(handle, 400);
  sizes = splitter->sizes();
  EXPECT_EQ(sizes[2], 30);
  EXPECT_EQ(sizes[0] + sizes[1] + sizes[2], 626);
}

// The run looks for units along the project's search path, whose relative entries mean the
// project's folder; the host's current folder is back as it was afterwards.
TEST_F(BackupViewTest, BackupRunsInTheProjectsFolderAndComesBack) {
  const std::string project = temp.Write(
      "proj/Demo.dpr", "program Demo;\r\nuses\r\n  Forms,\r\n  Main in 'Main.pas';\r\nbegin\r\nend.\r\n");
  temp.Write("proj/Demo.dof", "[Directories]\r\nSearchPath=lib\r\n");
  temp.Write("proj/Main.pas", "unit Main;\r\ninterface\r\nuses Helper;\r\nimplementation\r\nend.\r\n");
  temp.Write("proj/lib/Helper.pas", "unit Helper;\r\ninterface\r\nimplementation\r\nend.\r\n");
  std::filesystem::create_directories(temp.path() / "elsewhere");
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(temp.path() / "elsewhere");

  ShowView();
  core->SetSourceProject(project);
  core->SetTargetPath(temp.dir() + "out/");
  core->EnableBackupButton();
  prompts.message_answers.push_back(ModalResult::OK);
  QTest::mouseClick(Find("btnBackup"), Qt::LeftButton);
  const std::filesystem::path after = std::filesystem::current_path();
  std::filesystem::current_path(saved);

  EXPECT_TRUE(std::filesystem::exists(temp.path() / "out/Helper.pas"));
  EXPECT_EQ(after, temp.path() / "elsewhere");
  ASSERT_FALSE(prompts.messages.empty());
  EXPECT_EQ(prompts.messages.back().text, "Backup completed successfully!");
  EXPECT_TRUE(Find("btnSource")->isEnabled()) << "the dialog is usable again";
  EXPECT_TRUE(view->MemoText().startsWith("BACKUP STARTED AT "));
}

TEST_F(BackupViewTest, ViewShowsTheStateTheCoreHadBeforeIt) {
  core = Open();
  core->SetSourceProject(Project("proj", "Demo"));
  core->StatusMemo.Add("earlier");
  core->lbExtraFiles.Add("/data/a.txt");
  view = std::make_unique<TfrmProjectBackupView>(*core);
  EXPECT_EQ(Find<QLabel>("lblSourceProject")->text().toStdString(), core->SourceProject());
  EXPECT_EQ(Find<QPlainTextEdit>("StatusMemo")->toPlainText(), "earlier");
  EXPECT_EQ(ExtraFiles()->model()->rowCount(), 1);
  // Once the view is gone the core runs on without it.
  view.reset();
  core->StatusMemo.Add("later");
  core->lbExtraFiles.Add("/data/b.txt");
  EXPECT_EQ(core->StatusMemo.count(), 2);
}

}  // namespace
}  // namespace zk::pb::test
