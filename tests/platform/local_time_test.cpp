#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scoped_env.h"

namespace rqx340 {
namespace {

TEST(LocalTimeTest, StartTimeTakesClockReadingAsLocalTime) {
  struct Case {
    const char* zone;
    std::int64_t seconds;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"UTC", 1500000000, 1500000000},
      {"Europe/Berlin", 1500000000, 1499992800},  // July: UTC+2
      {"Europe/Berlin", 1484000000, 1483996400},  // January: UTC+1
      {"America/New_York", 1500000000, 1500014400},
      {"UTC", 0, 0},
      {"Europe/Berlin", 0, -1},  // local midnight 1970 is before the epoch
      {"UTC", 2147483647, 2147483647},
      {"UTC", 2147483648, -1},
      {"UTC", -5, -1},
      {"UTC", INT64_MAX, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.seconds));
    test::ScopedEnv tz("TZ", c.zone);
    EXPECT_EQ(ConvertStartTime(c.seconds), c.expected);
  }
}

TEST(LocalTimeTest, TimeToLocalTmUsesCurrentZone) {
  std::tm tm{};
  {
    test::ScopedEnv tz("TZ", "UTC");
    ASSERT_TRUE(TimeToLocalTm(1500000000, tm));
    EXPECT_EQ(tm.tm_hour, 2);
  }
  {
    test::ScopedEnv tz("TZ", "Europe/Berlin");
    ASSERT_TRUE(TimeToLocalTm(1500000000, tm));
    EXPECT_EQ(tm.tm_hour, 4);
    EXPECT_EQ(tm.tm_year, 117);
  }
  std::tm untouched{};
  untouched.tm_year = 42;
  EXPECT_FALSE(TimeToLocalTm(INT64_MAX, untouched));
  EXPECT_EQ(untouched.tm_year, 42);
}

}  // namespace
}  // namespace rqx340
