// The numbers of one measurement that a user looks at before an import: its
// length, the energy-average rms, peak and vdv of each axis, the settings that
// judge them, and the daily exposure A(8) with its verdict. They are read from
// the rows through the exchange file's own row reader, so a value here is the
// value the host gets.
#pragma once

#include <rapidjson/document.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/row_source.h"

namespace rqx340 {

struct AxisNumbers {
  double rms = 0.0;          // sqrt(mean(v²)) over every row, in double
  float peak = 0.0f;         // the largest value; NaN only when every value is NaN
  std::optional<float> vdv;  // the last row's running VDV; none on the sum axis
  // Cells of the axis's rms, peak and vdv columns, over every row, that are not
  // numbers in the file: a string, a literal, an object or array, a cell
  // outside its row, a row that is no array, a column the file does not name.
  // They read as 0.0, as in the exchange file, so the numbers above cannot be
  // trusted.
  std::uint64_t notNumbers = 0;
  std::uint64_t rmsNotNumbers = 0;  // those of the rms column, which A(8) is made of
};

enum class OperatingMode { kVibration, kHandArm, kWholeBody };

struct MeasurementNumbers {
  std::uint64_t rows = 0;
  OperatingMode mode = OperatingMode::kVibration;
  // X, Y, Z and the sum; none when the measurement has no rows.
  std::optional<std::array<AxisNumbers, 4>> axes;
  std::array<double, 3> sumFactors{};  // kx, ky, kz as the file gives them
  double exposureAction = 0.0;
  double exposureLimit = 0.0;
};

// "Vib", "HA" or "WB", as the measurement list names the modes.
std::string_view ModeName(OperatingMode mode);

MeasurementNumbers ComputeNumbers(const rapidjson::Value& document, const RowSource& rows);

// The exposure time is the worker's daily time with the vibration, in hours.
inline constexpr double kMaxExposureHours = 24.0;
bool IsValidExposureHours(double hours);

// Reads an exposure time as the user typed it: a plain decimal number in the
// C locale ("8", "2.5", "1e1"; no sign, no spaces), 0 < T <= 24. None otherwise.
std::optional<double> ParseExposureHours(std::string_view text);

// A(8) for `hours` of daily exposure: hand-arm from the vector sum of the three
// axes, whole-body from the largest axis weighted 1.4, 1.4, 1.0; none for the
// vibration mode, a measurement without rows or an invalid time.
std::optional<double> DailyExposure(const MeasurementNumbers& numbers, double hours);

// Whole-body A(8) uses the fixed factors 1.4/1.4/1.0, whatever the meter was
// set to; true when the file's sum factors (as float32) are other ones, so the
// user is told the meter's own sum is weighted differently.
bool WholeBodyFactorsDiffer(const MeasurementNumbers& numbers);

enum class ExposureVerdict {
  kNone,  // neither an action nor a limit value is set
  kAboveLimit,
  kAboveAction,
  kBelowAction,
  kBelowLimit,  // only a limit value is set
  kUnknown,     // A(8) is NaN: nothing can be said, least of all an all-clear
};

// A(8) against the action and limit values (m/s²); "above" is strictly
// greater, and a value <= 0 (or NaN) counts as not set.
ExposureVerdict JudgeExposure(double a8, double action, double limit);

// "above limit value" ...; empty for kNone.
std::string_view VerdictText(ExposureVerdict verdict);

// The cells A(8) is made of that are not numbers: those of the rms columns of
// x, y and z.
std::uint64_t ExposureNotNumbers(const MeasurementNumbers& numbers);

// The verdict on `a8` for `numbers`, against its own action and limit values:
// JudgeExposure, and unknown as well when a cell A(8) is made of is not a
// number. Both front ends and the CLI judge through this one.
ExposureVerdict JudgeExposure(const MeasurementNumbers& numbers, double a8);

// VerdictText, and for kUnknown why: "unknown (3 values are not numbers)" or
// "unknown (A(8) is not a number)".
std::string VerdictText(ExposureVerdict verdict, const MeasurementNumbers& numbers);

// The warning about cells that are not numbers, per axis: "values that are not
// numbers, read as 0: x 3600, sum 12"; empty when there are none.
std::string NotNumbersWarning(const MeasurementNumbers& numbers);

// The rms of X, Y, Z and the sum over the rows, reduced to at most `columns`
// pixel columns: row r falls into column floor(r * columns / rows), and each
// column keeps the smallest and largest value that fell into it. NaN values
// are left out; a column without a value holds NaN in both.
struct PlotSeries {
  std::vector<float> min;
  std::vector<float> max;
};
struct PlotData {
  std::uint64_t rows = 0;
  std::size_t columns = 0;
  std::array<PlotSeries, 4> series;  // rms x, y, z, sum
};
inline constexpr std::size_t kMaxPlotColumns = 65536;
PlotData ComputePlotData(const rapidjson::Value& document, const RowSource& rows,
                         std::size_t columns);

}  // namespace rqx340
