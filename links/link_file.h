#pragma once
// The link list file: where it lives, what seeds it, the maker's entry that heads it and how a
// line splits into a description and an address. The file is 8-bit text, one
// "description|URL" line each, CR LF after every line.

#include <string>
#include <string_view>
#include <vector>

namespace zk::links {

inline constexpr std::string_view kLinkFileBaseName = "ZkDelphiLinks.dat";

// The maker's addresses, shown in the dialog and used by the built-in list.
inline constexpr std::string_view kMakerURL = "http://quorvin.example.com/";
inline constexpr std::string_view kMakerDelphiURL = "http://quorvin.example.com/delphi/";
inline constexpr std::string_view kPelloraURL = "http://quorvin.example.com/pellora/";

// Full path of the link list file: the base name alone until the package is loaded, then the
// host's program folder followed by the base name.
const std::string& LinkFileName();
// Fixes LinkFileName from the current program folder. The package load runs it; so do tests
// after pointing the program folder elsewhere.
void InitLinkFileName();
// Run when the package is unloaded.
void ClearLinkFileName();

// The line that always heads the list; the file's first line is compared with it byte for byte.
const std::string& MakerEntryLine();
// The list a missing file is created with, maker's entry first.
const std::vector<std::string>& DefaultLinkLines();

struct LinkEntry {
  std::string description;
  std::string url;
  friend bool operator==(const LinkEntry&, const LinkEntry&) = default;
};
// Splits at the first '|'; later bars belong to the URL. Without a bar the description is empty
// and the whole line is the URL. Nothing is trimmed.
LinkEntry SplitLinkLine(std::string_view line);
std::string JoinLinkLine(std::string_view description, std::string_view url);

// What opening the list found. `error` names the file and the cause of the first failure.
struct LinkFileContents {
  std::vector<std::string> lines;
  std::string error;
  // The file is there but could not be read: what it holds is unknown, so it must not be
  // replaced by what the dialog shows.
  bool unread = false;
};
// Creates a missing file with the built-in list, puts the maker's entry above a first line that
// differs from it (and rewrites the file then), and returns the lines. An empty file stays empty.
// When the file cannot be written the lines are still returned with the error; when it cannot be
// read there are no lines.
LinkFileContents LoadLinkLines(const std::string& path);

}  // namespace zk::links
