#pragma once
// Runs a program as a user would from a shell: its own current folder, standard input from
// /dev/null, standard output and error captured.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace zk::test {

struct ProgramResult {
  int exit_code = -1;
  std::string out;
  std::string err;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// `env` entries replace or add variables of the test's own environment.
inline ProgramResult RunProgram(const std::vector<std::string>& argv,
                                const std::map<std::string, std::string>& env,
                                const std::string& cwd, const std::string& scratch) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    const size_t eq = entry.find('=');
    if (eq != std::string::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const auto& [k, v] : env) vars[k] = v;
  std::vector<std::string> env_strings;
  for (const auto& [k, v] : vars) env_strings.push_back(k + "=" + v);

  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);

  const std::string out_file = scratch + "/stdout.txt";
  const std::string err_file = scratch + "/stderr.txt";
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0 || ::chdir(cwd.c_str()) != 0) {
      ::_exit(127);
    }
    ::execve(args[0], args.data(), envp.data());
    ::_exit(127);
  }
  ProgramResult result;
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
    result.exit_code = WEXITSTATUS(status);
  result.out = ReadWhole(out_file);
  result.err = ReadWhole(err_file);
  return result;
}

}  // namespace zk::test
