#include "platform/file_ops.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>

#include "platform/path_resolver.h"

namespace zk {
namespace {

std::string ErrnoText(int error) { return std::strerror(error); }

std::string FolderOf(const std::string& path) {
  const size_t pos = path.rfind('/');
  if (pos == std::string::npos) return ".";
  if (pos == 0) return "/";
  return path.substr(0, pos);
}

std::string NameOf(const std::string& path) {
  const size_t pos = path.rfind('/');
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

// Closes the descriptor on every path out of a function.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Close(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// A file next to the target that becomes the target only in Commit(). Where the file system
// allows it, the file has no name until then (O_TMPFILE), so a process killed while writing it
// leaves nothing behind; elsewhere it is a hidden file, removed again unless committed.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    CloseNow();
    if (!path_.empty()) ::unlink(path_.c_str());
  }

  // 0 or the errno of the failure. `mode` is handed to open() and so filtered by the umask.
  int Create(const std::string& target, mode_t mode) {
    folder_ = FolderOf(target);
    stem_ = NameOf(target).substr(0, 200);  // room for the suffix within the 255-byte limit
    const int fd = ::open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
    if (fd >= 0) {
      fd_ = fd;
      anonymous_ = true;
      return 0;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string candidate = HiddenName();
      const int named = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
      if (named >= 0) {
        fd_ = named;
        path_ = std::move(candidate);
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  int fd() const { return fd_; }

  // 0 or the errno of close(): network file systems report write errors late. A nameless file
  // stays open until Commit() has given it a name.
  int Close() { return anonymous_ ? 0 : CloseNow(); }

  // 0 or the errno of giving the file its target's name.
  int Commit(const std::string& target) {
    // The name exists only between these two calls: a kill in between is the one way to leave
    // the temporary file behind.
    if (anonymous_) {
      if (const int error = LinkAnonymous()) return error;
    }
    if (::rename(path_.c_str(), target.c_str()) != 0) return errno;
    path_.clear();
    CloseNow();
    return 0;
  }

 private:
  std::string HiddenName() {
    thread_local std::mt19937_64 random{std::random_device{}()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                  static_cast<unsigned long long>(random() & 0xffffffffffffULL));
    return folder_ + "/." + stem_ + suffix;
  }

  // A name for the nameless file, just long enough to rename it over the target.
  int LinkAnonymous() {
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string candidate = HiddenName();
      if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, candidate.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        path_ = std::move(candidate);
        return 0;
      }
      if (errno != EEXIST) return errno;
    }
    return EEXIST;
  }

  int CloseNow() {
    if (fd_ < 0) return 0;
    const int result = ::close(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
  }

  int fd_ = -1;
  bool anonymous_ = false;
  std::string folder_;
  std::string stem_;
  std::string path_;
};

int WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return 0;
}

int CopyByReadWrite(int from, int to) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t got = ::read(from, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (got == 0) return 0;
    if (const int error = WriteAll(to, buffer.data(), static_cast<size_t>(got))) return error;
  }
}

bool KernelCopyUnsupported(int error) {
  return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP ||
         error == EBADF;
}

// Lets the kernel copy (copy_file_range, else sendfile); plain read/write where neither works.
// Both descriptors are at offset 0 when it is called.
int CopyContents(int from, int to) {
  constexpr size_t kChunk = size_t{1} << 30;
  bool any = false;
  for (;;) {
    const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, kChunk, 0);
    if (copied > 0) {
      any = true;
      continue;
    }
    if (copied == 0) {
      if (any) return 0;
      break;  // some file systems report 0 for files they cannot copy this way
    }
    if (errno == EINTR) continue;
    if (any || !KernelCopyUnsupported(errno)) return errno;
    break;
  }
  for (;;) {
    const ssize_t sent = ::sendfile(to, from, nullptr, kChunk);
    if (sent > 0) {
      any = true;
      continue;
    }
    if (sent == 0) {
      if (any) return 0;
      break;
    }
    if (errno == EINTR) continue;
    if (any || !KernelCopyUnsupported(errno)) return errno;
    break;
  }
  // Nothing was copied yet, so both offsets are still where they started.
  return CopyByReadWrite(from, to);
}

// Windows refuses to replace a file with the read-only attribute. Our equivalent is a file that
// nobody may write according to its mode bits; root would be allowed by open(), so look at the
// bits ourselves, then ask the kernel whether we may write it at all.
bool IsWriteProtected(const std::string& path, const struct stat& st) {
  if ((st.st_mode & 0222) == 0) return true;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

// Writes go to what a symbolic link points at, so the link itself survives the replacement.
std::string FollowLink(const std::string& path) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char buffer[PATH_MAX];
  if (::realpath(path.c_str(), buffer) != nullptr) return buffer;
  return path;
}

void SyncFolder(const std::string& folder) {
  const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) ::fsync(dir.get());
}

