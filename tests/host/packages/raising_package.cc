// Registers one expert, then fails while creating the second: the host must report the failure
// and take back what the package had registered.

#include "ide/exception.h"
#include "tests/host/packages/test_expert.h"

ZK_PACKAGE_EXPORT const char* PackageDescription() { return "Test raising package"; }

ZK_PACKAGE_EXPORT void Register() {
  zk::ide::RegisterLibraryExpert(
      new zk::test::TestExpert("ZkTest.BeforeRaise", "Before &Raise", zk::ide::esStandard));
  throw zk::ide::Exception("Test package refuses to register");
}
