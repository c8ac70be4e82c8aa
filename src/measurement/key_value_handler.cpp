// Numbers that reach the handler as doubles.
#include "measurement/key_value_handler.h"

#include <charconv>

namespace rqx340 {

bool KeyValueHandler::Double(double value) {
  // Only reached without kParseNumbersAsStringsFlag; the scan never gets here.
  // to_chars, unlike printf, ignores the locale's decimal separator.
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return Scalar(std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

}  // namespace rqx340
