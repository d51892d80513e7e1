// The package's entry points: the host calls Register once when it loads the package and shows
// PackageDescription in its package list.

#include <string>

#include "ide/expt_intf.h"
#include "projectbackup/ZkProjectBackup.h"
#include "projectbackup/pb_main.h"

#ifndef ZK_DELPHI_VERSION
#error "ZK_DELPHI_VERSION names the host version a package is built for (3 or 4)"
#endif

ZK_PACKAGE_EXPORT void Register() {
  zk::ide::RegisterLibraryExpert(new zk::pb::TZkProjectBackupExpert);
}

ZK_PACKAGE_EXPORT const char* PackageDescription() {
  static const std::string description = "Delphi Project Backup Expert (D" +
                                         std::to_string(ZK_DELPHI_VERSION) + " rev 1.0) - " +
                                         zk::pb::kMakerNotice;
  return description.c_str();
}
