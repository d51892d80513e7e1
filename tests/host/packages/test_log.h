#pragma once
// Test packages report what happened to them as lines appended to the file named by
// $ZK_TEST_PACKAGE_LOG, which outlives the package once the host has unloaded it.

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zk::test {

inline void PackageLog(const std::string& line) {
  const char* path = std::getenv("ZK_TEST_PACKAGE_LOG");
  if (path == nullptr || *path == '\0') return;
  if (FILE* file = std::fopen(path, "a")) {
    std::fprintf(file, "%s\n", line.c_str());
    std::fclose(file);
  }
}

}  // namespace zk::test
