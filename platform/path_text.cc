#include "platform/path_text.h"

#include <algorithm>

namespace zk {
namespace {

char FoldUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char FoldLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Index of the last separator or drive mark, or npos.
size_t LastDelimiter(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i) {
    if (IsPathDelimiter(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

// Index of the dot that starts the extension, or npos when the name part has none.
size_t ExtensionDot(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i) {
    const char c = path[i - 1];
    if (c == '.') return i - 1;
    if (IsPathDelimiter(c)) break;
  }
  return std::string_view::npos;
}

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

bool IsPathDelimiter(char c) { return IsPathSeparator(c) || c == ':'; }

std::string ExtractFilePath(std::string_view path) {
  const size_t pos = LastDelimiter(path);
  if (pos == std::string_view::npos) return {};
  return std::string(path.substr(0, pos + 1));
}

std::string ExtractFileName(std::string_view path) {
  const size_t pos = LastDelimiter(path);
  if (pos == std::string_view::npos) return std::string(path);
  return std::string(path.substr(pos + 1));
}

std::string ExtractFileExt(std::string_view path) {
  const size_t dot = ExtensionDot(path);
  if (dot == std::string_view::npos) return {};
  return std::string(path.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
  const size_t dot = ExtensionDot(path);
  std::string result(path.substr(0, dot == std::string_view::npos ? path.size() : dot));
  result += ext;
  return result;
}

// The drive letter keeps the case it was written in, as the old run-time did.
std::string ExtractFileDrive(std::string_view path) {
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    return std::string(path.substr(0, 2));
  }
  return {};
}

std::string AddBackslash(std::string_view folder) {
  std::string result(folder);
  if (result.empty() || IsPathSeparator(result.back())) return result;
  const bool linux_style = result.find('/') != std::string::npos &&
                           result.find('\\') == std::string::npos;
  result += linux_style ? '/' : '\\';
  return result;
}

std::string UpperCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), FoldUpper);
  return result;
}

std::string LowerCase(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), FoldLower);
  return result;
}

// Folds to upper case before comparing, so `_` sorts after the letters as it did on Windows.
int CompareText(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const auto ca = static_cast<unsigned char>(FoldUpper(a[i]));
    const auto cb = static_cast<unsigned char>(FoldUpper(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldUpper(a[i]) != FoldUpper(b[i])) return false;
  }
  return true;
}

std::string Trim(std::string_view text) {
  auto is_space = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && is_space(text[begin])) ++begin;
  while (end > begin && is_space(text[end - 1])) --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace zk
