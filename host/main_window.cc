#include "host/main_window.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>

#include <filesystem>

#include "host/menu_intf.h"
#include "host/package_listing.h"
#include "host/tool_services.h"

namespace zk::host {

namespace {
QString Text(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
std::string Bytes(const QString& text) { return text.toUtf8().toStdString(); }
}  // namespace

MainWindow::MainWindow(ErrorReporter report_error, QWidget* parent)
    : QMainWindow(parent), report_error_(std::move(report_error)) {
  setObjectName("MainWindow");
  resize(640, 400);
  files_view_ = new QListWidget(this);
  files_view_->setObjectName("ProjectFiles");
  setCentralWidget(files_view_);
  statusBar();

  menus_ = new MenuModel(menuBar(), [this](const std::string& message) { ReportError(message); },
                         this);
  BuildMenus();
  ShowProject();

  services_ = std::make_unique<HostToolServices>(*menus_, project_);
  installation_ = std::make_unique<ToolServicesInstallation>(services_.get());
  PackageLoader::Hooks hooks;
  hooks.report_error = [this](const std::string& message) { ReportError(message); };
  hooks.expert_added = [this](const RegisteredExpert& entry) { AddExpertItem(entry); };
  hooks.expert_removing = [this](const RegisteredExpert& entry) { RemoveExpertItem(entry); };
  // Whatever a package left hooked into the menus must not outlive its code.
  hooks.package_closing = [this](PackageTag package) { menus_->DestroyItemsOf(package); };
  loader_ = std::make_unique<PackageLoader>(std::move(hooks));
}

MainWindow::~MainWindow() {
  loader_.reset();
  installation_.reset();
}

void MainWindow::ReportError(const std::string& message) {
  if (report_error_) {
    report_error_(message);
    return;
  }
  QMessageBox::critical(isVisible() ? this : nullptr, "zkide",
                        Text(message));
}

QAction* MainWindow::AddAction(QMenu* menu, const char* name, const QString& caption,
                               const QKeySequence& keys, void (MainWindow::*slot)()) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(name);
  action->setShortcut(keys);
  connect(action, &QAction::triggered, this, slot);
  return action;
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  file->setObjectName("FileMenu");
  file->menuAction()->setObjectName("FileMenu");
  file->setToolTipsVisible(true);
  AddAction(file, "FileOpenProjectItem", tr("&Open Project..."), QKeySequence(Qt::CTRL | Qt::Key_F11),
            &MainWindow::ChooseProject);
  file->addSeparator();
  AddAction(file, "FileSaveItem", tr("&Save"), QKeySequence::Save, &MainWindow::Save);
  AddAction(file, "FileSaveAllItem", tr("Save A&ll"), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_S),
            &MainWindow::Save);
  AddAction(file, "FileCloseItem", tr("&Close"), QKeySequence(), &MainWindow::Close);
  file->addSeparator();
  AddAction(file, "FileExitItem", tr("E&xit"), QKeySequence(Qt::ALT | Qt::Key_F4),
            &MainWindow::Exit);

  help_menu_ = menuBar()->addMenu(tr("&Help"));
  help_menu_->setObjectName("HelpMenu");
  help_menu_->menuAction()->setObjectName("HelpMenu");
  help_menu_->setToolTipsVisible(true);
  AddAction(help_menu_, "HelpPackagesItem", tr("Installed &Packages..."), QKeySequence(),
            &MainWindow::ShowPackages);
  AddAction(help_menu_, "HelpAboutItem", tr("&About zkide..."), QKeySequence(),
            &MainWindow::ShowAbout);
  // Standard experts' items go above this line.
  help_separator_ = help_menu_->insertSeparator(help_menu_->actions().first());
  connect(help_menu_, &QMenu::aboutToShow, this, &MainWindow::RefreshExpertStates);
}

