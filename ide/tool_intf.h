#pragma once
// The host's menu interfaces. Every interface obtained from them is the caller's to Free.

#include <functional>
#include <string>

#include "ide/virt_intf.h"

namespace zk::ide {

class TIMenuItemIntf;
// Called with the chosen item as sender.
using TIMenuClickEvent = std::function<void(TIMenuItemIntf* sender)>;

enum TIMenuFlag { mfInvalid = 0, mfEnabled = 2, mfVisible = 4, mfChecked = 8, mfBreak = 16,
                  mfBarBreak = 32, mfRadioItem = 64 };

class TIMenuItemIntf : public TInterface {
 public:
  virtual std::string GetName() = 0;
  virtual std::string GetCaption() = 0;
  virtual int GetIndex() = 0;
  virtual int GetItemCount() = 0;
  virtual TIMenuItemIntf* GetItem(int index) = 0;
  // The menu holding the item, or null.
  virtual TIMenuItemIntf* GetParent() = 0;
  // Inserts a new item at `index` of this menu and returns it.
  virtual TIMenuItemIntf* InsertItem(int index, const std::string& caption, const std::string& name,
                                     const std::string& hint, int short_cut, int context,
                                     int group_index, int flags, TIMenuClickEvent on_click) = 0;
  // Takes the item out of its menu and drops its click handler. False when it is gone already.
  virtual bool DestroyMenuItem() = 0;
  // Chooses the item as the user would (for scripts and checks). False when it is gone.
  virtual bool Click() = 0;
};

class TIMainMenuIntf : public TInterface {
 public:
  // The menu bar as a menu item holding the top-level menus.
  virtual TIMenuItemIntf* GetMenuItems() = 0;
  // The item of that name at any depth, or null.
  virtual TIMenuItemIntf* FindMenuItem(const std::string& name) = 0;
};

}  // namespace zk::ide
