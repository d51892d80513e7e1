#pragma once
// Runs a program and measures its wall time and peak memory.

#include <string>
#include <vector>

namespace zk::bench {

struct RunResult {
  int exit_code = -1;
  double seconds = 0;
  long peak_rss_kb = 0;
};

// `env` entries are "NAME=value" added to this process's environment. Standard output goes to
// `stdout_file` when given, else to /dev/null.
RunResult RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const std::string& stdout_file = {});

double Median(std::vector<double> values);

}  // namespace zk::bench
