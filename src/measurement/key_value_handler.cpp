#include "measurement/key_value_handler.h"

#include <cstdio>

namespace rqx340 {

bool KeyValueHandler::Double(double value) {
  // Only reached without kParseNumbersAsStringsFlag; the scan never gets here.
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return Scalar(text);
}

}  // namespace rqx340
