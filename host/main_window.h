#pragma once
// The substitute IDE's main window: the main menu, the open project and the installed packages.

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "host/package_loader.h"
#include "host/project_units.h"

class QAction;
class QListWidget;
class QMenu;

namespace zk::host {

class HostToolServices;
class MenuModel;
class ToolServicesInstallation;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  using ErrorReporter = std::function<void(const std::string& message)>;

  // Without `report_error` errors go to message boxes, the host's default error reporting.
  explicit MainWindow(ErrorReporter report_error = {}, QWidget* parent = nullptr);
  // Frees every expert and closes the packages while the menus still exist.
  ~MainWindow() override;

  PackageLoader& loader() { return *loader_; }
  MenuModel& menus() { return *menus_; }
  const ProjectUnits& project() const { return project_; }

  // Opens the project and makes its folder the current folder; errors are reported.
  bool OpenProject(const std::string& path);
  void CloseProject();

  // The Help menu item the host made for a standard expert, or null.
  QAction* ExpertAction(const ide::TIExpert* expert) const;
  QMenu* help_menu() const { return help_menu_; }

  void ReportError(const std::string& message);

 private:
  void BuildMenus();
  QAction* AddAction(QMenu* menu, const char* name, const QString& caption,
                     const QKeySequence& keys, void (MainWindow::*slot)());
  void ChooseProject();
  void Save();
  void Close();
  void Exit();
  void ShowPackages();
  void ShowAbout();
  void RefreshExpertStates();
  void AddExpertItem(const RegisteredExpert& entry);
  void RemoveExpertItem(const RegisteredExpert& entry);
  void Execute(ide::TIExpert* expert);
  void ShowProject();

  ErrorReporter report_error_;
  ProjectUnits project_;
  MenuModel* menus_ = nullptr;
  QMenu* help_menu_ = nullptr;
  QAction* help_separator_ = nullptr;
  QListWidget* files_view_ = nullptr;
  std::unique_ptr<HostToolServices> services_;
  std::unique_ptr<ToolServicesInstallation> installation_;
  std::unique_ptr<PackageLoader> loader_;
  std::map<const ide::TIExpert*, QPointer<QAction>> expert_actions_;
};

}  // namespace zk::host
