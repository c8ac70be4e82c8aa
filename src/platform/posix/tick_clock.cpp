#include "platform/tick_clock.h"

#include <time.h>
#include <unistd.h>

namespace rqx340 {

std::uint32_t TickCount() {
  struct timespec now {};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const auto milliseconds = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                            static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<std::uint32_t>(milliseconds);
}

std::uint32_t CurrentProcessId() { return static_cast<std::uint32_t>(::getpid()); }

}  // namespace rqx340
