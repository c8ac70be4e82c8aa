// Days from a date and back by eras of 400 years, so every year is exact
// without a table.
#include "platform/calendar.h"

#include <limits>

namespace rqx340 {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Days since 1970-01-01 to year, month (1-12) and day.
void CivilFromDays(std::int64_t days, std::int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

}  // namespace

std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

std::int64_t FieldsAsUtcSeconds(const std::tm& fields) {
  const std::int64_t days = DaysFromCivil(static_cast<std::int64_t>(fields.tm_year) + 1900,
                                          static_cast<unsigned>(fields.tm_mon + 1),
                                          static_cast<unsigned>(fields.tm_mday));
  return days * 86400 + fields.tm_hour * 3600 + fields.tm_min * 60 + fields.tm_sec;
}

bool BreakDownUtc(std::int64_t time, std::tm& tm) {
  std::int64_t days = time / kSecondsPerDay;
  std::int64_t rest = time % kSecondsPerDay;
  if (rest < 0) {
    rest += kSecondsPerDay;
    --days;
  }
  std::int64_t year = 0;
  unsigned month = 0;
  unsigned day = 0;
  CivilFromDays(days, year, month, day);
  if (year - 1900 > std::numeric_limits<int>::max() ||
      year - 1900 < std::numeric_limits<int>::min()) {
    return false;
  }
  tm = {};
  tm.tm_year = static_cast<int>(year - 1900);
  tm.tm_mon = static_cast<int>(month) - 1;
  tm.tm_mday = static_cast<int>(day);
  tm.tm_hour = static_cast<int>(rest / 3600);
  tm.tm_min = static_cast<int>(rest / 60 % 60);
  tm.tm_sec = static_cast<int>(rest % 60);
  tm.tm_wday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  tm.tm_yday = static_cast<int>(days - DaysFromCivil(year, 1, 1));
  tm.tm_isdst = 0;
  return true;
}

}  // namespace rqx340
