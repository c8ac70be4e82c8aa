// The system calls behind local time, which its portable part makes.
#pragma once

#include <cstdint>
#include <ctime>

namespace rqx340::sys {

// The UTC breakdown of `time`; false where the system cannot give one.
bool UtcBreakDown(std::int64_t time, std::tm& tm);

// The local breakdown of `time`, tm_isdst set as the zone's rules decide;
// false where the system cannot give one.
bool LocalBreakDown(std::int64_t time, std::tm& tm);

// Takes the zone in force again where the system does not do so itself.
void RefreshTimeZone();

}  // namespace rqx340::sys
