#include "platform/program_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>

#include "platform/home_folder.h"

namespace zk {
namespace {

// One per process: the host sets it, every package loaded into the process reads it.
std::mutex g_mutex;
std::string g_override;

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

std::string DefaultFolder() {
  // XDG says a relative XDG_CONFIG_HOME is invalid and must be ignored.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return WithSlash(config) + "zkide/";
  const std::string home = HomeFolder();
  return WithSlash(home.empty() ? std::string("/tmp") : home) + ".config/zkide/";
}

// mkdir -p; a folder that cannot be made shows up later as a file that cannot be written,
// with a message that names it.
void MakeFolders(const std::string& folder) {
  for (size_t pos = 1; pos <= folder.size(); ++pos) {
    if (pos == folder.size() || folder[pos] == '/') {
      const std::string part = folder.substr(0, pos);
      if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return;
    }
  }
}

}  // namespace

std::string ProgramFolder() {
  std::string folder;
  {
    const std::lock_guard lock(g_mutex);
    folder = g_override.empty() ? DefaultFolder() : g_override;
  }
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0) MakeFolders(folder);
  return folder;
}

void SetProgramFolder(std::string folder) {
  const std::lock_guard lock(g_mutex);
  g_override = folder.empty() ? std::string() : WithSlash(std::move(folder));
}

}  // namespace zk
