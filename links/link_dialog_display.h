#pragma once
// Shows the links dialog on screen: the Qt view over the dialog core, Qt's prompts and the
// desktop's browser.

namespace zk::links {

// Returns when the dialog has closed; a link chosen with Jump has been handed to the browser.
void DisplayLinkDialog();

}  // namespace zk::links
