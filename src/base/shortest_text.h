// Numbers as the shortest text that reads back to the same value, the way
// `rqx340 dump` prints them: a float32 as a float32, a double as a double,
// "Infinity", "-Infinity" and "NaN" for the values that have no digits. The
// text never depends on the locale.
#pragma once

#include <charconv>
#include <cmath>
#include <string>

namespace rqx340 {

template <typename Number>
std::string ShortestText(Number value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace rqx340
