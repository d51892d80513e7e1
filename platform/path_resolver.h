#pragma once
// Maps a path text to a real Linux path the way a Windows program under Wine would see it:
// drive letters through the Wine prefix's dosdevices, `\` and `/` both separators, and every
// component matched exactly first, else ignoring ASCII case (several matches: the first in byte
// order). Relative texts resolve against the current folder.

#include <optional>
#include <string>
#include <string_view>

namespace zk {

// $WINEPREFIX, else ~/.wine when that folder exists, else empty.
std::string WinePrefix();

// The Linux folder a drive letter maps to ($WINEPREFIX/dosdevices/x:), or nothing when the
// letter is not mapped or its link dangles.
std::optional<std::string> DriveRoot(char letter);

// The Linux path for a path text. Components that do not exist are kept as written, so the
// result can name a file that is about to be created. Nothing for texts that cannot name a
// file: empty, holding NUL, or on an unmapped drive. `..` steps up lexically.
std::optional<std::string> ResolvePath(std::string_view text);
// The same; `*missing` tells whether some component named nothing that exists, so callers that
// only ask "is it there" need no further system call inside a DirCacheScope.
std::optional<std::string> ResolvePath(std::string_view text, bool* missing);

// While an object of this class lives (per thread), folder listings used for case-insensitive
// matching are read once and reused. The file operations of this library keep the cache in step
// with what they create and remove themselves.
class DirCacheScope {
 public:
  DirCacheScope();
  ~DirCacheScope();
  DirCacheScope(const DirCacheScope&) = delete;
  DirCacheScope& operator=(const DirCacheScope&) = delete;

 private:
  bool outermost_;
};

// Tell an active cache that `linux_path` was created or removed by someone else.
void InvalidateDirCache(std::string_view linux_path);

// Keep an active cache in step with an entry the caller has just created or removed itself
// (cheaper than InvalidateDirCache: the folder's listing is updated, not read again).
void NoteDirEntryAdded(std::string_view linux_path);
void NoteDirEntryRemoved(std::string_view linux_path);

}  // namespace zk
