#include "host/package_listing.h"

#include "host/package_loader.h"

namespace zk::host {

const char* ExpertStyleName(int style) {
  switch (style) {
    case ide::esStandard: return "standard";
    case ide::esForm: return "form";
    case ide::esProject: return "project";
    case ide::esAddIn: return "add-in";
    default: return "unknown";
  }
}

std::string FormatPackageList(const PackageLoader& loader) {
  std::string text;
  auto add_experts = [&](PackageTag package) {
    for (const RegisteredExpert& entry : loader.ExpertsOf(package)) {
      PackageScope scope(package);
      int style = entry.expert->GetStyle();
      text += "  " + entry.expert->GetIDString() + ": " + entry.expert->GetName() + " (style " +
              std::to_string(style) + ", " + ExpertStyleName(style) + ")\n";
    }
  };
  for (const Package* package : loader.packages()) {
    text += package->file_name() + ": " + package->description() + "\n";
    add_experts(package);
  }
  if (!loader.ExpertsOf(nullptr).empty()) {
    text += "(host):\n";
    add_experts(nullptr);
  }
  return text;
}

}  // namespace zk::host
