#pragma once
// A small project on a Wine drive C: for the fuzz targets that drive the backup dialog core:
// C:\work\Demo\Demo.dpr with its units, a shared folder named by the options file, a library
// folder named by the IDE's registry settings, and the target C:\backup\.

#include <functional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "projectbackup/pb_main.h"

namespace zk::fuzz {

struct BackupFixture {
  std::string drive_c;      // Linux path of C:, with a trailing '/'
  std::string project_dir;  // Linux path of C:\work\Demo\, with a trailing '/'
  std::string target_dir;   // Linux path of C:\backup\, with a trailing '/'
  std::string ide_dir;      // the program folder, with a trailing '/'
  static constexpr const char* kProject = "C:\\work\\Demo\\Demo.dpr";
  static constexpr const char* kTarget = "C:\\backup\\";
};

// Builds the tree once per process and makes the project folder the current folder.
const BackupFixture& SetUpBackupFixture();

// The project file that names Main.pas and Util.pas.
extern const char* const kDemoProjectText;

// Empties the target, the program folder and the project's settings and log, so each input
// starts from the same state.
void ResetBackupState(const BackupFixture& fixture);

// Runs one backup of the demo project as pbackup does and checks what must hold after any run:
// the dialog is unlocked, no temporary file is left in the target, the log file holds the memo's
// lines and its footer, and the user was told the outcome or the error. `more` checks more of
// the finished form when the run ended without an error.
void RunBackupAndCheck(const BackupFixture& fixture,
                       const std::function<void(const pb::TfrmProjectBackup&)>& more = {});

}  // namespace zk::fuzz
