#pragma once
// File operations on path texts (resolved through ResolvePath). Writes replace files atomically:
// a failure never leaves a truncated file where a good one was.

#include <string>
#include <string_view>
#include <vector>

namespace zk {

// Outcome of an operation that the user may have to act on. `error` names the file and the
// cause, e.g. "cannot write /x/y.ini: Permission denied".
struct OpResult {
  bool ok = true;
  std::string error;
  explicit operator bool() const { return ok; }
  static OpResult Ok() { return {}; }
  static OpResult Fail(std::string message) { return {false, std::move(message)}; }
};

// True for an existing file that is not a folder.
bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);
// The names of the entries of a folder (given as a Linux path) that are files, not folders, in
// byte order. False when the folder cannot be listed.
bool ListFiles(const std::string& linux_folder, std::vector<std::string>& names);

// One level; false when it exists already or cannot be made.
bool CreateDir(std::string_view path);
// An empty folder.
bool RemoveDir(std::string_view path);

// Copies `source` onto `dest`, replacing it: temporary file in dest's folder, then rename. Keeps
// the source's modification time and permission bits. A read-only (mode bits) destination fails.
OpResult CopyFileReplace(std::string_view source, std::string_view dest);

// Whole file as bytes.
OpResult ReadFileBytes(std::string_view path, std::string& bytes);
// Replaces the file with `bytes` atomically (temporary file + fsync + rename).
OpResult WriteFileAtomic(std::string_view path, std::string_view bytes);

// Lines end at CR, LF or CR LF; a last line without an end counts; an empty file has no lines.
std::vector<std::string> SplitLines(std::string_view bytes);
OpResult ReadTextLines(std::string_view path, std::vector<std::string>& lines);
// Every line followed by CR LF, replacing the file atomically.
OpResult WriteTextLines(std::string_view path, const std::vector<std::string>& lines);

// Reads a text file line by line, as a Pascal text file is read.
class TextReader {
 public:
  // False when the file cannot be opened or read; error() says why.
  bool Open(std::string_view path);
  // False at the end of the file.
  bool ReadLine(std::string& line);
  bool AtEnd() const;
  const std::string& error() const { return error_; }

 private:
  std::string bytes_;
  size_t pos_ = 0;
  std::string error_;
};

}  // namespace zk
