// A library in the package folder that is not a package: it exports no Register.

#include "ide/expt_intf.h"

ZK_PACKAGE_EXPORT const char* PackageDescription() { return "Not really a package"; }
