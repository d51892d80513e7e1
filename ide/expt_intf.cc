#include "ide/expt_intf.h"

namespace zk::ide {

TIToolServices* ToolServices = nullptr;

namespace {
TExpertRegistrar* g_registrar = nullptr;
}  // namespace

void SetExpertRegistrar(TExpertRegistrar* registrar) { g_registrar = registrar; }

void RegisterLibraryExpert(TIExpert* expert) {
  if (expert == nullptr) return;
  if (g_registrar == nullptr) {
    // Nobody would ever free it otherwise.
    expert->Free();
    return;
  }
  g_registrar->RegisterExpert(expert);
}

}  // namespace zk::ide
