#pragma once
// Sets the application's hint hide pause for a scope and gives back the earlier value when the
// scope ends, however it ends.

#include "ide/application.h"

namespace zk::links {

class HintHidePauseGuard {
 public:
  explicit HintHidePauseGuard(int milliseconds) : saved_(ide::HintHidePause()) {
    ide::SetHintHidePause(milliseconds);
  }
  ~HintHidePauseGuard() { ide::SetHintHidePause(saved_); }
  HintHidePauseGuard(const HintHidePauseGuard&) = delete;
  HintHidePauseGuard& operator=(const HintHidePauseGuard&) = delete;

 private:
  int saved_;
};

}  // namespace zk::links
