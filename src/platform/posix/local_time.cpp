#include "platform/local_time.h"

#include <time.h>

#include <limits>

namespace rqx340 {

std::int64_t ConvertStartTime(std::int64_t seconds) {
  const time_t utc = static_cast<time_t>(seconds);
  struct tm fields {};
  if (gmtime_r(&utc, &fields) == nullptr) return -1;
  fields.tm_isdst = -1;
  const time_t local = mktime(&fields);  // calls tzset, so a changed TZ counts
  if (local < 0 || local > std::numeric_limits<std::int32_t>::max()) return -1;
  return local;
}

bool TimeToLocalTm(std::int64_t time, std::tm& tm) {
  const time_t value = static_cast<time_t>(time);
  struct tm utc {};
  const bool have_utc = gmtime_r(&value, &utc) != nullptr;
  if (have_utc) tm = utc;
  tzset();  // localtime_r alone may keep a stale zone
  struct tm local {};
  if (localtime_r(&value, &local) != nullptr) {
    tm = local;
    return true;
  }
  return have_utc;
}

}  // namespace rqx340
