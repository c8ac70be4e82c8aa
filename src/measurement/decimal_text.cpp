// Decimal reads that saturate instead of overflowing.
#include "measurement/decimal_text.h"

#include <algorithm>
#include <limits>

namespace rqx340 {
namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

std::int64_t ReadDecimal64(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Accumulate the magnitude up to 2^63, the largest any result needs.
  constexpr std::uint64_t kLimit = std::uint64_t{1} << 63;
  std::uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    magnitude = magnitude > (kLimit - digit) / 10 ? kLimit : magnitude * 10 + digit;
  }
  if (negative) {
    return magnitude >= kLimit ? std::numeric_limits<std::int64_t>::min()
                               : -static_cast<std::int64_t>(magnitude);
  }
  return magnitude >= kLimit ? std::numeric_limits<std::int64_t>::max()
                             : static_cast<std::int64_t>(magnitude);
}

std::int32_t ReadDecimal32(std::string_view text) {
  return static_cast<std::int32_t>(
      std::clamp<std::int64_t>(ReadDecimal64(text), std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max()));
}

}  // namespace rqx340
