// What the preview of a measurement says, without how it is shown: the lines
// of its numbers table and the texts of the daily exposure. A front end lays
// them out and colours the verdict.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "import/measurement_numbers.h"

namespace rqx340 {

// The unit after every acceleration, with a leading space.
inline constexpr char kMetresPerSecondSquared[] = " m/s\u00b2";

struct NumbersLine {
  std::string label;
  std::string value;
  friend bool operator==(const NumbersLine&, const NumbersLine&) = default;
};

// Rows, mode, each axis (rms, peak, vdv), the sum factors and the action and
// limit values, in that order.
std::vector<NumbersLine> NumbersLines(const MeasurementNumbers& numbers);

struct ExposureTexts {
  // "A(8) = ...", or why there is none; empty before a file was read.
  std::string a8;
  ExposureVerdict verdict = ExposureVerdict::kNone;
  // The verdict's text, or what stands for a missing one; empty without A(8).
  std::string verdict_text;
  // Whole-body sum factors other than 1.4, 1.4, 1.0; empty otherwise.
  std::string warning;
};

// The exposure texts for `numbers` (null: no file read) and the daily
// exposure time `hours` (none: the field holds no valid time).
ExposureTexts DescribeExposure(const MeasurementNumbers* numbers, std::optional<double> hours);

}  // namespace rqx340
