#include "platform/path_text.h"
#include "projectbackup/pb_main.h"

namespace zk::pb {

namespace {

// What the dialog chose: every file with multiple selection, else the one file name.
std::vector<std::string> ChosenFiles(const form::OpenDialog& dialog) {
  if (!dialog.files.empty()) return dialog.files;
  if (!dialog.file_name.empty()) return {dialog.file_name};
  return {};
}

// "C:\Lib\my.unit.pas" -> "MY.UNIT": the file part without its last extension, upper case.
std::string UnitNameOf(const std::string& path) {
  return UpperCase(ChangeFileExt(ExtractFileName(path), ""));
}

bool Confirmed(form::Prompts& prompts, const std::string& question) {
  return prompts.MessageDlg(question, form::MsgDlgType::Confirmation,
                            form::mbOK | form::mbCancel) == form::ModalResult::OK;
}

}  // namespace

// The shift state does not matter: Shift+INSERT and Ctrl+DELETE act as INSERT and DELETE. The
// key is left as it came so that the list box handles it as usual.
void TfrmProjectBackup::lbStockUnitsKeyDown(unsigned short& key, unsigned /*shift*/) {
  if (key == VK_INSERT) {
    if (!prompts_.ExecuteOpenDialog(odFindUnit)) return;
    SettingsChanged = true;
    for (const std::string& file : ChosenFiles(odFindUnit)) lbStockUnits.Add(UnitNameOf(file));
  } else if (key == VK_DELETE) {
    const int index = lbStockUnits.item_index();
    if (index < 0 || index >= lbStockUnits.count()) return;
    if (!Confirmed(prompts_, "Remove " + lbStockUnits.item(index) +
                                 " from list of excluded units?")) {
      return;
    }
    SettingsChanged = true;
    lbStockUnits.Delete(index);
  }
}

void TfrmProjectBackup::lbStockUnitsDrawItem(form::Canvas& canvas, int index,
                                             const form::Rect& rect, unsigned state) {
  canvas.FillRect(rect);
  if (index < 0 || index >= lbStockUnits.count()) return;
  const std::string& text = lbStockUnits.item(index);
  // Units beyond the reference list stand out, so the user sees what was added by hand.
  if (!StockUnits.Contains(text)) {
    canvas.SetFontColor((state & form::odSelected) ? form::kAqua : form::kRed);
  }
  canvas.TextOut(rect.left + 1, rect.top + 1, text);
}

void TfrmProjectBackup::lbExtraFilesKeyDown(unsigned short& key, unsigned /*shift*/) {
  if (key == VK_INSERT) {
    if (!prompts_.ExecuteOpenDialog(odExtraFiles)) return;
    ExtraFilesChanged = true;
    const std::vector<std::string> chosen = ChosenFiles(odExtraFiles);
    for (const std::string& file : chosen) lbExtraFiles.Add(file);
    // The range fits the first chosen path and never shrinks.
    if (!chosen.empty()) {
      const int width = prompts_.TextWidth(chosen.front()) + 5;
      if (lbExtraFiles.horizontal_extent() < width) lbExtraFiles.SetHorizontalExtent(width);
    }
    odExtraFiles.file_name.clear();
    odExtraFiles.initial_dir = ProjectDir;
  } else if (key == VK_DELETE) {
    const int index = lbExtraFiles.item_index();
    if (index < 0 || index >= lbExtraFiles.count()) return;
    if (!Confirmed(prompts_, "Remove " + lbExtraFiles.item(index) +
                                 " from list of extra files?")) {
      return;
    }
    ExtraFilesChanged = true;
    lbExtraFiles.Delete(index);
  }
}

}  // namespace zk::pb
