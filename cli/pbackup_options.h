#pragma once
// The command line of pbackup: pbackup [options] PROJECT.dpr [TARGET_DIR]

#include <string>
#include <vector>

namespace zk::cli {

struct PbackupOptions {
  std::string project;
  std::string target;    // empty: the destination saved for the project
  std::string log_file;  // empty: the project's log file
  std::string ide_dir;   // empty: the default program folder
  int delphi_version = 4;
  bool assume_yes = false;
  bool help = false;
  bool version = false;
};

struct ParsedArguments {
  PbackupOptions options;
  std::string error;  // not empty: the arguments are unusable, and why
};

// `args` without the program name.
ParsedArguments ParseArguments(const std::vector<std::string>& args);

std::string UsageText();

}  // namespace zk::cli
