#pragma once
// The general exception class that hooking into the host raises; the host shows its message.

#include <stdexcept>
#include <string>

namespace zk::ide {

class Exception : public std::runtime_error {
 public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace zk::ide
