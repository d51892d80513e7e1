#pragma once
// form::Prompts with Qt's dialogs, the desktop's browser and the application's beep.

#include <QPointer>
#include <QWidget>

#include "formcore/prompts.h"

namespace zk::qt {

class QtPrompts : public form::Prompts {
 public:
  explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

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

 private:
  QPointer<QWidget> parent_;
};

// "Desc (*.pas;*.dcu)|*.pas;*.dcu|..." as Qt name filters; patterns match ignoring case, as
// file names did where these filters come from.
QStringList ToNameFilters(const std::string& filter);

}  // namespace zk::qt
