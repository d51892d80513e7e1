#include "links/linkexpert.h"

#include "links/link_dialog_display.h"

namespace zk::links {

std::string TZkDelphiLinksExpert::GetName() { return "Quorvin Delphi Links Expert"; }
std::string TZkDelphiLinksExpert::GetAuthor() { return "Quorvin"; }
std::string TZkDelphiLinksExpert::GetComment() { return "Quorvin's Delphi Links expert"; }
std::string TZkDelphiLinksExpert::GetPage() { return {}; }
ide::HBITMAP TZkDelphiLinksExpert::GetGlyph() { return 0; }
int TZkDelphiLinksExpert::GetStyle() { return ide::esStandard; }
int TZkDelphiLinksExpert::GetState() { return ide::esEnabled; }
std::string TZkDelphiLinksExpert::GetIDString() { return "QuorvinDelphiLinks.Expert"; }
std::string TZkDelphiLinksExpert::GetMenuText() { return "Delphi &Links"; }
void TZkDelphiLinksExpert::Execute() { DisplayLinkDialog(); }

}  // namespace zk::links
