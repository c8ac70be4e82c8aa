// Days from a date by eras of 400 years, so every year is exact without a table.
#include "platform/calendar.h"

namespace rqx340 {

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

}  // namespace rqx340
