#include "platform/date_time.h"

namespace zk {

std::string DateTimeToStr(std::time_t when) {
  std::tm local{};
  if (::localtime_r(&when, &local) == nullptr) return {};
  char buffer[256];
  const size_t length = std::strftime(buffer, sizeof buffer, "%x %X", &local);
  return std::string(buffer, length);
}

std::string NowText() { return DateTimeToStr(std::time(nullptr)); }

}  // namespace zk
