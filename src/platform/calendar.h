// Calendar arithmetic in the proleptic Gregorian calendar, without time zones:
// what every system's half of local time needs to compare broken-down times.
#pragma once

#include <cstdint>
#include <ctime>

namespace rqx340 {

// Days from 1970-01-01 to the given date.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day);

// The broken-down fields read as if they were UTC: seconds since 1970-01-01.
std::int64_t FieldsAsUtcSeconds(const std::tm& fields);

// The UTC breakdown of `time`, as gmtime_r gives it (tm_isdst 0). False, and
// `tm` left alone, where tm_year cannot hold the year.
bool BreakDownUtc(std::int64_t time, std::tm& tm);

}  // namespace rqx340
