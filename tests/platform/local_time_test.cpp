#include "platform/local_time.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scoped_env.h"
#include "support/system.h"

namespace rqx340 {
namespace {

TEST(LocalTimeTest, StartTimeTakesClockReadingAsLocalTime) {
  RQX340_POSIX_ONLY("the zone from TZ");
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
      // The hour that occurs twice when daylight saving ends, and the hour
      // skipped when it starts.
      {"Europe/Berlin", 1635647400, 1635643800},     // 2021-10-31 02:30: the later one
      {"America/New_York", 1636248600, 1636263000},  // 2021-11-07 01:30: the earlier one
      {"Europe/Berlin", 1616898600, 1616895000},     // 2021-03-28 02:30 reads as 03:30
      {"America/New_York", 1615689000, 1615707000},  // 2021-03-14 02:30 reads as 03:30
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.seconds));
    test::ScopedEnv tz("TZ", c.zone);
    EXPECT_EQ(ConvertStartTime(c.seconds), c.expected);
  }
}

// A measurement's start must not depend on which other measurements the same
// process converted before it.
TEST(LocalTimeTest, StartTimeDoesNotDependOnEarlierConversions) {
  test::ScopedEnv tz("TZ", "Europe/Berlin");
  const std::int64_t alone = ConvertStartTime(1635647400);
  for (const std::int64_t earlier : {1625140800LL, 1609502400LL, 1635643800LL, 1635651000LL}) {
    SCOPED_TRACE(earlier);
    ConvertStartTime(earlier);
    EXPECT_EQ(ConvertStartTime(1635647400), alone);
  }
}

TEST(LocalTimeTest, TimeToLocalTmUsesCurrentZone) {
  RQX340_POSIX_ONLY("the zone from TZ");
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
