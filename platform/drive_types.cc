#include "platform/drive_types.h"

#include <sys/stat.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/path_resolver.h"

namespace zk {
namespace {

struct Mount {
  std::string point;
  std::string device;  // "major:minor"
  std::string fs_type;
};

// Network file systems, including the FUSE ones that mount remote shares.
constexpr std::array<std::string_view, 16> kRemoteTypes = {
    "nfs",  "nfs4",  "cifs",           "smb3",      "smbfs", "sshfs",  "fuse.sshfs", "9p",
    "afs",  "ceph",  "fuse.glusterfs", "glusterfs", "ncpfs", "davfs", "fuse.davfs2", "fuse.rclone"};

// Mount points escape blanks, tabs, newlines and backslashes as \NNN octal.
std::string UnescapeMountField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() &&
        field[i + 1] >= '0' && field[i + 1] <= '3' && field[i + 2] >= '0' &&
        field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                               (field[i + 3] - '0'));
      i += 3;
    } else {
      out += field[i];
    }
  }
  return out;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    const size_t end = std::min(line.find(' ', pos), line.size());
    if (end > pos) fields.push_back(line.substr(pos, end - pos));
    pos = end;
  }
  return fields;
}

// One line of mountinfo: id parent major:minor root point options [optional...] - type source ...
std::optional<Mount> ParseMountLine(std::string_view line) {
  const std::vector<std::string_view> fields = SplitFields(line);
  if (fields.size() < 7) return std::nullopt;
  for (size_t i = 6; i + 1 < fields.size(); ++i) {
    if (fields[i] == "-") {
      return Mount{UnescapeMountField(fields[4]), std::string(fields[2]),
                   std::string(fields[i + 1])};
    }
  }
  return std::nullopt;
}

bool IsBelow(std::string_view folder, std::string_view point) {
  if (point == "/") return folder.starts_with('/');
  return folder == point ||
         (folder.starts_with(point) && folder.size() > point.size() && folder[point.size()] == '/');
}

// The mount that holds `folder`: the longest mount point above it; of equal ones the last
// listed, which covers the ones mounted before it.
std::optional<Mount> MountOf(std::string_view folder, std::string_view mountinfo) {
  std::optional<Mount> best;
  size_t pos = 0;
  while (pos < mountinfo.size()) {
    size_t end = mountinfo.find('\n', pos);
    if (end == std::string_view::npos) end = mountinfo.size();
    std::optional<Mount> mount = ParseMountLine(mountinfo.substr(pos, end - pos));
    pos = end + 1;
    if (!mount || !IsBelow(folder, mount->point)) continue;
    if (!best || mount->point.size() >= best->point.size()) best = std::move(mount);
  }
  return best;
}

bool ReadFlag(const std::string& file) {
  std::ifstream in(file);
  char c = '0';
  return in >> c && c == '1';
}

bool FileExistsPlain(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// A partition has no flag worth reading of its own; its disk, the folder above it, has.
bool IsRemovableDevice(const std::string& sys_dev_block, const std::string& device) {
  if (device.empty() || device.starts_with("0:")) return false;  // no block device behind it
  const std::string node = sys_dev_block + "/" + device;
  if (FileExistsPlain(node + "/removable")) return ReadFlag(node + "/removable");
  if (!FileExistsPlain(node + "/partition")) return false;
  char real[PATH_MAX];
  if (::realpath(node.c_str(), real) == nullptr) return false;
  return ReadFlag(std::string(real) + "/../removable");
}

std::string ReadWholeFile(const char* path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

DriveType DriveTypeOfFolder(std::string_view folder, std::string_view mountinfo,
                            const std::string& sys_dev_block) {
  const std::optional<Mount> mount = MountOf(folder, mountinfo);
  if (!mount) return DriveType::Other;
  for (std::string_view remote : kRemoteTypes) {
    if (mount->fs_type == remote) return DriveType::Remote;
  }
  if (IsRemovableDevice(sys_dev_block, mount->device)) return DriveType::Removable;
  return DriveType::Other;
}

DriveType GetDriveType(char letter) {
  const std::optional<std::string> root = DriveRoot(letter);
  if (!root) return DriveType::NoRootDir;
  return DriveTypeOfFolder(*root, ReadWholeFile("/proc/self/mountinfo"), "/sys/dev/block");
}

}  // namespace zk
