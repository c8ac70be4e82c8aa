// Start times and local breakdowns with the C library's time zone data.
#include "platform/local_time.h"

#include <time.h>

#include <limits>

namespace rqx340 {

namespace {

// Days from 1970-01-01 to the given proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t day_of_era =
      year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + day_of_era - 719468;
}

// The broken-down fields read as if they were UTC.
std::int64_t FieldsAsSeconds(const struct tm& fields) {
  const std::int64_t days =
      DaysFromCivil(static_cast<std::int64_t>(fields.tm_year) + 1900,
                    static_cast<unsigned>(fields.tm_mon + 1), static_cast<unsigned>(fields.tm_mday));
  return days * 86400 + fields.tm_hour * 3600 + fields.tm_min * 60 + fields.tm_sec;
}

// glibc's mktime with tm_isdst = -1, as it answers in a fresh process. glibc's
// own mktime starts its search from the offset of its previous result, so a
// local time that occurs twice (the hour when daylight saving ends) would get
// an answer that depends on which times the process converted before: a
// measurement's start would then change with the other files of its folder.
// This walks the same search from offset 0 every time.
std::int64_t LocalFieldsToTime(const struct tm& requested) {
  const std::int64_t wanted = FieldsAsSeconds(requested);
  std::int64_t t = wanted;
  std::int64_t t1 = t;
  std::int64_t t2 = t;
  bool dst2 = false;
  for (int probes = 6;; --probes) {
    const time_t probe = static_cast<time_t>(t);
    struct tm local {};
    if (localtime_r(&probe, &local) == nullptr) return -1;
    const std::int64_t guess = t + (wanted - FieldsAsSeconds(local));
    if (guess == t) return t;
    // Oscillating between two values: the time falls into a spring-forward
    // gap. Like glibc, prefer the daylight-saving side.
    if (t == t1 && t != t2 && (local.tm_isdst < 0 || dst2 <= (local.tm_isdst != 0))) return t;
    if (probes == 1) return -1;
    t1 = t2;
    t2 = t;
    t = guess;
    dst2 = local.tm_isdst != 0;
  }
}

}  // namespace

std::int64_t ConvertStartTime(std::int64_t seconds) {
  const time_t utc = static_cast<time_t>(seconds);
  struct tm fields {};
  if (gmtime_r(&utc, &fields) == nullptr) return -1;
  tzset();  // localtime_r alone may keep a stale zone
  const std::int64_t local = LocalFieldsToTime(fields);
  if (local < 0 || local > std::numeric_limits<std::int32_t>::max()) return -1;
  return local;
}

bool TimeToLocalTm(std::int64_t time, std::tm& tm) {
  const time_t value = static_cast<time_t>(time);
  struct tm utc {};
  const bool have_utc = gmtime_r(&value, &utc) != nullptr;
  if (have_utc) tm = utc;
  tzset();
  struct tm local {};
  if (localtime_r(&value, &local) != nullptr) {
    tm = local;
    return true;
  }
  return have_utc;
}

}  // namespace rqx340
