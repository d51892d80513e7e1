#pragma once
// Everything a dialog core needs from the outside world besides the disk: message boxes, file
// and folder choices, text prompts, the browser, the beep, the clock and text measuring.
// Views pass Qt-backed prompts; tests and the command line pass their own.

#include <string>

#include "formcore/components.h"

namespace zk::form {

enum class MsgDlgType { Warning, Error, Information, Confirmation, Custom };

enum MsgDlgButton : unsigned {
  mbYes = 1u << 0,
  mbNo = 1u << 1,
  mbOK = 1u << 2,
  mbCancel = 1u << 3,
};

enum class ModalResult { None = 0, OK = 1, Cancel = 2, Yes = 6, No = 7 };

// Folder choice options.
enum SelectDirOption : unsigned {
  sdAllowCreate = 1u << 0,   // the user may type a folder that does not exist
  sdPerformCreate = 1u << 1, // the dialog creates it
  sdPrompt = 1u << 2,        // ask before accepting a folder that does not exist
};

// MessageBeep sounds.
enum BeepType : unsigned { MB_OK_BEEP = 0, MB_ICONHAND = 16, MB_ICONEXCLAMATION = 48,
                           MB_ICONASTERISK = 64 };

class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual ModalResult MessageDlg(const std::string& text, MsgDlgType type, unsigned buttons) = 0;
  // False on cancel; on OK fills dialog.file_name and dialog.files.
  virtual bool ExecuteOpenDialog(OpenDialog& dialog) = 0;
  // `directory` in: the start folder; out: the chosen one. False on cancel.
  virtual bool SelectDirectory(std::string& directory, unsigned options) = 0;
  // `value` in: the initial text; out: the text entered. False on cancel.
  virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                          std::string& value) = 0;
  // Opens a web address in the default browser. The outcome is not reported.
  virtual void ShellOpen(const std::string& url) = 0;
  virtual void MessageBeep(unsigned type) = 0;
  // The current local date and time as the user's locale writes it.
  virtual std::string NowText() = 0;
  // Width in pixels of a text in a control's font.
  virtual int TextWidth(const std::string& text) = 0;
  // An error that escaped an event handler, shown as the framework's default handling would.
  virtual void ShowException(const std::string& message) = 0;
};

}  // namespace zk::form
