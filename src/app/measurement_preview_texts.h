// What the preview of a measurement says, without how it is shown: the lines
// of its numbers table and the texts of the daily exposure. A front end lays
// them out and colours the verdict.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/measurement_numbers.h"

namespace rqx340 {

// The unit after every acceleration, with a leading space.
inline constexpr char kMetresPerSecondSquared[] = " m/s\u00b2";

// The preview window's own texts, the same in every front end.
inline constexpr std::string_view kPreviewMenuText = "Preview\u2026";
inline constexpr std::string_view kPreviewTitle = "Preview - ";  // then the file name
inline constexpr std::string_view kExposureHoursLabel = "Daily exposure time (hours):";
inline constexpr std::string_view kExposureHoursTip =
    "The time the worker is exposed per day, 0 < T <= 24";
inline constexpr std::string_view kDefaultExposureHours = "8";
inline constexpr std::string_view kExportCsvButton = "Export CSV...";
inline constexpr std::string_view kExportWavButton = "Export WAV...";
inline constexpr std::string_view kExportCsvTitle = "Export CSV";
inline constexpr std::string_view kExportWavTitle = "Export WAV";
inline constexpr std::string_view kCsvFiles = "CSV files";
inline constexpr std::string_view kWavFiles = "WAV files";
inline constexpr std::string_view kPreviewClose = "Close";
inline constexpr std::string_view kReadingStopped = "The reading was stopped.";
inline constexpr std::string_view kCannotReadFile = "The file cannot be read.";
inline constexpr std::string_view kNotValidJson = " (not valid JSON: read as an empty measurement)";
inline constexpr std::string_view kCsvNotWritten = "The CSV file could not be written: ";
inline constexpr std::string_view kWavNotWritten = "The WAV file could not be written: ";
inline constexpr std::string_view kReadError = "read error";

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
