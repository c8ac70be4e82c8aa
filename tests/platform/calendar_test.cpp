// Calendar arithmetic against dates whose day numbers are known.
#include "platform/calendar.h"

#include <gtest/gtest.h>

#include <limits>

namespace rqx340 {
namespace {

TEST(CalendarTest, DaysAndSecondsFromCivilDates) {
  struct Case {
    int year;
    unsigned month;
    unsigned day;
    std::int64_t days;
  };
  const Case cases[] = {
      {1970, 1, 1, 0},      {1969, 12, 31, -1},   {2000, 2, 29, 11016},  {2000, 3, 1, 11017},
      {1900, 3, 1, -25508}, {2038, 1, 19, 24855}, {1601, 1, 1, -134774}, {9999, 12, 31, 2932896},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.year) + "-" + std::to_string(c.month) + "-" +
                 std::to_string(c.day));
    EXPECT_EQ(DaysFromCivil(c.year, c.month, c.day), c.days);
    std::tm fields{};
    fields.tm_year = c.year - 1900;
    fields.tm_mon = static_cast<int>(c.month) - 1;
    fields.tm_mday = static_cast<int>(c.day);
    fields.tm_hour = 3;
    fields.tm_min = 14;
    fields.tm_sec = 7;
    EXPECT_EQ(FieldsAsUtcSeconds(fields), c.days * 86400 + 3 * 3600 + 14 * 60 + 7);
  }
}

// The breakdown Windows builds its local times on, field by field as gmtime_r
// gives it, across leap days, the epoch and years far from it.
TEST(CalendarTest, BreaksDownUtcSeconds) {
  struct Case {
    std::int64_t time;
    int year, month, day, hour, minute, second, weekday, year_day;
  };
  const Case cases[] = {
      {0, 1970, 1, 1, 0, 0, 0, 4, 0},
      {-1, 1969, 12, 31, 23, 59, 59, 3, 364},
      {951782400, 2000, 2, 29, 0, 0, 0, 2, 59},
      {2147483647, 2038, 1, 19, 3, 14, 7, 2, 18},
      {-11644473600, 1601, 1, 1, 0, 0, 0, 1, 0},
      {253402300799, 9999, 12, 31, 23, 59, 59, 5, 364},
      {-62135596800, 1, 1, 1, 0, 0, 0, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.time);
    std::tm tm{};
    tm.tm_isdst = 1;
    ASSERT_TRUE(BreakDownUtc(c.time, tm));
    EXPECT_EQ(tm.tm_year, c.year - 1900);
    EXPECT_EQ(tm.tm_mon, c.month - 1);
    EXPECT_EQ(tm.tm_mday, c.day);
    EXPECT_EQ(tm.tm_hour, c.hour);
    EXPECT_EQ(tm.tm_min, c.minute);
    EXPECT_EQ(tm.tm_sec, c.second);
    EXPECT_EQ(tm.tm_wday, c.weekday);
    EXPECT_EQ(tm.tm_yday, c.year_day);
    EXPECT_EQ(tm.tm_isdst, 0);
    EXPECT_EQ(FieldsAsUtcSeconds(tm), c.time);
  }
}

TEST(CalendarTest, RefusesYearsAnIntCannotHold) {
  for (const std::int64_t time :
       {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()}) {
    SCOPED_TRACE(time);
    std::tm tm{};
    tm.tm_year = 77;
    EXPECT_FALSE(BreakDownUtc(time, tm));
    EXPECT_EQ(tm.tm_year, 77);  // left alone
  }
}

}  // namespace
}  // namespace rqx340
