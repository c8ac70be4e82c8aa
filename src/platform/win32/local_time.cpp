// Breakdowns with the zone rules of Windows. The calendar breakdown is done
// by the portable calendar, not by the C runtime: msvcrt refuses negative
// times and years past 3000, and the fields must match the POSIX build's for
// every instant. Windows supplies only the zone: the UTC offset and the
// daylight flag of an instant. TZ is not read.
#include <algorithm>

#include "platform/calendar.h"
#include "platform/local_time_impl.h"
#include "platform/win32/win32_util.h"

namespace rqx340::sys {

namespace {

// The seconds from 1601 to 1970, and the instants Windows can convert.
constexpr std::int64_t kEpochFrom1601 = 11644473600;
constexpr std::int64_t kFirstCovered = -kEpochFrom1601;  // 1601-01-01
constexpr std::int64_t kLastCovered = 910670428799;      // 30827-12-30 23:59:59, a day of margin

// The UTC offset in seconds and the daylight flag at `time`; outside the
// years Windows covers, those of the nearest covered instant.
bool ZoneAt(std::int64_t time, std::int64_t& offset, bool& daylight) {
  time = std::clamp(time, kFirstCovered, kLastCovered);
  std::tm utc{};
  if (!BreakDownUtc(time, utc)) return false;
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

}  // namespace

bool UtcBreakDown(std::int64_t time, std::tm& tm) { return BreakDownUtc(time, tm); }

bool LocalBreakDown(std::int64_t time, std::tm& tm) {
  std::int64_t offset = 0;
  bool daylight = false;
  if (!ZoneAt(time, offset, daylight)) return false;
  if (!BreakDownUtc(time + offset, tm)) return false;
  tm.tm_isdst = daylight ? 1 : 0;
  return true;
}

// Windows asks the zone anew on every call.
void RefreshTimeZone() {}

}  // namespace rqx340::sys
