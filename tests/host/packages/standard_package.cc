// A standard expert: the host makes its menu item and calls Execute.

#include <unistd.h>

#include <cstdlib>

#include "ide/exception.h"
#include "platform/program_folder.h"
#include "tests/host/packages/test_expert.h"

namespace {

class StandardExpert : public zk::test::TestExpert {
 public:
  StandardExpert() : TestExpert("ZkTest.Standard", "Test &Standard", zk::ide::esStandard) {
    zk::test::PackageLog("program folder " + zk::ProgramFolder());
  }
  ~StandardExpert() override {
    // What the host offers while it frees its experts: the project is still open then.
    int count = zk::ide::ToolServices->GetUnitCount();
    std::string line = "units " + std::to_string(count);
    for (int i = 0; i < count; ++i) line += " " + zk::ide::ToolServices->GetUnitName(i);
    zk::test::PackageLog(line);
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) zk::test::PackageLog(std::string("cwd ") + cwd);
  }
  void Execute() override {
    TestExpert::Execute();
    if (std::getenv("ZK_TEST_EXECUTE_RAISES"))
      throw zk::ide::Exception("Execute refused by request");
  }
};

}  // namespace

ZK_PACKAGE_EXPORT const char* PackageDescription() { return "Test standard package"; }

ZK_PACKAGE_EXPORT void Register() { zk::ide::RegisterLibraryExpert(new StandardExpert); }
