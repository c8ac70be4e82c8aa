// Decimal reads of text against the C library's strtoll, which they follow:
// leading white space, a sign, digits, saturation at the 64-bit limits. Then
// the start-time conversion the scan applies to what it read, in a time zone
// the first byte picks.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "measurement/decimal_text.h"
#include "platform/local_time.h"
#include "time_zones.h"

namespace {

// Broken-down fields read as if they were UTC, for the proleptic Gregorian calendar.
std::int64_t FieldsAsUtc(const std::tm& fields) {
  std::int64_t year = fields.tm_year + 1900LL;
  const int month = fields.tm_mon + 1;
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t year_of_era = year - era * 400;
  const std::int64_t day_of_year =
      (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + fields.tm_mday - 1;
  const std::int64_t days =
      era * 146097 + year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year - 719468;
  return days * 86400 + fields.tm_hour * 3600 + fields.tm_min * 60 + fields.tm_sec;
}

}  // namespace

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

  fuzz::UseTimeZone(size > 0 ? data[0] : 0);
  const std::int64_t start = ConvertStartTime(value);
  FUZZ_CHECK(start >= -1 && start <= std::numeric_limits<std::int32_t>::max());
  if (start >= 0) {
    // The local clock at the result reads the meter's clock, or, inside a
    // daylight-saving gap, that reading moved by the gap (at most two hours).
    std::tm local{};
    FUZZ_CHECK(TimeToLocalTm(start, local));
    const std::int64_t shift = FieldsAsUtc(local) - value;
    FUZZ_CHECK(shift >= -7200 && shift <= 7200);
  }
  return 0;
}