std::string UnresolvedCause(std::string_view text) {
  if (text.empty()) return "empty file name";
  if (text.find('\0') != std::string_view::npos) return "invalid file name";
  return "the drive is not mapped";
}

std::string Shown(std::string_view text) {
  std::string shown(text);
  for (char& c : shown) {
    if (c == '\0') c = '?';
  }
  return shown;
}

// Opens a regular file for reading; the cause of a failure, else empty text.
std::string OpenSource(const std::string& path, Fd& fd, struct stat& st) {
  // O_NONBLOCK keeps a FIFO from blocking the open; it is cleared again for the reads.
  fd = Fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return "cannot open the source: " + ErrnoText(errno);
  if (::fstat(fd.get(), &st) != 0) return ErrnoText(errno);
  if (S_ISDIR(st.st_mode)) return ErrnoText(EISDIR);
  if (!S_ISREG(st.st_mode)) return "the source is not a regular file";
  ::fcntl(fd.get(), F_SETFL, 0);
  return {};
}

// Copies the open source into a temporary file beside `target`, gives it the source's mode and
// modification time and renames it over `target`. The cause of a failure, else empty text.
std::string CopyToTarget(int from, const struct stat& src, const std::string& target) {
  TempFile temp;
  if (const int error = temp.Create(target, 0600)) {
    return "cannot create a file in " + FolderOf(target) + ": " + ErrnoText(error);
  }
  if (const int error = CopyContents(from, temp.fd())) return ErrnoText(error);
  if (::fchmod(temp.fd(), src.st_mode & 07777) != 0) return ErrnoText(errno);
  const struct timespec times[2] = {{0, UTIME_OMIT}, src.st_mtim};
  if (::futimens(temp.fd(), times) != 0) return ErrnoText(errno);
  if (const int error = temp.Close()) return ErrnoText(error);
  if (const int error = temp.Commit(target)) return ErrnoText(error);
  return {};
}

}  // namespace

