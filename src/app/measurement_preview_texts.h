// What the preview of a measurement says, without how it is shown: the lines
// of its numbers table and the texts of the daily exposure, in the language of
// the string table given. A front end lays them out and colours the verdict.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_table.h"
#include "import/measurement_numbers.h"

namespace rqx340 {

// The unit after every acceleration, with a leading space.
inline constexpr char kMetresPerSecondSquared[] = " m/s\u00b2";

// The exposure field's first text when no time is kept.
inline constexpr std::string_view kDefaultExposureHours = "8";

// Colours as 0xRRGGBB. A verdict is red above the limit value, orange above
// the action value, green below, grey when nothing can be said.
std::uint32_t VerdictColour(ExposureVerdict verdict);
inline constexpr std::uint32_t kWarningColour = 0xB26A00;
// The exposure field's text when it holds no valid time.
inline constexpr std::uint32_t kInvalidFieldColour = 0xC62828;

struct NumbersLine {
  std::string label;
  std::string value;
  friend bool operator==(const NumbersLine&, const NumbersLine&) = default;
};

// Rows, mode, each axis (rms, peak, vdv), the sum factors and the action and
// limit values, in that order.
std::vector<NumbersLine> NumbersLines(const MeasurementNumbers& numbers,
                                      const StringTable& strings);

struct ExposureTexts {
  // "A(8) = ...", or why there is none; empty before a file was read.
  std::string a8;
  ExposureVerdict verdict = ExposureVerdict::kNone;
  // The verdict's text, or what stands for a missing one; empty without A(8).
  std::string verdict_text;
  // Whole-body sum factors other than 1.4, 1.4, 1.0, and cells that are not
  // numbers, a line each; empty when neither.
  std::string warning;
};

// The exposure texts for `numbers` (null: no file read) and the daily
// exposure time `hours` (none: the field holds no valid time).
ExposureTexts DescribeExposure(const MeasurementNumbers* numbers, std::optional<double> hours,
                               const StringTable& strings);

// The string id of a verdict's text; 0 for none.
int VerdictStringId(ExposureVerdict verdict);

}  // namespace rqx340