void MainWindow::ShowProject() {
  files_view_->clear();
  for (const std::string& file : project_.files()) files_view_->addItem(Text(file));
  QString title = "zkide";
  if (project_.IsOpen())
    title += " - " + Text(std::filesystem::path(project_.ProjectFile()).stem().string());
  setWindowTitle(title);
}

bool MainWindow::OpenProject(const std::string& path) {
  std::string error;
  if (!project_.Open(path, error)) {
    ReportError(error);
    return false;
  }
  std::error_code ec;
  std::filesystem::current_path(project_.ProjectFolder(), ec);
  if (ec)
    ReportError("Cannot make " + project_.ProjectFolder() + " the current folder: " +
                ec.message());
  ShowProject();
  statusBar()->showMessage(tr("Opened %1").arg(Text(project_.ProjectFile())), 5000);
  return true;
}

void MainWindow::CloseProject() {
  project_.Close();
  ShowProject();
}

void MainWindow::ChooseProject() {
  QString start = Text(project_.ProjectFolder());
  QString file = QFileDialog::getOpenFileName(this, tr("Open Project"), start,
                                              tr("Delphi projects (*.dpr *.DPR);;All files (*)"));
  if (!file.isEmpty()) OpenProject(Bytes(file));
}

void MainWindow::Save() {
  // The substitute IDE has no editors, so nothing is ever modified.
  statusBar()->showMessage(tr("Nothing to save."), 3000);
}

void MainWindow::Close() { CloseProject(); }

void MainWindow::Exit() { close(); }

void MainWindow::ShowPackages() {
  std::string listing = FormatPackageList(*loader_);
  if (listing.empty()) listing = "No packages are installed.";
  QMessageBox::information(this, tr("Installed Packages"), Text(listing));
}

void MainWindow::ShowAbout() {
  QMessageBox::about(this, tr("About zkide"),
                     tr("zkide %1\nA small IDE host for design-time expert packages.")
                         .arg(QApplication::applicationVersion()));
}

QAction* MainWindow::ExpertAction(const ide::TIExpert* expert) const {
  auto it = expert_actions_.find(expert);
  return it == expert_actions_.end() ? nullptr : it->second.data();
}

void MainWindow::AddExpertItem(const RegisteredExpert& entry) {
  ide::TIExpert* expert = entry.expert;
  if (expert->GetStyle() != ide::esStandard) return;
  std::string caption = expert->GetMenuText();
  if (caption.empty()) return;
  auto* action = new QAction(Text(caption), help_menu_);
  action->setObjectName(Text(expert->GetIDString()));
  action->setStatusTip(Text(expert->GetComment()));
  action->setEnabled(expert->GetState() & ide::esEnabled);
  help_menu_->insertAction(help_separator_, action);
  connect(action, &QAction::triggered, this, [this, expert] { Execute(expert); });
  expert_actions_[expert] = action;
}

void MainWindow::RemoveExpertItem(const RegisteredExpert& entry) {
  auto it = expert_actions_.find(entry.expert);
  if (it == expert_actions_.end()) return;
  delete it->second.data();
  expert_actions_.erase(it);
}

void MainWindow::RefreshExpertStates() {
  for (const RegisteredExpert& entry : loader_->experts()) {
    QAction* action = ExpertAction(entry.expert);
    if (action == nullptr) continue;
    PackageScope scope(entry.package);
    try {
      int state = entry.expert->GetState();
      action->setEnabled(state & ide::esEnabled);
      action->setCheckable(state & ide::esChecked);
      action->setChecked(state & ide::esChecked);
    } catch (...) {
      // A state that cannot be read leaves the item as it was.
    }
  }
}

void MainWindow::Execute(ide::TIExpert* expert) {
  PackageTag package = nullptr;
  for (const RegisteredExpert& entry : loader_->experts())
    if (entry.expert == expert) package = entry.package;
  std::string failure;
  try {
    PackageScope scope(package);
    expert->Execute();
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "unknown exception";
  }
  if (!failure.empty()) ReportError(failure);
}

}  // namespace zk::host
