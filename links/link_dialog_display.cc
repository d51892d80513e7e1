#include "links/link_dialog_display.h"

#include "formcore_qt/qt_prompts.h"
#include "links/LinkDialog.h"
#include "links/link_view.h"

namespace zk::links {

void DisplayLinkDialog() {
  qt::QtPrompts prompts;
  RunLinkDialog(prompts, [&prompts](TLinkForm& form) {
    LinkView view(form);
    // Messages and input boxes belong to the dialog while it is shown.
    prompts.SetParent(&view);
    view.exec();
    return form.ModalResult;
  });
}

}  // namespace zk::links
