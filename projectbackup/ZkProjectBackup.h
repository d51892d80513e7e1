#pragma once
// The backup expert: an add-in expert that hooks "&Backup Project" into the host's File menu,
// right after Save All, and opens the backup dialog for the project open in the host.

#include <functional>
#include <string>

#include "ide/expt_intf.h"
#include "ide/tool_intf.h"

namespace zk::pb {

class TZkProjectBackupExpert : public ide::TIExpert {
 public:
  // Inserts the menu item through ToolServices. Raises ide::Exception when the host's menu has
  // no place for it; every interface obtained is freed either way.
  TZkProjectBackupExpert();
  // Takes the item out of the menu, so that no item is left calling a freed expert.
  ~TZkProjectBackupExpert() override;

  std::string GetName() override;
  std::string GetAuthor() override;
  std::string GetComment() override;
  std::string GetPage() override;
  ide::HBITMAP GetGlyph() override;
  int GetStyle() override;
  int GetState() override;
  std::string GetIDString() override;
  std::string GetMenuText() override;
  void Execute() override;

  // The click handler of the inserted item; the sender is not used.
  void MenuClick(ide::TIMenuItemIntf* sender);

  // The item this expert inserted, or null when the menu held one already.
  ide::TIMenuItemIntf* MenuItem = nullptr;

  // What MenuClick opens for the project found; the dialog unless a test puts its own here.
  std::function<void(const std::string& project)> DisplayDialog;
};

}  // namespace zk::pb
