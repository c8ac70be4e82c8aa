// The system's tick count: milliseconds since boot, wrapping after 49.7 days.
#include "platform/tick_clock.h"

#include "platform/win32/win32_util.h"

namespace rqx340 {

std::uint32_t TickCount() { return static_cast<std::uint32_t>(GetTickCount()); }

}  // namespace rqx340
