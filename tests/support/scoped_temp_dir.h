#pragma once
// A real temporary folder for a test, removed with everything in it afterwards.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace zk::test {

class ScopedTempDir {
 public:
  ScopedTempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "zktest-XXXXXX").string();
    if (!mkdtemp(templ.data())) std::abort();
    path_ = templ;
  }
  ~ScopedTempDir() {
    std::error_code ec;
    // Tests make files read-only; give permissions back so removal works without root.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The folder with a trailing '/'.
  std::string dir() const { return path_.string() + "/"; }
  std::string operator/(std::string_view name) const { return (path_ / name).string(); }

  // Writes a file (creating its folders) and returns its path.
  std::string Write(std::string_view relative, std::string_view content) const {
    auto file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << content;
    return file.string();
  }
  std::string Read(std::string_view relative) const {
    std::ifstream in(path_ / relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  std::filesystem::path path_;
};

}  // namespace zk::test
