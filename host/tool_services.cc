#include "host/tool_services.h"

#include "host/menu_intf.h"
#include "host/project_units.h"

namespace zk::host {

ide::TIMainMenuIntf* HostToolServices::GetMainMenu() { return menus_.NewMainMenu(); }

int HostToolServices::GetUnitCount() { return int(project_.files().size()); }

std::string HostToolServices::GetUnitName(int index) {
  const auto& files = project_.files();
  if (index < 0 || size_t(index) >= files.size()) return {};
  return files[size_t(index)];
}

ToolServicesInstallation::ToolServicesInstallation(ide::TIToolServices* services)
    : saved_(ide::ToolServices) {
  ide::ToolServices = services;
}

ToolServicesInstallation::~ToolServicesInstallation() { ide::ToolServices = saved_; }

}  // namespace zk::host
