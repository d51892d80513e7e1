#pragma once
// One backup from the command line, through the same dialog core the IDE shows.

#include <iosfwd>

#include "cli/pbackup_options.h"

namespace zk::cli {

// Exit statuses.
constexpr int kExitSuccess = 0;
constexpr int kExitUnitsMissing = 1;
constexpr int kExitError = 2;

// Prints the log on `out` and reasons on `err`; returns the exit status. Changes the current
// folder to the project's folder, as the IDE does when it opens a project.
int RunPbackup(const PbackupOptions& options, std::ostream& out, std::ostream& err);

}  // namespace zk::cli
