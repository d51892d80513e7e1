#pragma once
// Which package the host is calling into right now. Menu items a package creates through the
// interfaces carry its tag, so the host can unhook whatever the package left behind before its
// code is unmapped.

namespace zk::host {

class Package;
using PackageTag = const Package*;

// Null while the host runs its own code.
PackageTag CurrentPackage();

class PackageScope {
 public:
  explicit PackageScope(PackageTag package);
  ~PackageScope();
  PackageScope(const PackageScope&) = delete;
  PackageScope& operator=(const PackageScope&) = delete;

 private:
  PackageTag saved_;
};

}  // namespace zk::host
