#include "host/package_scope.h"

namespace zk::host {

namespace {
// Every call into a package happens on the user-interface thread.
PackageTag g_current = nullptr;
}  // namespace

PackageTag CurrentPackage() { return g_current; }

PackageScope::PackageScope(PackageTag package) : saved_(g_current) { g_current = package; }
PackageScope::~PackageScope() { g_current = saved_; }

}  // namespace zk::host
