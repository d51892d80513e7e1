#include "ide/application.h"

namespace zk::ide {

namespace {
int g_hint_hide_pause = kDefaultHintHidePause;
}  // namespace

int HintHidePause() { return g_hint_hide_pause; }
void SetHintHidePause(int milliseconds) { g_hint_hide_pause = milliseconds; }

}  // namespace zk::ide
