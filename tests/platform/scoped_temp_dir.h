#pragma once
// A real folder under $TMPDIR (default /tmp) for one test, removed with everything in it.

#include <string>
#include <string_view>

namespace zk::testing {

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  // Absolute, without a trailing `/`.
  const std::string& path() const { return path_; }
  // path() + "/" + relative.
  std::string Join(std::string_view relative) const;

  // Writes a file below the folder, making the folders on the way.
  void WriteFile(std::string_view relative, std::string_view bytes) const;
  std::string ReadFile(std::string_view relative) const;
  void MakeDirs(std::string_view relative) const;

 private:
  std::string path_;
};

// Sets (or with nullptr unsets) an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  bool had_value_;
  std::string old_value_;
};

// Makes a folder the current folder for the life of the object.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& folder);
  ~ScopedCwd();
  ScopedCwd(const ScopedCwd&) = delete;
  ScopedCwd& operator=(const ScopedCwd&) = delete;

 private:
  std::string old_;
};

// True when the process may ignore file permissions (root in a container).
bool RunningAsRoot();

}  // namespace zk::testing
