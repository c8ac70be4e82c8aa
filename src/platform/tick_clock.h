// The process's identity and a millisecond tick count, as temporary names use them.
#pragma once

#include <cstdint>

namespace rqx340 {

// Milliseconds of a monotonic clock, wrapping at 2^32.
std::uint32_t TickCount();

// The running process's id.
std::uint32_t CurrentProcessId();

}  // namespace rqx340
