// The folders in which the backup run looks for units: the project's folder, the project's own
// search path from its options file, then the IDE's library path from the user's registry.

#include <string>

#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "platform/path_text.h"
#include "platform/user_registry.h"
#include "projectbackup/pb_main.h"

namespace zk::pb {

namespace {

constexpr std::string_view kDelphiMacro = "$(DELPHI)";
constexpr const char* kRootKey =
    "Software\\Borland\\Package Collection Editor\\Installed Programs\\Delphi";

std::string LibraryKey(int delphi_version) {
  return "Software\\Borland\\Delphi\\" + std::to_string(delphi_version) + ".0\\Library";
}

}  // namespace

void TfrmProjectBackup::BuildSearchPathList() {
  SearchPaths.Add(ExtractFilePath(SourceProject()));

  // The root folder is read before any list is split, so that "$(DELPHI)" in the project's own
  // list expands to the same folder as in the IDE's list instead of vanishing.
  std::string ide_list;
  std::string delphi_root;
  if (DelphiVersion <= 3) {
    ide_list = ReadUserRegistryString(LibraryKey(DelphiVersion), "SearchPath");
  } else {
    ide_list = ReadUserRegistryString(LibraryKey(DelphiVersion), "Search Path");
    delphi_root = ReadUserRegistryString(kRootKey, "Path");
  }

  const std::string options_file = ChangeFileExt(SourceProject(), ".DOF");
  if (FileExists(options_file)) {
    const IniFile options(options_file);
    AddSearchPaths(options.ReadString("Directories", "SearchPath", ""), delphi_root);
  }
  AddSearchPaths(ide_list, delphi_root);
}

void TfrmProjectBackup::AddSearchPaths(std::string list, const std::string& delphi_root) {
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    std::string element = list.substr(start, end - start);
    start = end + 1;
    if (element.starts_with(kDelphiMacro))
      element = delphi_root + element.substr(kDelphiMacro.size());
    // ";;", a leading ";" or a bare macro without a root folder name no folder at all; taken as
    // "\" they would search the root of the current drive, which nobody asked for.
    if (element.empty()) continue;
    AddBackslash(element);
    SearchPaths.Add(std::move(element));
  }
}

}  // namespace zk::pb
