// An add-in expert that hooks its own item after FileSaveAllItem through the menu interfaces and
// takes it out again when it is destroyed. Built a second time without the clean-up, to show the
// host unhooks what a careless package leaves behind.

#include "ide/exception.h"
#include "tests/host/packages/test_expert.h"

namespace {

class AddInExpert : public zk::test::TestExpert {
 public:
  AddInExpert() : TestExpert("ZkTest.AddIn", "", zk::ide::esAddIn) {
    zk::ide::TIMainMenuIntf* main_menu = zk::ide::ToolServices->GetMainMenu();
    zk::ide::TIMenuItemIntf* save_all = main_menu->FindMenuItem("FileSaveAllItem");
    if (save_all == nullptr) {
      main_menu->Free();
      throw zk::ide::Exception("Cannot find FileSaveAllItem menu item");
    }
    zk::ide::TIMenuItemIntf* parent = save_all->GetParent();
    int index = save_all->GetIndex() + 1;
    if (parent != nullptr) {
      menu_item_ = parent->InsertItem(index, "&Test Add-in", "FileTestAddInItem", "Test hint", 0,
                                      0, 0, zk::ide::mfEnabled | zk::ide::mfVisible,
                                      [this](zk::ide::TIMenuItemIntf* sender) { Click(sender); });
      parent->Free();
    }
    save_all->Free();
    main_menu->Free();
  }

  ~AddInExpert() override {
    if (menu_item_ == nullptr) return;
#ifndef ZK_TEST_LEAVE_ITEM
    menu_item_->DestroyMenuItem();
#endif
    menu_item_->Free();
  }

 private:
  void Click(zk::ide::TIMenuItemIntf* sender) {
    zk::test::PackageLog(id() + " click " + sender->GetName());
  }

  zk::ide::TIMenuItemIntf* menu_item_ = nullptr;
};

}  // namespace

ZK_PACKAGE_EXPORT const char* PackageDescription() { return "Test add-in package"; }

ZK_PACKAGE_EXPORT void Register() { zk::ide::RegisterLibraryExpert(new AddInExpert); }
