#include "projectbackup/ZkProjectBackup.h"

#include <memory>

#include "ide/exception.h"
#include "platform/path_text.h"
#include "projectbackup/pb_display.h"

namespace zk::pb {

namespace {

constexpr const char* kExpertName = "Quorvin's Project Backup Expert";
constexpr const char* kItemName = "FileBackupProject";
constexpr const char* kSaveAllName = "FileSaveAllItem";

struct FreeInterface {
  void operator()(ide::TInterface* object) const { object->Free(); }
};
// An interface obtained from the host, freed when the scope ends, also by an exception.
template <class T>
using Obtained = std::unique_ptr<T, FreeInterface>;

}  // namespace

TZkProjectBackupExpert::TZkProjectBackupExpert() : DisplayDialog(DisplayProjectBackupDialog) {
  if (ide::ToolServices == nullptr) throw ide::Exception("The host offers no tool services");
  const Obtained<ide::TIMainMenuIntf> main_menu(ide::ToolServices->GetMainMenu());
  if (!main_menu) throw ide::Exception("The host offers no main menu");
  // Another copy of this expert (the other host version's build) has hooked in already.
  if (Obtained<ide::TIMenuItemIntf> existing{main_menu->FindMenuItem(kItemName)}) return;

  const Obtained<ide::TIMenuItemIntf> save_all(main_menu->FindMenuItem(kSaveAllName));
  if (!save_all) throw ide::Exception("Cannot find FileSaveAllItem menu item");
  // Released before save_all, as it was obtained after it.
  const Obtained<ide::TIMenuItemIntf> parent(save_all->GetParent());
  const int index = save_all->GetIndex() + 1;
  if (!parent) throw ide::Exception("No menu parent for FileSaveAllItem");

  MenuItem = parent->InsertItem(index, "&Backup Project", kItemName,
                                "Quorvin's Project Backup Utility", 0, 0, 0,
                                ide::mfEnabled | ide::mfVisible,
                                [this](ide::TIMenuItemIntf* sender) { MenuClick(sender); });
  if (MenuItem == nullptr) throw ide::Exception("Cannot insert the Backup Project menu item");
}

TZkProjectBackupExpert::~TZkProjectBackupExpert() {
  if (MenuItem == nullptr) return;
  MenuItem->DestroyMenuItem();
  MenuItem->Free();
  MenuItem = nullptr;
}

std::string TZkProjectBackupExpert::GetName() { return kExpertName; }
std::string TZkProjectBackupExpert::GetAuthor() { return "Quorvin"; }
std::string TZkProjectBackupExpert::GetComment() { return kExpertName; }
std::string TZkProjectBackupExpert::GetPage() { return ""; }
ide::HBITMAP TZkProjectBackupExpert::GetGlyph() { return 0; }
int TZkProjectBackupExpert::GetStyle() { return ide::esAddIn; }
int TZkProjectBackupExpert::GetState() { return ide::esEnabled; }
std::string TZkProjectBackupExpert::GetIDString() { return "ZkProjectBackup.Expert"; }
std::string TZkProjectBackupExpert::GetMenuText() { return ""; }
void TZkProjectBackupExpert::Execute() {}

void TZkProjectBackupExpert::MenuClick(ide::TIMenuItemIntf* /*sender*/) {
  std::string project;
  for (int i = 0; ide::ToolServices && i < ide::ToolServices->GetUnitCount(); ++i) {
    std::string name = ide::ToolServices->GetUnitName(i);
    if (UpperCase(ExtractFileExt(name)) == ".DPR") {
      project = std::move(name);
      break;
    }
  }
  if (DisplayDialog) DisplayDialog(project);
}

}  // namespace zk::pb
