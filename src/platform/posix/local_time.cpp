// Breakdowns with the C library's time zone data.
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/local_time_impl.h"

namespace rqx340::sys {

bool UtcBreakDown(std::int64_t time, std::tm& tm) {
  const time_t value = static_cast<time_t>(time);
  return gmtime_r(&value, &tm) != nullptr;
}

bool LocalBreakDown(std::int64_t time, std::tm& tm) {
  const time_t value = static_cast<time_t>(time);
  return localtime_r(&value, &tm) != nullptr;
}

// localtime_r alone may keep a stale zone, and tzset() reads the zone again on
// every call: with TZ unset that is a lookup of /etc/localtime per converted
// time, one per file of a folder scan. The zone is taken again whenever TZ
// changes, and otherwise at most once a second, so a change of the system's
// zone still shows within a second. Per thread, as nothing here is shared.
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

}  // namespace rqx340::sys
