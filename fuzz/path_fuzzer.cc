// Path resolution: any path text resolves without fault; the folder cache never changes the
// answer; a resolved path is absolute and free of "." and ".." steps; a drive path stays on its
// drive; the path text helpers keep their algebra (folder part + file part = the text).

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "fuzz/fuzz_support.h"
#include "platform/file_ops.h"
#include "platform/path_resolver.h"
#include "platform/path_text.h"

namespace {

using zk::fuzz::Check;

std::string g_drive_c;

void MakeTree() {
  const std::string prefix = zk::fuzz::WorkDir() + "prefix";
  zk::fuzz::SetUpWinePrefix(prefix, "WINE REGISTRY Version 2\n");
  g_drive_c = std::filesystem::canonical(prefix + "/drive_c").string();
  const std::string lib = g_drive_c + "/Program Files/Borland/Delphi4/Lib/";
  zk::fuzz::MakeFolders(lib);
  zk::fuzz::MakeFolders(g_drive_c + "/work/Demo/SUB");
  zk::fuzz::MakeFolders(g_drive_c + "/work/demo");
  zk::fuzz::WriteBytes(lib + "SysUtils.pas", "unit SysUtils;");
  zk::fuzz::WriteBytes(lib + "SYSUTILS.PAS", "unit SysUtils;");
  zk::fuzz::WriteBytes(lib + "Grid2.dcu", "");
  zk::fuzz::WriteBytes(g_drive_c + "/work/Demo/Demo.dpr", "program Demo;");
  std::error_code error;
  std::filesystem::create_symlink("missing-target", g_drive_c + "/work/dangling", error);
  std::filesystem::create_directory_symlink("..", g_drive_c + "/work/up", error);
  std::filesystem::create_symlink("/nonexistent/z", prefix + "/dosdevices/z:", error);
}

bool HasDotStep(const std::string& path) {
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    const std::string_view part = std::string_view(path).substr(pos, end - pos);
    if (part == "." || part == "..") return true;
    pos = end + 1;
  }
  return false;
}

void CheckTextHelpers(const std::string& text) {
  Check(zk::ExtractFilePath(text) + zk::ExtractFileName(text) == text,
        "folder part + file part = the text");
  const std::string ext = zk::ExtractFileExt(text);
  Check(text.ends_with(ext), "the extension ends the text");
  Check(zk::ChangeFileExt(text, ext) == text, "changing the extension to itself changes nothing");
  Check(zk::ExtractFileExt(zk::ChangeFileExt(text, ".pas")) == ".pas" ||
            zk::ExtractFileName(text).empty() || text.back() == '.',
        "a changed extension is found again");
  Check(zk::UpperCase(text).size() == text.size(), "upper case keeps the length");
  Check(zk::SameText(zk::UpperCase(text), zk::LowerCase(text)), "case folding is consistent");
  const std::string folder = zk::AddBackslash(text);
  Check(text.empty() ? folder.empty() : zk::IsPathSeparator(folder.back()),
        "AddBackslash ends with a separator");
  Check(zk::Trim(zk::Trim(text)) == zk::Trim(text), "Trim is idempotent");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Made on the first input, not at start-up: with -jobs the parent process runs start-up too,
  // and its current folder is where the workers' logs go.
  static const bool made = [] {
    MakeTree();
    // Relative texts resolve against this folder.
    return ::chdir((g_drive_c + "/work").c_str()) == 0;
  }();
  Check(made, "the work folder can be entered");
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckTextHelpers(text);

  const std::optional<std::string> plain = zk::ResolvePath(text);
  std::optional<std::string> cached;
  {
    zk::DirCacheScope cache;
    cached = zk::ResolvePath(text);
    // A second look-up answers from the cache.
    Check(zk::ResolvePath(text) == cached, "the cache answers as the first look-up did");
  }
  Check(plain == cached, "the folder cache does not change the answer");
  if (text.empty() || text.find('\0') != std::string::npos) {
    Check(!plain.has_value(), "empty texts and texts with NUL name no file");
    return 0;
  }
  if (!plain) {
    Check(text.size() >= 2 && text[1] == ':', "only an unmapped drive fails to resolve");
    return 0;
  }
  Check(plain->front() == '/', "a resolved path is absolute");
  Check(!HasDotStep(*plain), "a resolved path has no . or .. step");
  if (text.size() >= 2 && (text[0] == 'c' || text[0] == 'C') && text[1] == ':') {
    Check(plain->starts_with(g_drive_c), "a drive path stays on its drive");
  }
  struct stat st;
  const bool regular = ::stat(plain->c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  Check(zk::FileExists(text) == regular, "FileExists agrees with the resolved path");
  return 0;
}
