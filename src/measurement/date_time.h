// Date and time texts in the user's short-date and time formats.
#pragma once

#include <cstdint>
#include <string>

namespace rqx340 {

// The local date and time of `time` (seconds since 1970-01-01 00:00:00 UTC) as
// "<date> <time>" in the user's pictures.
std::string FormatDateTime(std::int64_t time);

}  // namespace rqx340
