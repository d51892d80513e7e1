#include "links/LinkDialog.h"

#include "links/hint_pause_guard.h"
#include "links/link_file.h"

namespace zk::links {
namespace {

constexpr const char* kLinksHint =
    "Use the Insert and Delete key to add \r\n"
    "and delete links from this list. You may \r\n"
    "also directly edit the ZkDelphiLinks.dat\r\n"
    "file in your Delphi BIN directory.";

constexpr int kDialogHintHidePause = 5000;

}  // namespace

std::string ThanksMessage() {
  return "Thanks for using my Delphi Links Expert!\r"
         "If you like this, please try my Pellora component package,\r"
         "which can be found at " +
         std::string(kPelloraURL);
}

TLinkForm::TLinkForm(form::Prompts& prompts)
    : lblQuorvinURL("lblQuorvinURL", std::string(kMakerURL)), prompts_(prompts) {
  lbLinks.SetHint(kLinksHint);
  btnCancel.SetHint("Return to IDE");
  FormCreate();
}

TLinkForm::~TLinkForm() { FormDestroy(); }

void TLinkForm::FormCreate() {
  LoadLinkFile();
  // Selecting in code is no click: the status bar and the Jump hint wait for the user.
  lbLinks.SetItemIndex(0);
  Image1.SetHint(ThanksMessage());
}

void TLinkForm::FormDestroy() { LinkURLs.clear(); }

void TLinkForm::LoadLinkFile() {
  LinkFileContents contents = LoadLinkLines(LinkFileName());
  std::vector<std::string> descriptions;
  LinkURLs.clear();
  descriptions.reserve(contents.lines.size());
  LinkURLs.reserve(contents.lines.size());
  for (const std::string& line : contents.lines) {
    LinkEntry entry = SplitLinkLine(line);
    descriptions.push_back(std::move(entry.description));
    LinkURLs.push_back(std::move(entry.url));
  }
  lbLinks.Assign(descriptions);
  if (contents.unread) read_error_ = contents.error;
  if (!contents.error.empty()) ReportFileError(contents.error);
}

OpResult TLinkForm::SaveLinkFile() {
  std::vector<std::string> lines;
  lines.reserve(LinkURLs.size());
  for (size_t i = 0; i < LinkURLs.size(); ++i)
    lines.push_back(JoinLinkLine(lbLinks.item(static_cast<int>(i)), LinkURLs[i]));
  return WriteTextLines(LinkFileName(), lines);
}

void TLinkForm::ReportFileError(const std::string& error) {
  prompts_.MessageDlg(error, form::MsgDlgType::Error, form::mbOK);
}

void TLinkForm::lbLinksClick() {
  int index = lbLinks.item_index();
  if (index < 0 || index >= static_cast<int>(LinkURLs.size())) {
    Status.SetSimpleText({});
    btnJump.SetHint({});
    return;
  }
  Status.SetSimpleText(LinkURLs[static_cast<size_t>(index)]);
  btnJump.SetHint("Click to visit " + lbLinks.item(index));
}

void TLinkForm::lbLinksDblClick() { ModalResult = form::ModalResult::OK; }

void TLinkForm::lbLinksKeyDown(std::uint16_t& key, unsigned /*shift*/) {
  if ((key == VK_INSERT || key == VK_DELETE) && !read_error_.empty()) {
    ReportFileError("The link list is left unchanged. " + read_error_);
    return;
  }
  if (key == VK_INSERT)
    InsertLink();
  else if (key == VK_DELETE)
    DeleteLink();
}

void TLinkForm::InsertLink() {
  std::string url = "http://";
  if (!prompts_.InputQuery("New Delphi Link", "Enter URL", url)) return;
  std::string description;
  if (!prompts_.InputQuery(url, "Enter description", description)) return;

  // After the selected entry, or first when nothing is selected.
  int at = lbLinks.item_index() + 1;
  LinkURLs.insert(LinkURLs.begin() + at, url);
  lbLinks.Insert(at, description);
  if (OpResult saved = SaveLinkFile(); !saved) {
    // The list shows what the file holds: the entry that could not be saved goes again.
    LinkURLs.erase(LinkURLs.begin() + at);
    lbLinks.Delete(at);
    ReportFileError("The new link could not be saved: " + saved.error);
  }
}

void TLinkForm::DeleteLink() {
  int index = lbLinks.item_index();
  // The maker's entry heads the list and stays.
  if (index <= 0) return;
  std::string description = lbLinks.item(index);
  if (prompts_.MessageDlg("Delete \"" + description + "\"?", form::MsgDlgType::Confirmation,
                          form::mbOK | form::mbCancel) != form::ModalResult::OK)
    return;

  std::string url = std::move(LinkURLs[static_cast<size_t>(index)]);
  LinkURLs.erase(LinkURLs.begin() + index);
  lbLinks.Delete(index);
  if (OpResult saved = SaveLinkFile(); !saved) {
    LinkURLs.insert(LinkURLs.begin() + index, std::move(url));
    lbLinks.Insert(index, std::move(description));
    lbLinks.SetItemIndex(index);
    ReportFileError("The link could not be deleted: " + saved.error);
  }
}

void TLinkForm::lbLinksMeasureItem(form::Canvas& canvas, int index, int& height) {
  if (index == 0) canvas.SetFontStyle(form::fsBold);
  height = canvas.TextHeight(lbLinks.item(index)) + 1;
}

void TLinkForm::lbLinksDrawItem(form::Canvas& canvas, int index, const form::Rect& rect,
                                unsigned state) {
  if (index == 0)
    canvas.SetFontStyle((state & form::odSelected) ? form::fsBold | form::fsItalic : form::fsBold);
  canvas.FillRect(rect);
  canvas.TextOut(rect.left + 1, rect.top + 1, lbLinks.item(index));
}

void TLinkForm::Image1DblClick() {
  prompts_.MessageDlg(Image1.hint(), form::MsgDlgType::Information, form::mbOK);
}

void TLinkForm::lblQuorvinURLDblClick() { prompts_.ShellOpen(lblQuorvinURL.caption()); }

void RunLinkDialog(form::Prompts& prompts, const ShowModalProc& show_modal) {
  TLinkForm form(prompts);
  HintHidePauseGuard pause(kDialogHintHidePause);
  form.ModalResult = show_modal(form);
  int index = form.lbLinks.item_index();
  if (form.ModalResult == form::ModalResult::OK && index >= 0 &&
      index < static_cast<int>(form.link_urls().size()))
    prompts.ShellOpen(form.link_urls()[static_cast<size_t>(index)]);
}

}  // namespace zk::links
