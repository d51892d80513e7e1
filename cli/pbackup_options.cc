#include "cli/pbackup_options.h"

namespace zk::cli {

namespace {

// "--name VALUE" or "--name=VALUE". False when `arg` is not this option.
bool TakeValue(const std::vector<std::string>& args, size_t& i, const std::string& name,
               std::string& value, std::string& error) {
  const std::string& arg = args[i];
  if (arg.starts_with(name + "=")) {
    value = arg.substr(name.size() + 1);
    return true;
  }
  if (arg != name) return false;
  if (i + 1 >= args.size()) {
    error = name + " needs a value";
    return true;
  }
  value = args[++i];
  return true;
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  PbackupOptions& o = parsed.options;
  std::string& error = parsed.error;
  std::vector<std::string> positional;
  bool options_end = false;
  for (size_t i = 0; i < args.size() && error.empty(); ++i) {
    const std::string& arg = args[i];
    std::string delphi;
    if (options_end || arg.empty() || arg[0] != '-' || arg == "-") {
      positional.push_back(arg);
    } else if (arg == "--") {
      options_end = true;
    } else if (arg == "--help" || arg == "-h") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "--yes" || arg == "-y") {
      o.assume_yes = true;
    } else if (TakeValue(args, i, "--log", o.log_file, error)) {
      if (error.empty() && o.log_file.empty()) error = "--log needs a file name";
    } else if (TakeValue(args, i, "--ide-dir", o.ide_dir, error)) {
      if (error.empty() && o.ide_dir.empty()) error = "--ide-dir needs a folder name";
    } else if (std::string value; TakeValue(args, i, "--exclude", value, error) ||
                                  TakeValue(args, i, "--include", value, error) ||
                                  TakeValue(args, i, "--extra", value, error)) {
      if (!error.empty()) break;
      const std::string name = arg.substr(0, arg.find('='));
      if (value.empty()) {
        error = name + " needs a value";
        break;
      }
      const ListEdit::Kind kind = name == "--exclude"   ? ListEdit::Kind::Exclude
                                  : name == "--include" ? ListEdit::Kind::Include
                                                        : ListEdit::Kind::Extra;
      o.edits.push_back({kind, value});
    } else if (TakeValue(args, i, "--delphi", delphi, error)) {
      if (!error.empty()) break;
      if (delphi == "3") {
        o.delphi_version = 3;
      } else if (delphi == "4") {
        o.delphi_version = 4;
      } else {
        error = "--delphi takes 3 or 4, not \"" + delphi + "\"";
      }
    } else {
      error = "unknown option " + arg;
    }
  }
  if (!error.empty() || o.help || o.version) return parsed;
  if (positional.empty()) {
    error = "no project file given";
  } else if (positional.size() > 2) {
    error = "too many arguments (from \"" + positional[2] + "\" on)";
  } else {
    o.project = positional[0];
    if (positional.size() == 2) o.target = positional[1];
    if (o.project.empty()) error = "the project file name is empty";
    if (positional.size() == 2 && o.target.empty()) error = "the target folder name is empty";
  }
  return parsed;
}

std::string UsageText() {
  return "Usage: pbackup [options] PROJECT.dpr [TARGET_DIR]\n"
         "\n"
         "Backs up a project: the project file and its companion files, its main units, the\n"
         "units they use (found along the project's and the IDE's search paths) and the extra\n"
         "files of the project's settings, flat into TARGET_DIR. Without TARGET_DIR the\n"
         "destination saved for the project is used. Paths may be Linux paths or Windows paths\n"
         "of the Wine prefix ($WINEPREFIX, default ~/.wine).\n"
         "\n"
         "Options:\n"
         "  --log FILE      write the backup log to FILE (default: the project's log file)\n"
         "  --delphi 3|4    the IDE version whose library path is used (default 4)\n"
         "  --yes, -y       overwrite an earlier backup in TARGET_DIR without asking\n"
         "  --ide-dir DIR   the IDE's program folder, which holds ProjectBackup.ini\n"
         "  --exclude UNIT  add UNIT (a unit name or unit file) to the excluded units\n"
         "  --include UNIT  remove one entry UNIT from the excluded units\n"
         "  --extra FILE    add FILE to the extra files\n"
         "                  (edited lists are saved in the project's settings file)\n"
         "  --help, -h      show this text\n"
         "  --version       show the version\n"
         "\n"
         "The log is printed on standard output. Exit status: 0 success, 1 units missing,\n"
         "2 errors or a refused overwrite.\n";
}

}  // namespace zk::cli
