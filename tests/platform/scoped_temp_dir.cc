#include "tests/platform/scoped_temp_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace zk::testing {
namespace fs = std::filesystem;

ScopedTempDir::ScopedTempDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") +
                        "/zkplatform-test-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot make a temporary folder from " << pattern;
    return;
  }
  // Symlinked temp roots would make resolved paths differ from what the tests compute.
  path_ = fs::canonical(pattern).string();
}

ScopedTempDir::~ScopedTempDir() {
  if (path_.empty()) return;
  std::error_code error;
  // Tests make folders read-only; give write access back so everything can go.
  for (auto it = fs::recursive_directory_iterator(path_, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_directory(error) && !it->is_symlink(error)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    }
  }
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

std::string ScopedTempDir::Join(std::string_view relative) const {
  return path_ + "/" + std::string(relative);
}

void ScopedTempDir::WriteFile(std::string_view relative, std::string_view bytes) const {
  const fs::path file = Join(relative);
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << file;
}

std::string ScopedTempDir::ReadFile(std::string_view relative) const {
  std::ifstream in(Join(relative), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void ScopedTempDir::MakeDirs(std::string_view relative) const {
  fs::create_directories(Join(relative));
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
  const char* old = std::getenv(name);
  had_value_ = old != nullptr;
  if (had_value_) old_value_ = old;
  if (value != nullptr) {
    ::setenv(name, value, 1);
  } else {
    ::unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (had_value_) {
    ::setenv(name_.c_str(), old_value_.c_str(), 1);
  } else {
    ::unsetenv(name_.c_str());
  }
}

ScopedCwd::ScopedCwd(const std::string& folder) : old_(fs::current_path().string()) {
  fs::current_path(folder);
}

ScopedCwd::~ScopedCwd() {
  std::error_code error;
  fs::current_path(old_, error);
}

bool RunningAsRoot() { return ::geteuid() == 0; }

}  // namespace zk::testing