bool FileExists(std::string_view path) {
  bool missing = false;
  const std::optional<std::string> resolved = ResolvePath(path, &missing);
  struct stat st;
  return resolved && !missing && ::stat(resolved->c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool ListFiles(const std::string& linux_folder, std::vector<std::string>& names) {
  DIR* dir = ::opendir(linux_folder.c_str());
  if (dir == nullptr) return false;
  const int dir_fd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool file = entry->d_type == DT_REG;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      // A link counts as what it points to, as opening it by name would.
      struct stat st;
      file = ::fstatat(dir_fd, entry->d_name, &st, 0) == 0 && !S_ISDIR(st.st_mode);
    } else if (entry->d_type != DT_DIR) {
      file = true;  // devices and pipes are not folders either
    }
    if (file) names.emplace_back(name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return true;
}

bool DirectoryExists(std::string_view path) {
  const std::optional<std::string> resolved = ResolvePath(path);
  struct stat st;
  return resolved && ::stat(resolved->c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDir(std::string_view path) {
  const std::optional<std::string> resolved = ResolvePath(path);
  if (!resolved || ::mkdir(resolved->c_str(), 0777) != 0) return false;
  NoteDirEntryAdded(*resolved);
  return true;
}

bool RemoveDir(std::string_view path) {
  const std::optional<std::string> resolved = ResolvePath(path);
  if (!resolved || ::rmdir(resolved->c_str()) != 0) return false;
  NoteDirEntryRemoved(*resolved);
  return true;
}

OpResult CopyFileReplace(std::string_view source, std::string_view dest) {
  const std::optional<std::string> from = ResolvePath(source);
  const std::optional<std::string> to_text = ResolvePath(dest);
  const std::string prefix = "cannot copy " + (from ? *from : Shown(source)) + " to " +
                             (to_text ? *to_text : Shown(dest)) + ": ";
  if (!from) return OpResult::Fail(prefix + UnresolvedCause(source));
  if (!to_text) return OpResult::Fail(prefix + UnresolvedCause(dest));
  const std::string to = FollowLink(*to_text);

  Fd in;
  struct stat src;
  if (std::string cause = OpenSource(*from, in, src); !cause.empty()) {
    return OpResult::Fail(prefix + cause);
  }
  struct stat dst;
  if (::stat(to.c_str(), &dst) == 0) {
    if (S_ISDIR(dst.st_mode)) return OpResult::Fail(prefix + ErrnoText(EISDIR));
    // Copying a file onto itself would leave it as it is; there is nothing to do.
    if (dst.st_dev == src.st_dev && dst.st_ino == src.st_ino) return OpResult::Ok();
    if (IsWriteProtected(to, dst)) {
      return OpResult::Fail(prefix + ErrnoText(EACCES) + " (the destination is read-only)");
    }
  }
  if (std::string cause = CopyToTarget(in.get(), src, to); !cause.empty()) {
    return OpResult::Fail(prefix + cause);
  }
  NoteDirEntryAdded(to);
  if (to != *to_text) NoteDirEntryAdded(*to_text);
  return OpResult::Ok();
}

OpResult ReadFileBytes(std::string_view path, std::string& bytes) {
  bytes.clear();
  const std::optional<std::string> resolved = ResolvePath(path);
  if (!resolved) return OpResult::Fail("cannot read " + Shown(path) + ": " + UnresolvedCause(path));
  const std::string prefix = "cannot read " + *resolved + ": ";
  Fd fd(::open(resolved->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid()) return OpResult::Fail(prefix + ErrnoText(errno));
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) return OpResult::Fail(prefix + ErrnoText(errno));
  if (S_ISDIR(st.st_mode)) return OpResult::Fail(prefix + ErrnoText(EISDIR));
  if (!S_ISREG(st.st_mode)) return OpResult::Fail(prefix + "not a regular file");
  ::fcntl(fd.get(), F_SETFL, 0);
  // The size is a hint: the file may grow or shrink while it is read.
  bytes.reserve(static_cast<size_t>(st.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      bytes.clear();
      return OpResult::Fail(prefix + ErrnoText(error));
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  return OpResult::Ok();
}

OpResult WriteFileAtomic(std::string_view path, std::string_view bytes) {
  const std::optional<std::string> resolved = ResolvePath(path);
  if (!resolved) {
    return OpResult::Fail("cannot write " + Shown(path) + ": " + UnresolvedCause(path));
  }
  const std::string target = FollowLink(*resolved);
  const std::string prefix = "cannot write " + target + ": ";

  struct stat old;
  const bool replacing = ::stat(target.c_str(), &old) == 0;
  if (replacing) {
    if (S_ISDIR(old.st_mode)) return OpResult::Fail(prefix + ErrnoText(EISDIR));
    if (IsWriteProtected(target, old)) {
      return OpResult::Fail(prefix + ErrnoText(EACCES) + " (the file is read-only)");
    }
  }

  TempFile temp;
  // A new file gets the usual 0666 less the umask, which open() applies for us.
  if (const int error = temp.Create(target, 0666)) return OpResult::Fail(prefix + ErrnoText(error));
  if (const int error = WriteAll(temp.fd(), bytes.data(), bytes.size())) {
    return OpResult::Fail(prefix + ErrnoText(error));
  }
  if (replacing) {
    // Keep the replaced file's owner where we may (root editing a user's file) and its mode.
    if (::fchown(temp.fd(), old.st_uid, old.st_gid) != 0) { /* not ours to give away */ }
    if (::fchmod(temp.fd(), old.st_mode & 07777) != 0) {
      return OpResult::Fail(prefix + ErrnoText(errno));
    }
  }
  if (::fsync(temp.fd()) != 0) return OpResult::Fail(prefix + ErrnoText(errno));
  if (const int error = temp.Close()) return OpResult::Fail(prefix + ErrnoText(error));
  if (const int error = temp.Commit(target)) return OpResult::Fail(prefix + ErrnoText(error));
  SyncFolder(FolderOf(target));
  NoteDirEntryAdded(target);
  if (target != *resolved) NoteDirEntryAdded(*resolved);
  return OpResult::Ok();
}

std::vector<std::string> SplitLines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
      lines.emplace_back(bytes.substr(pos));
      break;
    }
    lines.emplace_back(bytes.substr(pos, end - pos));
    pos = end + 1;
    if (bytes[end] == '\r' && pos < bytes.size() && bytes[pos] == '\n') ++pos;
  }
  return lines;
}

OpResult ReadTextLines(std::string_view path, std::vector<std::string>& lines) {
  std::string bytes;
  OpResult result = ReadFileBytes(path, bytes);
  lines = result ? SplitLines(bytes) : std::vector<std::string>();
  return result;
}

OpResult WriteTextLines(std::string_view path, const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string bytes;
  bytes.reserve(size);
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return WriteFileAtomic(path, bytes);
}

bool TextReader::Open(std::string_view path) {
  pos_ = 0;
  error_.clear();
  const OpResult result = ReadFileBytes(path, bytes_);
  if (!result) {
    error_ = result.error;
    bytes_.clear();
    return false;
  }
  return true;
}

bool TextReader::ReadLine(std::string& line) {
  line.clear();
  if (AtEnd()) return false;
  const std::string_view rest = std::string_view(bytes_).substr(pos_);
  const size_t end = rest.find_first_of("\r\n");
  if (end == std::string_view::npos) {
    line.assign(rest);
    pos_ = bytes_.size();
    return true;
  }
  line.assign(rest.substr(0, end));
  pos_ += end + 1;
  if (rest[end] == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n') ++pos_;
  return true;
}

bool TextReader::AtEnd() const { return pos_ >= bytes_.size(); }

}  // namespace zk
