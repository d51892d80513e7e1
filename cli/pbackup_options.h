#pragma once
// The command line of pbackup: pbackup [options] PROJECT.dpr [TARGET_DIR]

#include <string>
#include <vector>

namespace zk::cli {

// An edit of the project's lists, made as the dialog's keys would make it before the run.
struct ListEdit {
  enum class Kind { Exclude, Include, Extra };
  Kind kind;
  std::string value;  // a unit name or file name (Exclude, Include) or a file path (Extra)
};

struct PbackupOptions {
  std::string project;
  std::string target;    // empty: the destination saved for the project
  std::string log_file;  // empty: the project's log file
  std::string ide_dir;   // empty: the default program folder
  int delphi_version = 4;
  bool assume_yes = false;
  std::vector<ListEdit> edits;  // in command-line order
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
