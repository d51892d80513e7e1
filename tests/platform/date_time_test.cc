#include "platform/date_time.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "tests/platform/scoped_temp_dir.h"

namespace zk {
namespace {

using testing::ScopedEnv;

class DateTimeTest : public ::testing::Test {
 protected:
  DateTimeTest() : tz_("TZ", "UTC") {
    ::tzset();
    std::setlocale(LC_TIME, "C");
  }
  ~DateTimeTest() override { ::tzset(); }
  ScopedEnv tz_;
};

TEST_F(DateTimeTest, ShortDateBlankLongTimeOfTheCLocale) {
  EXPECT_EQ(DateTimeToStr(1700000000), "11/14/23 22:13:20");
  // Midnight keeps its time: the text is only ever shown, never parsed back.
  EXPECT_EQ(DateTimeToStr(1699920000), "11/14/23 00:00:00");
}

TEST_F(DateTimeTest, FollowsTheLocalTimeZone) {
  ScopedEnv tz("TZ", "UTC-2");
  ::tzset();
  EXPECT_EQ(DateTimeToStr(1700000000), "11/15/23 00:13:20");
}

TEST_F(DateTimeTest, NowIsTheCurrentTime) {
  const std::time_t before = std::time(nullptr);
  const std::string now = NowText();
  const std::time_t after = std::time(nullptr);
  EXPECT_TRUE(now == DateTimeToStr(before) || now == DateTimeToStr(after)) << now;
}

}  // namespace
}  // namespace zk
