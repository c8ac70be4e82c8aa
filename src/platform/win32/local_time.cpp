// Local time with the zone rules of Windows. The calendar breakdown is done
// here, not by the C runtime: msvcrt refuses negative times and years past
// 3000, and the fields must match the POSIX build's for every instant. Windows
// supplies only the zone: the UTC offset and the daylight flag of an instant.
// TZ is not read.
#include "platform/local_time.h"

#include <algorithm>
#include <limits>

#include "platform/calendar.h"
#include "platform/win32/win32_util.h"

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

// The UTC breakdown, as gmtime_r gives it. False where tm_year cannot hold
// the year.
bool BreakDown(std::int64_t time, std::tm& tm) {
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

// The seconds from 1601 to 1970, and the instants Windows can convert.
constexpr std::int64_t kEpochFrom1601 = 11644473600;
constexpr std::int64_t kFirstCovered = -kEpochFrom1601;  // 1601-01-01
constexpr std::int64_t kLastCovered = 910670428799;  // 30827-12-30 23:59:59, a day of margin

// The UTC offset in seconds and the daylight flag at `time`; outside the
// years Windows covers, those of the nearest covered instant.
bool ZoneAt(std::int64_t time, std::int64_t& offset, bool& daylight) {
  time = std::clamp(time, kFirstCovered, kLastCovered);
  std::tm utc{};
  if (!BreakDown(time, utc)) return false;
  SYSTEMTIME system{};
  system.wYear = static_cast<WORD>(utc.tm_year + 1900);
  system.wMonth = static_cast<WORD>(utc.tm_mon + 1);
  system.wDay = static_cast<WORD>(utc.tm_mday);
  system.wDayOfWeek = static_cast<WORD>(utc.tm_wday);
  system.wHour = static_cast<WORD>(utc.tm_hour);
  system.wMinute = static_cast<WORD>(utc.tm_min);
  system.wSecond = static_cast<WORD>(utc.tm_sec);
  TIME_ZONE_INFORMATION zone{};
  const bool have_year_rules = GetTimeZoneInformationForYear(system.wYear, nullptr, &zone) != 0;
  SYSTEMTIME local{};
  if (!SystemTimeToTzSpecificLocalTime(have_year_rules ? &zone : nullptr, &system, &local)) {
    return false;
  }
  std::tm fields{};
  fields.tm_year = local.wYear - 1900;
  fields.tm_mon = local.wMonth - 1;
  fields.tm_mday = local.wDay;
  fields.tm_hour = local.wHour;
  fields.tm_min = local.wMinute;
  fields.tm_sec = local.wSecond;
  offset = FieldsAsUtcSeconds(fields) - time;
  daylight = zone.StandardDate.wMonth != 0 && zone.DaylightBias != 0 &&
             offset == -static_cast<std::int64_t>(zone.Bias + zone.DaylightBias) * 60;
  return true;
}

bool LocalBreakDown(std::int64_t time, std::tm& tm) {
  std::int64_t offset = 0;
  bool daylight = false;
  if (!ZoneAt(time, offset, daylight)) return false;
  if (!BreakDown(time + offset, tm)) return false;
  tm.tm_isdst = daylight ? 1 : 0;
  return true;
}

// Local fields back to seconds, the search the POSIX build makes with the C
// library's zone: from offset 0 every time, the daylight side in a gap.
std::int64_t LocalFieldsToTime(const std::tm& requested) {
  const std::int64_t wanted = FieldsAsUtcSeconds(requested);
  std::int64_t t = wanted;
  std::int64_t t1 = t;
  std::int64_t t2 = t;
  bool dst2 = false;
  for (int probes = 6;; --probes) {
    std::tm local{};
    if (!LocalBreakDown(t, local)) return -1;
    const std::int64_t guess = t + (wanted - FieldsAsUtcSeconds(local));
    if (guess == t) return t;
    if (t == t1 && t != t2 && dst2 <= (local.tm_isdst != 0)) return t;
    if (probes == 1) return -1;
    t1 = t2;
    t2 = t;
    t = guess;
    dst2 = local.tm_isdst != 0;
  }
}

}  // namespace

std::int64_t ConvertStartTime(std::int64_t seconds) {
  std::tm fields{};
  if (!BreakDown(seconds, fields)) return -1;
  const std::int64_t local = LocalFieldsToTime(fields);
  if (local < 0 || local > std::numeric_limits<std::int32_t>::max()) return -1;
  return local;
}

bool TimeToLocalTm(std::int64_t time, std::tm& tm) {
  std::tm utc{};
  const bool have_utc = BreakDown(time, utc);
  if (have_utc) tm = utc;
  std::tm local{};
  if (LocalBreakDown(time, local)) {
    tm = local;
    return true;
  }
  return have_utc;
}

}  // namespace rqx340
