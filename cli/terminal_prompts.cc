#include "cli/terminal_prompts.h"

#include <unistd.h>

#include <cctype>
#include <iostream>

#include "platform/date_time.h"

namespace zk::cli {

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r' || c == '\n') {
      // The dialog's lines are sentences without a full stop.
      if (!line.empty() && std::isalnum(static_cast<unsigned char>(line.back()))) line += '.';
      if (!line.empty() && line.back() != ' ') line += ' ';
    } else {
      line += c;
    }
  }
  return line;
}

TerminalPrompts::TerminalPrompts(std::ostream& err, bool assume_yes)
    : err_(err), assume_yes_(assume_yes) {}

form::ModalResult TerminalPrompts::MessageDlg(const std::string& text, form::MsgDlgType type,
                                              unsigned buttons) {
  const bool question = (buttons & (form::mbCancel | form::mbNo)) != 0;
  if (question && confirm_next_) {
    confirm_next_ = false;
    return form::ModalResult::OK;
  }
  if (question) {
    if (assume_yes_ || AskOnTerminal(text)) return form::ModalResult::OK;
    ++refusals_;
    return form::ModalResult::Cancel;
  }
  // The success message says nothing the exit status does not; warnings and errors are the
  // one-line reason for a status other than 0.
  if (type != form::MsgDlgType::Information) err_ << "pbackup: " << OneLine(text) << std::endl;
  return form::ModalResult::OK;
}

bool TerminalPrompts::AskOnTerminal(const std::string& question) {
  if (!::isatty(STDIN_FILENO)) return false;
  std::string shown = question;
  for (char& c : shown) {
    if (c == '\r') c = '\n';
  }
  err_ << shown << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "YES" || answer == "Yes";
}

// Nothing on the command line chooses files or folders interactively: the arguments did.
bool TerminalPrompts::ExecuteOpenDialog(form::OpenDialog& dialog) {
  if (next_files_.empty()) return false;
  dialog.files = std::move(next_files_);
  next_files_.clear();
  dialog.file_name = dialog.files.front();
  return true;
}
bool TerminalPrompts::SelectDirectory(std::string&, unsigned) { return false; }
bool TerminalPrompts::InputQuery(const std::string&, const std::string&, std::string&) {
  return false;
}
void TerminalPrompts::ShellOpen(const std::string&) {}

void TerminalPrompts::MessageBeep(unsigned) {
  if (::isatty(STDERR_FILENO)) err_ << '\a' << std::flush;
}

std::string TerminalPrompts::NowText() { return zk::NowText(); }

int TerminalPrompts::TextWidth(const std::string& text) { return static_cast<int>(text.size()); }

void TerminalPrompts::ShowException(const std::string& message) {
  exceptions_.push_back(message);
  err_ << "pbackup: " << OneLine(message) << std::endl;
}

}  // namespace zk::cli
