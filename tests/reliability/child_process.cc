#include "tests/reliability/child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <filesystem>

namespace zk::test {

namespace {

constexpr uid_t kNobody = 65534;

using Clock = std::chrono::steady_clock;

// Reads everything from `fd` until the child closes it or the deadline passes; then reaps the
// child, killing it if it still runs.
ChildOutcome Collect(pid_t pid, int fd, Clock::time_point start,
                     std::chrono::milliseconds deadline) {
  ChildOutcome outcome;
  const Clock::time_point end = start + deadline;
  bool open = true;
  while (open) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    if (left.count() <= 0) break;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      open = false;
    } else {
      outcome.report.append(buffer, static_cast<size_t>(got));
    }
  }
  ::close(fd);
  int status = 0;
  // The pipe may close a moment before the child is gone; give it until the deadline.
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      outcome.finished = true;
      break;
    }
    if (Clock::now() >= end) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      break;
    }
    ::usleep(2000);
  }
  outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (WIFEXITED(status)) outcome.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) outcome.signal = WTERMSIG(status);
  return outcome;
}

void WriteAllTo(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

ChildOutcome RunInChild(const std::function<std::string()>& work,
                        std::chrono::milliseconds deadline) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return {};
  const Clock::time_point start = Clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) {
    ::close(fds[0]);
    ::close(fds[1]);
    return {};
  }
  if (pid == 0) {
    ::close(fds[0]);
    int code = 0;
    std::string report;
    try {
      report = work();
    } catch (const std::exception& error) {
      report = std::string("exception: ") + error.what();
      code = 3;
    }
    WriteAllTo(fds[1], report);
    ::close(fds[1]);
    // No exit handlers: the parent's test state must not be flushed twice.
    ::_exit(code);
  }
  ::close(fds[1]);
  return Collect(pid, fds[0], start, deadline);
}

ChildOutcome RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds deadline,
                        std::string* output) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return {};
  const Clock::time_point start = Clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return {};
  if (pid == 0) {
    ::dup2(fds[1], 1);
    ::dup2(fds[1], 2);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  ::close(fds[1]);
  ChildOutcome outcome = Collect(pid, fds[0], start, deadline);
  if (output != nullptr) *output = outcome.report;
  return outcome;
}

bool RunningAsRoot() { return ::geteuid() == 0; }

bool CanRunUnprivileged(const std::string& folder) {
  if (!RunningAsRoot()) return true;
  std::error_code error;
  for (std::filesystem::path p = std::filesystem::path(folder).parent_path();
       p != p.root_path(); p = p.parent_path()) {
    const auto perms = std::filesystem::status(p, error).permissions();
    if (error || (perms & std::filesystem::perms::others_exec) == std::filesystem::perms::none) {
      return false;
    }
  }
  return true;
}

bool BecomeUnprivilegedOwnerOf(const std::string& folder) {
  if (!RunningAsRoot()) return true;
  if (!CanRunUnprivileged(folder)) return false;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (::lchown(it->path().c_str(), kNobody, kNobody) != 0) return false;
  }
  if (::lchown(folder.c_str(), kNobody, kNobody) != 0) return false;
  return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

}  // namespace zk::test
