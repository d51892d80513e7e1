// What the host finds in the links package: Register, the package description, and the start-up
// work that fixes where the link list lives.

#include "ide/expt_intf.h"
#include "links/link_file.h"
#include "links/linkexpert.h"

namespace {

// Built when the host loads the package and destroyed when it unloads it.
struct PackageLifetime {
  PackageLifetime() { zk::links::InitLinkFileName(); }
  ~PackageLifetime() { zk::links::ClearLinkFileName(); }
};
const PackageLifetime package_lifetime;

}  // namespace

ZK_PACKAGE_EXPORT void Register() {
  zk::ide::RegisterLibraryExpert(new zk::links::TZkDelphiLinksExpert());
}

ZK_PACKAGE_EXPORT const char* PackageDescription() {
  return "Delphi Links Expert (D3 version 1.03) - Copyright (c) 1998 Quorvin. All rights reserved.";
}
