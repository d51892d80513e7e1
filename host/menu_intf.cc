#include "host/menu_intf.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <exception>

namespace zk::host {

namespace {

QString Text(const std::string& text) { return QString::fromUtf8(text.data(), qsizetype(text.size())); }
std::string Bytes(const QString& text) { return text.toUtf8().toStdString(); }

// The actions an item holds: the menu bar's menus for the root, a submenu's items, else none.
QList<QAction*> ChildActions(QMenuBar* bar, QAction* action, bool root) {
  if (root) return bar ? bar->actions() : QList<QAction*>();
  if (action && action->menu<QMenu*>()) return action->menu<QMenu*>()->actions();
  return {};
}

class MenuItemIntf : public ide::TIMenuItemIntf {
 public:
  // `action` null: the menu bar itself.
  MenuItemIntf(MenuModel* model, QAction* action)
      : model_(model), action_(action), root_(action == nullptr) {}

  std::string GetName() override {
    if (root_) return model_ && model_->menu_bar() ? Bytes(model_->menu_bar()->objectName()) : "";
    return action_ ? Bytes(action_->objectName()) : "";
  }
  std::string GetCaption() override { return action_ ? Bytes(action_->text()) : ""; }

  int GetIndex() override {
    if (root_ || !action_ || !model_) return -1;
    if (QMenu* menu = model_->ParentMenu(action_)) return int(menu->actions().indexOf(action_));
    return model_->menu_bar() ? int(model_->menu_bar()->actions().indexOf(action_)) : -1;
  }

  int GetItemCount() override { return int(Children().size()); }

  ide::TIMenuItemIntf* GetItem(int index) override {
    QList<QAction*> children = Children();
    if (!model_ || index < 0 || index >= children.size()) return nullptr;
    return model_->NewItem(children[index]);
  }

  ide::TIMenuItemIntf* GetParent() override {
    if (root_ || !action_ || !model_) return nullptr;
    if (QMenu* menu = model_->ParentMenu(action_)) return model_->NewItem(menu->menuAction());
    if (model_->menu_bar() && model_->menu_bar()->actions().contains(action_))
      return new MenuItemIntf(model_, nullptr);
    return nullptr;
  }

  ide::TIMenuItemIntf* InsertItem(int index, const std::string& caption, const std::string& name,
                                  const std::string& hint, int short_cut, int /*context*/,
                                  int /*group_index*/, int flags,
                                  ide::TIMenuClickEvent on_click) override {
    if (!model_ || (!root_ && !action_)) return nullptr;
    QMenu* menu = nullptr;
    if (!root_) {
      menu = action_->menu<QMenu*>();
      if (menu == nullptr) {
        // Inserting into a plain item turns it into a submenu, as the old menus did.
        menu = new QMenu(qobject_cast<QWidget*>(action_->parent()));
        menu->setToolTipsVisible(true);
        action_->setMenu(menu);
      }
    }
    QAction* added =
        model_->Insert(menu, index, caption, name, hint, short_cut, flags, std::move(on_click));
    return added ? model_->NewItem(added) : nullptr;
  }

  bool DestroyMenuItem() override {
    if (root_ || !action_ || !model_) return false;
    model_->Destroy(action_);
    return true;
  }

  bool Click() override {
    if (root_ || !action_ || !action_->isEnabled()) return false;
    action_->trigger();
    return true;
  }

 private:
  QList<QAction*> Children() const {
    return model_ ? ChildActions(model_->menu_bar(), action_, root_) : QList<QAction*>();
  }

  QPointer<MenuModel> model_;
  QPointer<QAction> action_;
  bool root_;
};

class MainMenuIntf : public ide::TIMainMenuIntf {
 public:
  explicit MainMenuIntf(MenuModel* model) : model_(model) {}

  ide::TIMenuItemIntf* GetMenuItems() override {
    return model_ ? new MenuItemIntf(model_, nullptr) : nullptr;
  }
  ide::TIMenuItemIntf* FindMenuItem(const std::string& name) override {
    if (!model_) return nullptr;
    QAction* action = model_->FindAction(name);
    return action ? model_->NewItem(action) : nullptr;
  }

