#pragma once
// Prompts for the command line: questions are answered by --yes or on the terminal, messages
// go to standard error, nothing opens a window.

#include <iosfwd>
#include <string>
#include <vector>

#include "formcore/prompts.h"

namespace zk::cli {

class TerminalPrompts : public form::Prompts {
 public:
  // `assume_yes` answers OK to every question; otherwise a question is asked on the terminal
  // when standard input is one, and refused when it is not.
  TerminalPrompts(std::ostream& err, bool assume_yes);

  form::ModalResult MessageDlg(const std::string& text, form::MsgDlgType type,
                               unsigned buttons) override;
  bool ExecuteOpenDialog(form::OpenDialog& dialog) override;
  bool SelectDirectory(std::string& directory, unsigned options) override;
  bool InputQuery(const std::string& caption, const std::string& prompt,
                  std::string& value) override;
  void ShellOpen(const std::string& url) override;
  void MessageBeep(unsigned type) override;
  std::string NowText() override;
  int TextWidth(const std::string& text) override;
  void ShowException(const std::string& message) override;

  // The next file dialog chooses these files; the next question is answered OK. Used to make
  // the list edits of the command line through the dialog's own key handlers.
  void ChooseFilesNext(std::vector<std::string> files) { next_files_ = std::move(files); }
  void ConfirmNext() { confirm_next_ = true; }

  // Questions answered with anything but OK.
  int refusals() const { return refusals_; }
  const std::vector<std::string>& exceptions() const { return exceptions_; }

 private:
  bool AskOnTerminal(const std::string& question);

  std::ostream& err_;
  bool assume_yes_;
  int refusals_ = 0;
  std::vector<std::string> next_files_;
  bool confirm_next_ = false;
  std::vector<std::string> exceptions_;
};

// A dialog text on one line: its line breaks become blanks.
std::string OneLine(const std::string& text);

}  // namespace zk::cli
