// Decimal reads of text against the C library's strtoll, which they follow:
// leading white space, a sign, digits, saturation at the 64-bit limits. Then
// the start-time conversion the scan applies to what it read.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "measurement/decimal_text.h"
#include "platform/local_time.h"

using namespace rqx340;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::int64_t value = ReadDecimal64(text);
  // strtoll stops at the first NUL, as the read does: NUL is neither space nor digit.
  const std::string copy(text);
  const long long expected = std::strtoll(copy.c_str(), nullptr, 10);
  FUZZ_CHECK(value == expected);
  FUZZ_CHECK(ReadDecimal32(text) ==
             std::clamp<std::int64_t>(expected, std::numeric_limits<std::int32_t>::min(),
                                      std::numeric_limits<std::int32_t>::max()));
  const std::int64_t start = ConvertStartTime(value);
  FUZZ_CHECK(start >= -1 && start <= std::numeric_limits<std::int32_t>::max());
  return 0;
}
