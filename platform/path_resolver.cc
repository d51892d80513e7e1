#include "platform/path_resolver.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/home_folder.h"
#include "platform/path_text.h"

namespace zk {
namespace {

// One folder's entries: sorted by byte order for exact look-ups, and an index from the
// upper-cased name to the first entry in byte order with that name, for the case-blind ones.
struct Listing {
  bool readable = false;
  // A hash set, not a sorted vector: a backup adds thousands of entries to one target folder,
  // and each insertion must not move all the others.
  std::unordered_set<std::string> names;
  std::unordered_map<std::string, std::string> folded;
};

struct CacheState {
  int depth = 0;
  std::unordered_map<std::string, Listing> listings;
  std::unordered_map<std::string, std::optional<std::string>> drive_roots;
};

thread_local CacheState t_cache;

bool CacheActive() { return t_cache.depth > 0; }

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string result = folder;
  if (result.empty() || result.back() != '/') result += '/';
  result += name;
  return result;
}

std::string StripTrailingSlashes(std::string_view path) {
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  return std::string(path);
}

std::string ParentOf(const std::string& path) {
  const size_t pos = path.rfind('/');
  if (pos == std::string::npos) return {};
  if (pos == 0) return "/";
  return path.substr(0, pos);
}

std::string NameOf(const std::string& path) {
  const size_t pos = path.rfind('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ReadFolderNames(const std::string& folder, std::vector<std::string>& names) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return false;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    names.emplace_back(name);
  }
  ::closedir(dir);
  return true;
}

void IndexFolded(Listing& listing, const std::string& name) {
  auto [it, inserted] = listing.folded.try_emplace(UpperCase(name), name);
  if (!inserted && name < it->second) it->second = name;
}

Listing ListFolder(const std::string& folder) {
  Listing listing;
  std::vector<std::string> names;
  listing.readable = ReadFolderNames(folder, names);
  for (std::string& name : names) {
    IndexFolded(listing, name);
    listing.names.insert(std::move(name));
  }
  return listing;
}

const Listing& CachedListing(const std::string& folder) {
  auto it = t_cache.listings.find(folder);
  if (it == t_cache.listings.end()) {
    it = t_cache.listings.emplace(folder, ListFolder(folder)).first;
  }
  return it->second;
}

// Drops the listings of `path` and of everything below it.
void DropListingsFrom(const std::string& path) {
  const std::string below = path == "/" ? path : path + "/";
  for (auto it = t_cache.listings.begin(); it != t_cache.listings.end();) {
    if (it->first == path || it->first.starts_with(below)) {
      it = t_cache.listings.erase(it);
    } else {
      ++it;
    }
  }
}

bool LinkExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` that `name` stands for: the exact name when it exists, else the first
// entry in byte order that matches ignoring case. Nothing when neither exists.
std::optional<std::string> MatchUncached(const std::string& folder, std::string_view name) {
  const std::string exact = JoinPath(folder, name);
  if (LinkExists(exact)) return std::string(name);
  if (errno != ENOENT) return std::nullopt;
  std::vector<std::string> names;
  if (!ReadFolderNames(folder, names)) return std::nullopt;
  const std::string* best = nullptr;
  for (const std::string& candidate : names) {
    if (SameText(candidate, name) && (best == nullptr || candidate < *best)) best = &candidate;
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

std::optional<std::string> MatchCached(const std::string& folder, std::string_view name) {
  const Listing& listing = CachedListing(folder);
  if (!listing.readable) {
    // A folder we may pass through but not list: only the exact name can be found.
    if (LinkExists(JoinPath(folder, name))) return std::string(name);
    return std::nullopt;
  }
  if (listing.names.contains(std::string(name))) {
    return std::string(name);
  }
  const auto it = listing.folded.find(UpperCase(name));
  if (it == listing.folded.end()) return std::nullopt;
  return it->second;
}

std::optional<std::string> MatchComponent(const std::string& folder, std::string_view name) {
  return CacheActive() ? MatchCached(folder, name) : MatchUncached(folder, name);
}

std::optional<std::string> ReadDriveLink(const std::string& link) {
  char buffer[PATH_MAX];
  if (::realpath(link.c_str(), buffer) == nullptr) return std::nullopt;
  std::string target = buffer;
  if (!IsDirectory(target)) return std::nullopt;
  return target;
}

// The resolved path grows one component at a time; `..` must be able to go back, and a
// component that does not exist means nothing below it can exist either.
class PathBuilder {
 public:
  PathBuilder(std::string root) : path_(std::move(root)) {}

  void Enter(std::string_view written) {
    const bool parent_missing = !levels_.empty() && levels_.back().missing;
    std::optional<std::string> actual;
    if (!parent_missing) actual = MatchComponent(path_, written);
    levels_.push_back({path_.size(), !actual.has_value()});
    path_ = JoinPath(path_, actual ? *actual : std::string(written));
  }

  // Steps up, but never above the root the builder started from.
  void Leave() {
    if (levels_.empty()) return;
    path_.resize(levels_.back().length);
    levels_.pop_back();
  }

  // Some component named nothing that exists.
  bool missing() const {
    return std::any_of(levels_.begin(), levels_.end(), [](const Level& l) { return l.missing; });
  }

  std::string Finish(bool trailing_separator) {
    if (trailing_separator && path_.back() != '/') path_ += '/';
    return path_;
  }

 private:
  struct Level {
    size_t length;
    bool missing;
  };
  std::string path_;
  std::vector<Level> levels_;
};

void EnterComponents(PathBuilder& builder, std::string_view text) {
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = pos;
    while (end < text.size() && !IsPathSeparator(text[end])) ++end;
    const std::string_view part = text.substr(pos, end - pos);
    if (part == "..") {
      builder.Leave();
    } else if (!part.empty() && part != ".") {
      builder.Enter(part);
    }
    pos = end + 1;
  }
}

std::optional<std::string> CurrentFolder() {
  std::vector<char> buffer(PATH_MAX);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data());
}

}  // namespace

std::string WinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
    return StripTrailingSlashes(prefix);
  }
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  const std::string fallback = JoinPath(home, ".wine");
  return IsDirectory(fallback) ? fallback : std::string();
}

std::optional<std::string> DriveRoot(char letter) {
  if (!IsAsciiLetter(letter)) return std::nullopt;
  const std::string prefix = WinePrefix();
  if (prefix.empty()) return std::nullopt;
  std::string link = JoinPath(prefix, "dosdevices/");
  link += LowerCase(std::string_view(&letter, 1));
  link += ':';
  if (!CacheActive()) return ReadDriveLink(link);
  auto it = t_cache.drive_roots.find(link);
  if (it == t_cache.drive_roots.end()) {
    it = t_cache.drive_roots.emplace(link, ReadDriveLink(link)).first;
  }
  return it->second;
}

std::optional<std::string> ResolvePath(std::string_view text) {
  return ResolvePath(text, nullptr);
}

std::optional<std::string> ResolvePath(std::string_view text, bool* missing) {
  if (missing != nullptr) *missing = false;
  if (text.empty() || text.find('\0') != std::string_view::npos) return std::nullopt;
  const bool trailing_separator = IsPathSeparator(text.back());
  if (text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':') {
    // A drive's root is the top: `C:\..` stays on C:, as it does on Windows.
    std::optional<std::string> root = DriveRoot(text[0]);
    if (!root) return std::nullopt;
    PathBuilder builder(*root);
    EnterComponents(builder, text.substr(2));
    if (missing != nullptr) *missing = builder.missing();
    return builder.Finish(trailing_separator);
  }
  PathBuilder builder("/");
  if (!IsPathSeparator(text[0])) {
    const std::optional<std::string> cwd = CurrentFolder();
    if (!cwd) return std::nullopt;
    EnterComponents(builder, *cwd);
  }
  EnterComponents(builder, text);
  if (missing != nullptr) *missing = builder.missing();
  return builder.Finish(trailing_separator);
}

DirCacheScope::DirCacheScope() : outermost_(t_cache.depth == 0) { ++t_cache.depth; }

DirCacheScope::~DirCacheScope() {
  --t_cache.depth;
  if (outermost_) {
    t_cache.listings.clear();
    t_cache.drive_roots.clear();
  }
}

void InvalidateDirCache(std::string_view linux_path) {
  if (!CacheActive() || linux_path.empty()) return;
  const std::string path = StripTrailingSlashes(linux_path);
  DropListingsFrom(path);
  const std::string parent = ParentOf(path);
  if (!parent.empty()) t_cache.listings.erase(parent);
  // A drive link may be among what changed.
  t_cache.drive_roots.clear();
}

namespace {

// An entry of a cached folder changed: what was cached for it is stale, and the folder's own
// listing (returned, or null when it is not cached) must be brought up to date. Only a removal
// can leave listings below the entry; an addition, done for every file a backup copies, must not
// walk all the cached listings.
Listing* ListingChangedAt(const std::string& path, bool removed) {
  if (removed) {
    DropListingsFrom(path);
  } else {
    t_cache.listings.erase(path);
  }
  const auto it = t_cache.listings.find(ParentOf(path));
  return it == t_cache.listings.end() ? nullptr : &it->second;
}

}  // namespace

void NoteDirEntryAdded(std::string_view linux_path) {
  if (!CacheActive() || linux_path.empty()) return;
  const std::string path = StripTrailingSlashes(linux_path);
  Listing* listing = ListingChangedAt(path, false);
  if (listing == nullptr) return;
  if (!listing->readable) {
    t_cache.listings.erase(ParentOf(path));
    return;
  }
  const std::string name = NameOf(path);
  if (listing->names.insert(name).second) IndexFolded(*listing, name);
}

void NoteDirEntryRemoved(std::string_view linux_path) {
  if (!CacheActive() || linux_path.empty()) return;
  const std::string path = StripTrailingSlashes(linux_path);
  Listing* found = ListingChangedAt(path, true);
  if (found == nullptr) return;
  Listing& listing = *found;
  const std::string name = NameOf(path);
  if (listing.names.erase(name) == 0) return;
  const std::string key = UpperCase(name);
  const auto folded = listing.folded.find(key);
  if (folded == listing.folded.end() || folded->second != name) return;
  // The removed entry was the first of its case-blind group: the next one in byte order takes over.
  listing.folded.erase(folded);
  for (const std::string& other : listing.names) {
    if (SameText(other, name)) IndexFolded(listing, other);
  }
}

}  // namespace zk
