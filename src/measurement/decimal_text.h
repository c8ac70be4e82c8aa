// Decimal numbers read from text the way the C runtime's _wtoi64 and _wtoi do:
// leading white space, an optional sign, then digits up to the first other
// character; no digits read as 0.
#pragma once

#include <cstdint>
#include <string_view>

namespace rqx340 {

// Saturates at the 64-bit limits, like strtoll.
std::int64_t ReadDecimal64(std::string_view text);

// ReadDecimal64 clamped to the 32-bit range.
std::int32_t ReadDecimal32(std::string_view text);

}  // namespace rqx340
