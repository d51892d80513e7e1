#include "fuzz/fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace zk::fuzz {

namespace fs = std::filesystem;

namespace {

std::string BaseTempFolder() {
  if (const char* dir = std::getenv("ZK_FUZZ_TMPDIR"); dir != nullptr && *dir != '\0') return dir;
  // Every write is fsync'ed; a memory file system keeps that cheap.
  std::error_code error;
  if (fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  return fs::temp_directory_path(error).string();
}

std::string& WorkDirStorage() {
  static std::string dir;
  return dir;
}

void RemoveWorkDir() {
  std::error_code error;
  if (!WorkDirStorage().empty()) fs::remove_all(WorkDirStorage(), error);
}

}  // namespace

const std::string& WorkDir() {
  std::string& dir = WorkDirStorage();
  if (dir.empty()) {
    std::string templ = BaseTempFolder() + "/zkfuzz-XXXXXX";
    if (::mkdtemp(templ.data()) == nullptr) {
      std::perror("zkfuzz: cannot create a work folder");
      std::abort();
    }
    dir = templ + "/";
    std::atexit(RemoveWorkDir);
  }
  return dir;
}

void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "zkfuzz: cannot write fixture %s\n", path.c_str());
    std::abort();
  }
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void MakeFolders(const std::string& path) {
  std::error_code error;
  fs::create_directories(path, error);
}

void RemoveFolderContents(const std::string& path) {
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
    fs::remove_all(entry.path(), error);
  }
}

std::vector<std::string> FolderNames(const std::string& path) {
  std::vector<std::string> names;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

void SetUpWinePrefix(const std::string& dir, std::string_view user_reg) {
  MakeFolders(dir + "/drive_c");
  MakeFolders(dir + "/dosdevices");
  std::error_code error;
  fs::remove(dir + "/dosdevices/c:", error);
  fs::create_directory_symlink("../drive_c", dir + "/dosdevices/c:", error);
  WriteBytes(dir + "/user.reg", user_reg);
  ::setenv("WINEPREFIX", dir.c_str(), 1);
}

void Check(bool condition, const char* property) {
  if (condition) return;
  std::fprintf(stderr, "zkfuzz: property violated: %s\n", property);
  std::abort();
}

std::string ProfileValueAsRead(std::string_view written) {
  std::string value;
  for (char c : written) {
    if (c != '\r' && c != '\n') value += c;
  }
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  size_t begin = 0;
  size_t end = value.size();
  while (begin < end && blank(value[begin])) ++begin;
  while (end > begin && blank(value[end - 1])) --end;
  value = value.substr(begin, end - begin);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace zk::fuzz
