// A millisecond tick count, as temporary names use it.
#pragma once

#include <cstdint>

namespace rqx340 {

// Milliseconds of a monotonic clock, wrapping at 2^32.
std::uint32_t TickCount();

}  // namespace rqx340
