#pragma once
// Shared by the host tests: an offscreen application, the built test packages and the log
// those packages write.

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/scoped_temp_dir.h"

namespace zk::test {

inline QApplication& TestApplication() {
  static int argc = 1;
  static char name[] = "zkhost_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

#ifdef ZK_TEST_PACKAGE_DIR
// A test package built beside the tests, by its target name.
inline std::string TestPackage(const std::string& name) {
  return std::string(ZK_TEST_PACKAGE_DIR) + "/" + name + ".so";
}
#endif

// Points the packages' log at a fresh file for the life of the object.
class PackageLogFile {
 public:
  PackageLogFile() : path_(dir_ / "packages.log") {
    setenv("ZK_TEST_PACKAGE_LOG", path_.c_str(), 1);
  }
  ~PackageLogFile() { unsetenv("ZK_TEST_PACKAGE_LOG"); }

  const std::string& path() const { return path_; }
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  int Count(const std::string& line) const {
    auto lines = Lines();
    return int(std::count(lines.begin(), lines.end(), line));
  }
  // Position of the first such line, or -1.
  int IndexOf(const std::string& line) const {
    auto lines = Lines();
    auto it = std::find(lines.begin(), lines.end(), line);
    return it == lines.end() ? -1 : int(it - lines.begin());
  }

 private:
  ScopedTempDir dir_;
  std::string path_;
};

}  // namespace zk::test
