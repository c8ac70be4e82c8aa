// The tick count from the monotonic clock.
#include "platform/tick_clock.h"

#include <chrono>

namespace rqx340 {

std::uint32_t TickCount() {
  // steady_clock is CLOCK_MONOTONIC on POSIX systems.
  const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_boot).count());
}

}  // namespace rqx340
