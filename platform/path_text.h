#pragma once
// Path texts as the settings files and project files hold them: Windows-style texts with `\`
// and `:` as delimiters. Linux paths go through the same helpers, so `/` is a separator too.
// None of these touch the disk.

#include <string>
#include <string_view>

namespace zk {

// `\` or `/`.
bool IsPathSeparator(char c);
// A separator or the drive mark `:`.
bool IsPathDelimiter(char c);

// Up to and including the last separator or `:`; empty when there is none.
std::string ExtractFilePath(std::string_view path);
// The text after the last separator or `:`.
std::string ExtractFileName(std::string_view path);
// From the last `.` when no delimiter follows it ("x.tar.gz" -> ".gz", "file." -> "."); else empty.
std::string ExtractFileExt(std::string_view path);
// Replaces the extension found by ExtractFileExt, or appends `ext` when there is none.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// "C:" for "C:\x" or "c:x"; empty for texts without a drive letter.
// The letter keeps the case it is written in ("c:" for "c:x").
std::string ExtractFileDrive(std::string_view path);
// Appends a separator unless the text already ends with one. The separator follows the text's own
// style: `/` for a text that holds `/` but no `\`, `\` otherwise. Empty text stays empty.
std::string AddBackslash(std::string_view folder);

// ASCII a-z only; every other byte is kept.
std::string UpperCase(std::string_view text);
std::string LowerCase(std::string_view text);
// Comparison ignoring ASCII case: <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// Strips blanks and control characters (bytes <= 0x20) at both ends.
std::string Trim(std::string_view text);

}  // namespace zk
