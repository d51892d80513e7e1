#pragma once
// Runs a program and measures its wall time and peak memory.

#include <string>
#include <vector>

namespace zk::bench {

struct RunResult {
  int exit_code = -1;
  double seconds = 0;
  double cpu_seconds = 0;  // user + system of the child
  long peak_rss_kb = 0;
};

// `env` entries are "NAME=value" added to this process's environment. Standard output goes to
// `stdout_file` when given, else to /dev/null.
RunResult RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const std::string& stdout_file = {});

double Median(std::vector<double> values);

// User + system time this process has used so far.
double SelfCpuSeconds();

}  // namespace zk::bench
