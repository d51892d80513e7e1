#pragma once
// The links dialog without a toolkit: its components, its event handlers and the link list it
// edits. A view shows the components and forwards the user's events; everything the dialog asks
// of the outside world goes through Prompts.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "formcore/canvas.h"
#include "formcore/components.h"
#include "formcore/prompts.h"
#include "platform/file_ops.h"

namespace zk::links {

inline constexpr std::uint16_t VK_INSERT = 45;
inline constexpr std::uint16_t VK_DELETE = 46;

// Shift state of a key event; the dialog ignores it but the handler receives it.
enum ShiftFlag : unsigned { ssShift = 1u << 0, ssAlt = 1u << 1, ssCtrl = 1u << 2 };

class TLinkForm {
 public:
  // Runs FormCreate, which reads the link list file.
  explicit TLinkForm(form::Prompts& prompts);
  // Runs FormDestroy.
  ~TLinkForm();
  TLinkForm(const TLinkForm&) = delete;
  TLinkForm& operator=(const TLinkForm&) = delete;

  static constexpr const char* kCaption = "Delphi Links";
  static constexpr int kClientWidth = 292;
  static constexpr int kClientHeight = 301;

  form::ListBox lbLinks{"lbLinks", false};
  form::Button btnJump{"btnJump", "Jump"};
  form::Button btnCancel{"btnCancel", "Cancel"};
  form::StatusBar Status{"Status"};
  form::Label Label1{"Label1", "Quorvin's Delphi Links Expert"};
  form::Label Label2{"Label2", "Copyright (c) 1998 Quorvin"};
  form::Label Label3{"Label3", "Version 1.03, April 1998"};
  form::Plain Image1{"Image1", false};
  form::Label lblQuorvinURL;

  // How the dialog closes: set by a double-click in the list and by the view's buttons.
  form::ModalResult ModalResult = form::ModalResult::None;

  void FormCreate();
  void lbLinksDblClick();
  void FormDestroy();
  void lbLinksKeyDown(std::uint16_t& key, unsigned shift);
  void lbLinksClick();
  void lbLinksDrawItem(form::Canvas& canvas, int index, const form::Rect& rect, unsigned state);
  void lbLinksMeasureItem(form::Canvas& canvas, int index, int& height);
  void Image1DblClick();
  void lblQuorvinURLDblClick();

  // Writes the whole list to LinkFileName, replacing the file atomically. On failure the file is
  // left as it was and the result says why.
  [[nodiscard]] OpResult SaveLinkFile();

  // The address of every entry, parallel to the items of lbLinks.
  const std::vector<std::string>& link_urls() const { return LinkURLs; }

 private:
  void LoadLinkFile();
  void InsertLink();
  void DeleteLink();
  void ReportFileError(const std::string& error);

  form::Prompts& prompts_;
  std::vector<std::string> LinkURLs;
  // Why the file could not be read when the dialog opened; edits are refused then, as a save
  // would replace links the dialog never saw.
  std::string read_error_;
};

// The thanks message that the picture's hint holds, lines separated by CR.
std::string ThanksMessage();

// One showing of the links dialog: builds a fresh form, keeps the application's hint hide pause
// at 5000 ms while `show_modal` shows it (restored however it ends, exceptions included), and
// after a close with OK opens the selected entry's address. Nothing is opened without a selection.
using ShowModalProc = std::function<form::ModalResult(TLinkForm&)>;
void RunLinkDialog(form::Prompts& prompts, const ShowModalProc& show_modal);

}  // namespace zk::links
