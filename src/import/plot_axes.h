// The axes of a measurement's plot, as both previews draw them: time on x
// (elapsed from the start, the time of day under it), or rows when the file
// gives no duration; round values on y with the exposure action and limit
// values as lines; and what lies under the pointer. Pure arithmetic on pixels,
// so the Qt and the Win32 preview cannot disagree.
#pragma once

#include <rapidjson/document.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "import/measurement_numbers.h"
#include "platform/locale_pictures.h"

namespace rqx340 {

// What the x axis stands for.
struct PlotTimeBase {
  std::uint64_t rows = 0;
  // Summary "Duration" divided by the rows, when the duration is a number > 0.
  std::optional<double> secondsPerRow;
  // Header "StartDateTime", the meter's clock reading, when it is > 0.
  std::optional<std::int64_t> startClock;
};

PlotTimeBase ReadPlotTimeBase(const rapidjson::Value& document, std::uint64_t rows);

struct AxisTick {
  // Pixels from the start of the axis: from the left edge of the plot area for
  // x, up from its bottom edge for y.
  double position = 0.0;
  double value = 0.0;       // seconds from the start, a row number, or m/s²
  std::string label;        // "0:00", "10:00", "1:00:00"; "3500"; "0.5"
  std::string secondLabel;  // the time of day under the elapsed time; empty otherwise
};

struct TimeAxis {
  bool inTime = false;      // false: the axis counts rows
  std::string title;        // "elapsed time" or "row"
  std::string secondTitle;  // "time of day" when the ticks carry it
  std::vector<AxisTick> ticks;
};

// The elapsed times at which ticks stand, in seconds: 1, 2, 5, 10, 15, 30 s,
// 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12 h, 1 day, then 1, 2, 5 × 10^n days.
// The smallest step at least `seconds` long.
double TimeStepAtLeast(double seconds);

// "m:ss" below an hour, "h:mm:ss" from it, for whole seconds; with `decimals`
// (0 to 3) the seconds carry a fraction: "0:07.5".
std::string ElapsedText(double seconds, int decimals = 0);

// The meter's clock reading `clock` + `seconds` as a time of day in the user's
// time picture (the list's), without a time zone: the meter's clock is the
// local one. "HH:mm:ss" when the picture gives nothing.
std::string TimeOfDayText(std::int64_t clock, double seconds, const LocalePictures& locale);

// The x axis of a plot area `width` pixels wide, its ticks at least
// `min_spacing` pixels apart (the widest label and a gap). In time, tick t
// stands at t / duration × width, so the labels run from 0:00 at the left edge
// to the duration at the right; in rows, row r stands at the middle of its
// share, (r + 0.5) / rows × width, at round row numbers (1, 2, 5 × 10^n).
TimeAxis MakeTimeAxis(const PlotTimeBase& base, double width, double min_spacing,
                      const LocalePictures& locale);

struct ValueAxis {
  double top = 1.0;  // the value at the top of the plot area; the bottom is 0
  std::vector<AxisTick> ticks;
};

// The y axis of a plot area `height` pixels high for values up to `largest`
// (NaN, infinite or not above 0: 1), with ticks 1, 2 or 5 × 10^n apart and at
// least `min_spacing` pixels; the top is the first tick at or above `largest`.
ValueAxis MakeValueAxis(double largest, double height, double min_spacing);

// A horizontal line across the plot: the exposure action or limit value.
struct ReferenceLine {
  double value = 0.0;
  double position = 0.0;  // pixels up from the bottom edge
  std::string label;      // "action value 2.5 m/s²", "limit value 5 m/s²"
  bool limit = false;
};

// The action and limit values of `numbers` that are set (> 0) and lie within
// the axis (at most its top).
std::vector<ReferenceLine> ExposureLines(const MeasurementNumbers& numbers, const ValueAxis& axis,
                                         double height);

// What lies under pixel column `x` (0 .. width - 1) of a plot area `width`
// pixels wide that shows `plot`.
struct HoverValues {
  std::uint64_t firstRow = 0;
  std::uint64_t lastRow = 0;  // the rows that fall into that pixel column
  std::string time;           // "0:12:34 (09:12:34)"; "row 12", "rows 12-15" without a duration
  // rms x, y, z and sum: the smallest and largest value of those rows (equal
  // for one row); NaN where none is a number.
  std::array<float, 4> min{};
  std::array<float, 4> max{};
  std::string text;  // the time and the four values for a tooltip
};

std::optional<HoverValues> HoverAt(const PlotData& plot, const PlotTimeBase& base, int x, int width,
                                   const LocalePictures& locale);

}  // namespace rqx340
