#include "ide/virt_intf.h"

namespace zk::ide {

TInterface::TInterface() = default;
TInterface::~TInterface() = default;

int TInterface::AddRef() { return ++ref_count_; }

int TInterface::Release() {
  int left = --ref_count_;
  if (left == 0) delete this;
  return left;
}

// The interface version the experts were written against.
int TInterface::GetVersion() { return 3; }

void TInterface::Free() { Release(); }

}  // namespace zk::ide
