#pragma once
// The host's tool services: the main menu and the files of the open project.

#include <string>

#include "ide/expt_intf.h"

namespace zk::host {

class MenuModel;
class ProjectUnits;

class HostToolServices : public ide::TIToolServices {
 public:
  HostToolServices(MenuModel& menus, const ProjectUnits& project)
      : menus_(menus), project_(project) {}

  ide::TIMainMenuIntf* GetMainMenu() override;
  int GetUnitCount() override;
  // Empty text for an index out of range.
  std::string GetUnitName(int index) override;

 private:
  MenuModel& menus_;
  const ProjectUnits& project_;
};

// Makes `services` the global ToolServices for as long as it lives.
class ToolServicesInstallation {
 public:
  explicit ToolServicesInstallation(ide::TIToolServices* services);
  ~ToolServicesInstallation();
  ToolServicesInstallation(const ToolServicesInstallation&) = delete;
  ToolServicesInstallation& operator=(const ToolServicesInstallation&) = delete;

 private:
  ide::TIToolServices* saved_;
};

}  // namespace zk::host
