// Start times and local breakdowns with the C library's time zone data.
#include "platform/local_time.h"

#include <time.h>

#include <chrono>
#include <cstdlib>
#include <limits>
#include <string>

#include "platform/calendar.h"

namespace rqx340 {

namespace {

// glibc's mktime with tm_isdst = -1, as it answers in a fresh process. glibc's
// own mktime starts its search from the offset of its previous result, so a
// local time that occurs twice (the hour when daylight saving ends) would get
// an answer that depends on which times the process converted before: a
// measurement's start would then change with the other files of its folder.
// This walks the same search from offset 0 every time.
std::int64_t LocalFieldsToTime(const struct tm& requested) {
  const std::int64_t wanted = FieldsAsUtcSeconds(requested);
  std::int64_t t = wanted;
  std::int64_t t1 = t;
  std::int64_t t2 = t;
  bool dst2 = false;
  for (int probes = 6;; --probes) {
    const time_t probe = static_cast<time_t>(t);
    struct tm local {};
    if (localtime_r(&probe, &local) == nullptr) return -1;
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

// tzset() reads the zone again on every call: with TZ unset that is a lookup
// of /etc/localtime per converted time, one per file of a folder scan. The zone
// is taken again whenever TZ changes, and otherwise at most once a second, so a
// change of the system's zone still shows within a second. Per thread, as
// nothing here is shared.
void RefreshTimeZone() {
  struct Seen {
    bool valid = false;
    bool has_tz = false;
    std::string tz;
    std::chrono::steady_clock::time_point at;
  };
  thread_local Seen seen;
  const char* tz = std::getenv("TZ");
  const auto now = std::chrono::steady_clock::now();
  if (seen.valid && seen.has_tz == (tz != nullptr) && (tz == nullptr || seen.tz == tz) &&
      now - seen.at < std::chrono::seconds(1)) {
    return;
  }
  tzset();
  seen.valid = true;
  seen.has_tz = tz != nullptr;
  seen.tz = tz != nullptr ? tz : "";
  seen.at = now;
}

}  // namespace

std::int64_t ConvertStartTime(std::int64_t seconds) {
  const time_t utc = static_cast<time_t>(seconds);
  struct tm fields {};
  if (gmtime_r(&utc, &fields) == nullptr) return -1;
  RefreshTimeZone();  // localtime_r alone may keep a stale zone
  const std::int64_t local = LocalFieldsToTime(fields);
  if (local < 0 || local > std::numeric_limits<std::int32_t>::max()) return -1;
  return local;
}

bool TimeToLocalTm(std::int64_t time, std::tm& tm) {
  const time_t value = static_cast<time_t>(time);
  struct tm utc {};
  const bool have_utc = gmtime_r(&value, &utc) != nullptr;
  if (have_utc) tm = utc;
  RefreshTimeZone();
  struct tm local {};
  if (localtime_r(&value, &local) != nullptr) {
    tm = local;
    return true;
  }
  return have_utc;
}

}  // namespace rqx340
