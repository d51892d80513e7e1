#pragma once
// What the fuzz targets share: a private work folder per fuzzing process, fixture files, a check
// that turns a broken property into a crash libFuzzer records, and prompts that answer OK.

#include <string>
#include <string_view>
#include <vector>

#include "formcore/prompts.h"

namespace zk::fuzz {

// A folder of this process's own (under $ZK_FUZZ_TMPDIR, else /dev/shm, else the temp folder),
// removed when the process exits. With a trailing '/'.
const std::string& WorkDir();

// Fixture files are written with plain streams, not with the code under test.
void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
void MakeFolders(const std::string& path);
void RemoveFolderContents(const std::string& path);
// Names of the entries of a folder.
std::vector<std::string> FolderNames(const std::string& path);

// A Wine prefix in `dir` whose drive C: is `dir`/drive_c and whose user.reg holds `user_reg`;
// $WINEPREFIX points at it.
void SetUpWinePrefix(const std::string& dir, std::string_view user_reg);

// Aborts with a message when a property that must hold does not.
void Check(bool condition, const char* property);

// Answers every question with OK, cancels every choice, and records what it was told.
class FuzzPrompts : public form::Prompts {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> exceptions;

  form::ModalResult MessageDlg(const std::string& text, form::MsgDlgType, unsigned) override {
    messages.push_back(text);
    return form::ModalResult::OK;
  }
  bool ExecuteOpenDialog(form::OpenDialog&) override { return false; }
  bool SelectDirectory(std::string&, unsigned) override { return false; }
  bool InputQuery(const std::string&, const std::string&, std::string&) override { return false; }
  void ShellOpen(const std::string&) override {}
  void MessageBeep(unsigned) override {}
  std::string NowText() override { return "11.12.2026 10:00:00"; }
  int TextWidth(const std::string& text) override { return static_cast<int>(text.size()) * 6; }
  void ShowException(const std::string& message) override { exceptions.push_back(message); }
};

// What a profile read gives back for a value written as `written`: line breaks dropped by the
// writer, blanks around it trimmed, one outer pair of matching quotes removed.
std::string ProfileValueAsRead(std::string_view written);

}  // namespace zk::fuzz
