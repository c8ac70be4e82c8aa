// Time values (signed 64-bit seconds since 1970-01-01 00:00:00 UTC) and the
// computer's local time. Both functions honour TZ as it is when they are called.
#pragma once

#include <cstdint>
#include <ctime>

namespace rqx340 {

// The meter's clock runs on local time but stores its reading as if it were UTC:
// the seconds are split by UTC rules and the fields read back as local time,
// daylight saving decided by the system. -1 when the result is outside
// 0 .. 2147483647 or the UTC breakdown fails.
std::int64_t ConvertStartTime(std::int64_t seconds);

// Fills `tm` with the local breakdown of `time`; if that fails, with the UTC
// breakdown; if both fail, `tm` is left alone and the result is false.
bool TimeToLocalTm(std::int64_t time, std::tm& tm);

}  // namespace rqx340
