#pragma once
// The expert base class, the tool services and expert registration.

#include <cstdint>
#include <string>

#include "ide/tool_intf.h"
#include "ide/virt_intf.h"

namespace zk::ide {

enum TExpertStyle { esStandard = 0, esForm = 1, esProject = 2, esAddIn = 3 };
enum TExpertStateFlag { esEnabled = 1, esChecked = 2 };
using HBITMAP = std::uintptr_t;

class TIExpert : public TInterface {
 public:
  virtual std::string GetName() = 0;
  virtual std::string GetAuthor() = 0;
  virtual std::string GetComment() = 0;
  virtual std::string GetPage() = 0;
  virtual HBITMAP GetGlyph() = 0;
  virtual int GetStyle() = 0;
  virtual int GetState() = 0;
  virtual std::string GetIDString() = 0;
  virtual std::string GetMenuText() = 0;
  virtual void Execute() = 0;
};

// What the host offers the experts. Interfaces returned are the caller's to Free.
class TIToolServices {
 public:
  virtual ~TIToolServices() = default;
  virtual TIMainMenuIntf* GetMainMenu() = 0;
  virtual int GetUnitCount() = 0;
  virtual std::string GetUnitName(int index) = 0;
};

// Set by the host before any package's Register runs.
extern TIToolServices* ToolServices;

// Receives experts for the host; installed by the host.
class TExpertRegistrar {
 public:
  virtual ~TExpertRegistrar() = default;
  virtual void RegisterExpert(TIExpert* expert) = 0;
};
void SetExpertRegistrar(TExpertRegistrar* registrar);

// Hands a new expert to the host, which owns it from then on. Without a host the expert is
// freed at once.
void RegisterLibraryExpert(TIExpert* expert);

}  // namespace zk::ide

// What every package exports (plain C names so the host finds them with dlsym).
extern "C" {
using ZkRegisterProc = void (*)();
using ZkPackageDescriptionProc = const char* (*)();
}
#define ZK_PACKAGE_EXPORT extern "C" __attribute__((visibility("default")))
