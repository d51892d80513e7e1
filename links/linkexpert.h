#pragma once
// The links expert: a standard expert, so the host makes its menu item from GetMenuText and
// calls Execute when the user chooses it.

#include <string>

#include "ide/expt_intf.h"

namespace zk::links {

class TZkDelphiLinksExpert : public ide::TIExpert {
 public:
  std::string GetName() override;
  std::string GetAuthor() override;
  std::string GetComment() override;
  std::string GetPage() override;
  ide::HBITMAP GetGlyph() override;
  int GetStyle() override;
  int GetState() override;
  std::string GetIDString() override;
  std::string GetMenuText() override;
  // Shows the links dialog and returns when it has closed.
  void Execute() override;
};

}  // namespace zk::links
