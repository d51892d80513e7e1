#pragma once
// A Wine-style prefix in a test's temporary folder: drive C: mapped to drive_c, a user.reg
// written by the test, WINEPREFIX pointing at it and the program folder inside the temp folder.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/program_folder.h"
#include "tests/support/scoped_temp_dir.h"

namespace zk::test {

// One registry key with string values, as Wine writes it into user.reg.
struct RegKey {
  std::string path;  // e.g. Software\Borland\Delphi\4.0\Library
  std::vector<std::pair<std::string, std::string>> values;
};

inline std::string RegEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

class WinePrefix {
 public:
  explicit WinePrefix(const ScopedTempDir& temp) : temp_(temp) {
    namespace fs = std::filesystem;
    fs::create_directories(temp_.path() / "prefix" / "drive_c");
    fs::create_directories(temp_.path() / "prefix" / "dosdevices");
    fs::create_symlink("../drive_c", temp_.path() / "prefix" / "dosdevices" / "c:");
    fs::create_directories(temp_.path() / "ide");
    setenv("WINEPREFIX", (temp_.path() / "prefix").c_str(), 1);
    SetProgramFolder(temp_.dir() + "ide/");
  }
  ~WinePrefix() {
    unsetenv("WINEPREFIX");
    SetProgramFolder("");
  }
  WinePrefix(const WinePrefix&) = delete;
  WinePrefix& operator=(const WinePrefix&) = delete;

  // A file on drive C:, given by its path below the drive's root ("Work/Demo/Demo.dpr").
  std::string WriteC(std::string_view relative, std::string_view content) const {
    return temp_.Write("prefix/drive_c/" + std::string(relative), content);
  }
  std::string PathC(std::string_view relative) const {
    return temp_ / ("prefix/drive_c/" + std::string(relative));
  }

  void WriteRegistry(const std::vector<RegKey>& keys) const {
    std::string text =
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
        "#arch=win32\n";
    for (const RegKey& key : keys) {
      text += "\n[" + RegEscape(key.path) + "] 1700000000\n#time=1d9a0b0c0d0e0f0\n";
      for (const auto& [name, value] : key.values)
        text += "\"" + RegEscape(name) + "\"=\"" + RegEscape(value) + "\"\n";
    }
    temp_.Write("prefix/user.reg", text);
  }

 private:
  const ScopedTempDir& temp_;
};

// Text lines joined with CR LF, as the IDE writes its files.
inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace zk::test
