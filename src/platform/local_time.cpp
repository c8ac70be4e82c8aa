// The meter's start times and local breakdowns, the same search on every
// system; the system supplies only the breakdowns of an instant.
#include "platform/local_time.h"

#include <limits>

#include "platform/calendar.h"
#include "platform/local_time_impl.h"

namespace rqx340 {

namespace {

// Local fields back to seconds, as glibc's mktime with tm_isdst = -1 answers
// in a fresh process. glibc's own mktime starts its search from the offset of
// its previous result, so a local time that occurs twice (the hour when
// daylight saving ends) would get an answer that depends on which times the
// process converted before: a measurement's start would then change with the
// other files of its folder. This walks the same search from offset 0 every
// time.
std::int64_t LocalFieldsToTime(const std::tm& requested) {
  const std::int64_t wanted = FieldsAsUtcSeconds(requested);
  std::int64_t t = wanted;
  std::int64_t t1 = t;
  std::int64_t t2 = t;
  bool dst2 = false;
  for (int probes = 6;; --probes) {
    std::tm local{};
    if (!sys::LocalBreakDown(t, local)) return -1;
    const std::int64_t guess = t + (wanted - FieldsAsUtcSeconds(local));
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
  std::tm fields{};
  if (!sys::UtcBreakDown(seconds, fields)) return -1;
  sys::RefreshTimeZone();
  const std::int64_t local = LocalFieldsToTime(fields);
  if (local < 0 || local > std::numeric_limits<std::int32_t>::max()) return -1;
  return local;
}

bool TimeToLocalTm(std::int64_t time, std::tm& tm) {
  std::tm utc{};
  const bool have_utc = sys::UtcBreakDown(time, utc);
  if (have_utc) tm = utc;
  sys::RefreshTimeZone();
  std::tm local{};
  if (sys::LocalBreakDown(time, local)) {
    tm = local;
    return true;
  }
  return have_utc;
}

}  // namespace rqx340
