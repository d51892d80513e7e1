#pragma once

#include <ctime>
#include <string>

namespace zk {

// The locale's short date, a blank and its long time (%x %X under LC_TIME).
std::string DateTimeToStr(std::time_t when);
std::string NowText();

}  // namespace zk
