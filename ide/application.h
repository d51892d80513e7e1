#pragma once
// Application-wide settings that the host owns and the dialogs change.

namespace zk::ide {

// Milliseconds a hint stays on screen before it is hidden.
int HintHidePause();
void SetHintHidePause(int milliseconds);
constexpr int kDefaultHintHidePause = 2500;

}  // namespace zk::ide
