// pbackup: backs up a project from the command line. See UsageText().

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "cli/pbackup_options.h"
#include "cli/pbackup_run.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const std::vector<std::string> args(argv + 1, argv + argc);
  const zk::cli::ParsedArguments parsed = zk::cli::ParseArguments(args);
  if (!parsed.error.empty()) {
    std::cerr << "pbackup: " << parsed.error << "\nTry 'pbackup --help' for more information."
              << std::endl;
    return zk::cli::kExitError;
  }
  if (parsed.options.help) {
    std::cout << zk::cli::UsageText();
    return zk::cli::kExitSuccess;
  }
  if (parsed.options.version) {
    std::cout << "pbackup " ZK_VERSION "\n";
    return zk::cli::kExitSuccess;
  }
  return zk::cli::RunPbackup(parsed.options, std::cout, std::cerr);
}
