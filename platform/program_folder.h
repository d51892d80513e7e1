#pragma once
// The host's program folder: where the global backup settings and the link list live.

#include <string>

namespace zk {

// With a trailing `/`. $XDG_CONFIG_HOME/zkide/ (default ~/.config/zkide/) unless the host set
// another with SetProgramFolder. Created when needed.
std::string ProgramFolder();
// Empty text goes back to the default.
void SetProgramFolder(std::string folder);

}  // namespace zk
