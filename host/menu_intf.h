#pragma once
// The host's menu interfaces over a Qt menu bar. Items are QActions whose object name is the item
// name; a submenu is its QMenu's menu action. Click handlers live here, beside the menu, tagged
// with the package that installed them, so a package's handlers can be dropped before its code
// goes away.

#include <QMenuBar>
#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <set>
#include <string>

#include "host/package_scope.h"
#include "ide/tool_intf.h"

class QAction;
class QMenu;

namespace zk::host {

class MenuModel : public QObject {
  Q_OBJECT

 public:
  using ErrorReporter = std::function<void(const std::string& message)>;

  // `report_error` shows what a click handler raised; the handler's item stays usable.
  MenuModel(QMenuBar* menu_bar, ErrorReporter report_error, QObject* parent = nullptr);
  ~MenuModel() override;

  QMenuBar* menu_bar() const { return menu_bar_; }

  // New interfaces (reference count 1) for the caller to Free.
  ide::TIMainMenuIntf* NewMainMenu();
  ide::TIMenuItemIntf* NewItem(QAction* action);

  // The action of that object name at any depth, or null.
  QAction* FindAction(const std::string& name) const;
  // The menu holding the action, or null. The menu bar's own menus have none.
  QMenu* ParentMenu(QAction* action) const;

  // The interfaces' InsertItem; `menu` null means the menu bar.
  QAction* Insert(QMenu* menu, int index, const std::string& caption, const std::string& name,
                  const std::string& hint, int short_cut, int flags,
                  ide::TIMenuClickEvent on_click);
  // Takes the action out of its menu, drops its handler and deletes it.
  void Destroy(QAction* action);
  // Removes every item whose handler the package installed. Returns how many.
  int DestroyItemsOf(PackageTag package);
  bool HasHandler(QAction* action) const { return handlers_.count(action) != 0; }

 private:
  struct Handler {
    ide::TIMenuClickEvent on_click;
    PackageTag package;
  };
  void Fire(QAction* action);

  QPointer<QMenuBar> menu_bar_;
  ErrorReporter report_error_;
  std::map<QAction*, Handler> handlers_;
  // Actions whose handler is running; deleting one of them waits for the event loop.
  std::set<QAction*> firing_;
};

// A VCL short cut (virtual key in the low byte, 0x2000 shift, 0x4000 ctrl, 0x8000 alt) as a Qt
// key combination; 0 for none or for keys without a Qt equivalent.
int QtKeyFromShortCut(int short_cut);

}  // namespace zk::host
