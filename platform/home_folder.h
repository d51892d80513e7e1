#pragma once

#include <string>

namespace zk {

// $HOME, else the password database's entry for this user; empty when neither is known.
std::string HomeFolder();

}  // namespace zk