 private:
  QPointer<MenuModel> model_;
};

QAction* FindIn(const QList<QAction*>& actions, const QString& name) {
  for (QAction* action : actions) {
    if (action->objectName() == name) return action;
    if (QMenu* menu = action->menu<QMenu*>())
      if (QAction* found = FindIn(menu->actions(), name)) return found;
  }
  return nullptr;
}

QMenu* ParentIn(const QList<QAction*>& actions, QAction* wanted) {
  for (QAction* action : actions) {
    QMenu* menu = action->menu<QMenu*>();
    if (menu == nullptr) continue;
    if (menu->actions().contains(wanted)) return menu;
    if (QMenu* found = ParentIn(menu->actions(), wanted)) return found;
  }
  return nullptr;
}

}  // namespace

MenuModel::MenuModel(QMenuBar* menu_bar, ErrorReporter report_error, QObject* parent)
    : QObject(parent), menu_bar_(menu_bar), report_error_(std::move(report_error)) {}

MenuModel::~MenuModel() = default;

ide::TIMainMenuIntf* MenuModel::NewMainMenu() { return new MainMenuIntf(this); }
ide::TIMenuItemIntf* MenuModel::NewItem(QAction* action) {
  return action ? new MenuItemIntf(this, action) : nullptr;
}

QAction* MenuModel::FindAction(const std::string& name) const {
  if (!menu_bar_ || name.empty()) return nullptr;
  return FindIn(menu_bar_->actions(), Text(name));
}

QMenu* MenuModel::ParentMenu(QAction* action) const {
  if (!menu_bar_ || action == nullptr) return nullptr;
  return ParentIn(menu_bar_->actions(), action);
}

QAction* MenuModel::Insert(QMenu* menu, int index, const std::string& caption,
                           const std::string& name, const std::string& hint, int short_cut,
                           int flags, ide::TIMenuClickEvent on_click) {
  QWidget* container = menu ? static_cast<QWidget*>(menu) : menu_bar_.data();
  if (container == nullptr) return nullptr;
  auto* action = new QAction(Text(caption), container);
  action->setObjectName(Text(name));
  if (caption == "-") action->setSeparator(true);
  action->setStatusTip(Text(hint));
  action->setToolTip(hint.empty() ? action->text() : Text(hint));
  if (int key = QtKeyFromShortCut(short_cut)) action->setShortcut(QKeySequence(key));
  action->setEnabled(flags & ide::mfEnabled);
  action->setVisible(flags & ide::mfVisible);
  if (flags & ide::mfChecked) {
    action->setCheckable(true);
    action->setChecked(true);
  }

  QList<QAction*> siblings = container->actions();
  QAction* before = index >= 0 && index < siblings.size() ? siblings[index] : nullptr;
  container->insertAction(before, action);

  if (on_click) {
    handlers_[action] = Handler{std::move(on_click), CurrentPackage()};
    connect(action, &QAction::triggered, this, [this, action] { Fire(action); });
    connect(action, &QObject::destroyed, this, [this, action] { handlers_.erase(action); });
  }
  return action;
}

void MenuModel::Fire(QAction* action) {
  auto it = handlers_.find(action);
  if (it == handlers_.end()) return;
  // A copy, so the handler may destroy its own item while it runs.
  Handler handler = it->second;
  firing_.insert(action);
  ide::TIMenuItemIntf* sender = NewItem(action);
  std::string failure;
  try {
    PackageScope scope(handler.package);
    handler.on_click(sender);
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "unknown exception";
  }
  sender->Free();
  firing_.erase(action);
  if (!failure.empty() && report_error_) report_error_(failure);
}

void MenuModel::Destroy(QAction* action) {
  handlers_.erase(action);
  for (QObject* holder : action->associatedObjects())
    if (auto* widget = qobject_cast<QWidget*>(holder)) widget->removeAction(action);
  if (QMenu* submenu = action->menu<QMenu*>()) submenu->deleteLater();
  if (firing_.count(action) != 0)
    action->deleteLater();
  else
    delete action;
}

int MenuModel::DestroyItemsOf(PackageTag package) {
  std::vector<QAction*> owned;
  for (const auto& [action, handler] : handlers_)
    if (handler.package == package) owned.push_back(action);
  for (QAction* action : owned) Destroy(action);
  return int(owned.size());
}

int QtKeyFromShortCut(int short_cut) {
  const int vk = short_cut & 0xFF;
  int key = 0;
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
    key = vk;  // Qt uses the same codes for these
  } else if (vk >= 0x70 && vk <= 0x87) {
    key = Qt::Key_F1 + (vk - 0x70);
  } else {
    switch (vk) {
      case 0x08: key = Qt::Key_Backspace; break;
      case 0x09: key = Qt::Key_Tab; break;
      case 0x0D: key = Qt::Key_Return; break;
      case 0x1B: key = Qt::Key_Escape; break;
      case 0x20: key = Qt::Key_Space; break;
      case 0x21: key = Qt::Key_PageUp; break;
      case 0x22: key = Qt::Key_PageDown; break;
      case 0x23: key = Qt::Key_End; break;
      case 0x24: key = Qt::Key_Home; break;
      case 0x25: key = Qt::Key_Left; break;
      case 0x26: key = Qt::Key_Up; break;
      case 0x27: key = Qt::Key_Right; break;
      case 0x28: key = Qt::Key_Down; break;
      case 0x2D: key = Qt::Key_Insert; break;
      case 0x2E: key = Qt::Key_Delete; break;
      default: return 0;
    }
  }
  if (short_cut & 0x2000) key |= int(Qt::SHIFT);
  if (short_cut & 0x4000) key |= int(Qt::CTRL);
  if (short_cut & 0x8000) key |= int(Qt::ALT);
  return key;
}

}  // namespace zk::host
