// Calendar arithmetic against dates whose day numbers are known.
#include "platform/calendar.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace rqx340
