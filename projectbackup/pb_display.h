#pragma once
// Opening the backup dialog from the host's menu.

#include <string>

namespace zk::pb {

// Shows the backup dialog modally for a project file (empty: none open) and returns when it is
// closed. The dialog is released once control is back in the event loop, also when showing it
// raised.
void DisplayProjectBackupDialog(const std::string& project);

}  // namespace zk::pb
