#pragma once
// Work that may hang, crash or must run with other limits goes into a child process: a hang
// fails the test at its deadline instead of blocking the suite.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace zk::test {

struct ChildOutcome {
  bool finished = false;  // ended before the deadline (else it was killed)
  int exit_code = -1;     // when it exited normally
  int signal = 0;         // when a signal ended it
  std::string report;     // what the work returned
  double seconds = 0;     // how long it ran
};

// Runs `work` in a forked child and hands back the text it returns. A child still running at
// the deadline is killed with SIGKILL. An exception escaping `work` is reported as
// "exception: <what>" with exit code 3.
ChildOutcome RunInChild(const std::function<std::string()>& work,
                        std::chrono::milliseconds deadline);

// Runs a program with arguments (no shell), its output in `output`; the same deadline rule.
ChildOutcome RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds deadline,
                        std::string* output = nullptr);

// Whether this process runs as root, for whom permission bits do not stop reads and writes.
bool RunningAsRoot();
// Whether BecomeUnprivilegedOwnerOf can work for `folder`: not root, or every folder above it
// lets other users pass (the test then skips rather than change system folders).
bool CanRunUnprivileged(const std::string& folder);
// In a child of a root process: give `folder` (recursively) to the unprivileged user "nobody"
// and become that user, so that permission bits apply. Nothing when not root. False on failure.
bool BecomeUnprivilegedOwnerOf(const std::string& folder);

}  // namespace zk::test
