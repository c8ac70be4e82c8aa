// Round steps found on a fixed ladder; tick values computed as whole multiples
// of the step, so that no label collects the error of repeated additions.
#include "import/plot_axes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "base/number_text.h"
#include "base/shortest_text.h"
#include "format/json_access.h"
#include "measurement/date_time.h"
#include "measurement/picture_format.h"

namespace rqx340 {
namespace {

constexpr double kSecondsPerDay = 86400.0;
// Elapsed-time steps up to a day; beyond, 1, 2, 5 × 10^n days.
constexpr double kTimeSteps[] = {1,   2,   5,    10,   15,   30,    60,    120,   300,
                                 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
// However wide the plot, no axis gets more ticks than this.
constexpr double kMostTicks = 10000;
constexpr double kLongestElapsed = 1e15;  // seconds; beyond, texts are not worth exact digits

// A step of 1, 2 or 5 × 10^exponent.
struct RoundStep {
  int mantissa = 1;
  int exponent = 0;

  double Value() const { return Times(1); }
  // k steps, as exact as a double can be: a negative power of ten divides.
  double Times(double k) const {
    return exponent >= 0 ? k * mantissa * std::pow(10.0, exponent)
                         : k * mantissa / std::pow(10.0, -exponent);
  }
};

// The smallest 1, 2 or 5 × 10^n that is at least `x` (> 0).
RoundStep RoundStepAtLeast(double x) {
  if (!(x > 0.0) || !std::isfinite(x)) return {};
  const int exponent = static_cast<int>(std::floor(std::log10(x)));
  // log10 may be a hair off near a power of ten: the decade below is tried too.
  for (int e = exponent - 1; e <= exponent + 1; ++e) {
    for (const int m : {1, 2, 5}) {
      const RoundStep step{m, e};
      if (step.Value() >= x) return step;
    }
  }
  return {1, exponent + 2};
}

int DecimalsOf(const RoundStep& step) { return std::max(0, -step.exponent); }

// Decimals that show a multiple of `seconds` without rounding, up to 3.
int DecimalsFor(double seconds) {
  for (int d = 0; d < 3; ++d) {
    const double scaled = seconds * std::pow(10.0, d);
    if (std::fabs(scaled - std::round(scaled)) < 1e-9 * std::max(1.0, scaled)) return d;
  }
  return 3;
}

float MinOf(float a, float b) {
  if (std::isnan(a)) return b;
  if (std::isnan(b)) return a;
  return std::min(a, b);
}

float MaxOf(float a, float b) {
  if (std::isnan(a)) return b;
  if (std::isnan(b)) return a;
  return std::max(a, b);
}

}  // namespace

PlotTimeBase ReadPlotTimeBase(const rapidjson::Value& document, std::uint64_t rows) {
  PlotTimeBase base;
  base.rows = rows;
  const auto& duration = json::Member(json::Member(document, "Summary"), "Duration");
  if (duration.IsNumber() && rows > 0) {
    const double seconds = json::GetDouble(duration);
    if (seconds > 0.0 && seconds <= kLongestElapsed) {
      base.secondsPerRow = seconds / static_cast<double>(rows);
    }
  }
  const std::int64_t start =
      json::GetInt64(json::Member(json::Member(document, "Header"), "StartDateTime"));
  if (start > 0) base.startClock = start;
  return base;
}

double TimeStepAtLeast(double seconds) {
  if (!(seconds > kTimeSteps[0])) return kTimeSteps[0];
  for (const double step : kTimeSteps) {
    if (step >= seconds) return step;
  }
  return RoundStepAtLeast(std::min(seconds, kLongestElapsed) / kSecondsPerDay).Value() *
         kSecondsPerDay;
}

std::string ElapsedText(double seconds, int decimals) {
  decimals = std::clamp(decimals, 0, 3);
  if (!(seconds > 0.0)) seconds = 0.0;
  seconds = std::min(seconds, kLongestElapsed);
  const auto scale = static_cast<long long>(std::pow(10.0, decimals));
  const auto units = static_cast<long long>(std::llround(seconds * static_cast<double>(scale)));
  const long long whole = units / scale;
  const long long hours = whole / 3600;
  const long long minutes = whole / 60 % 60;
  char text[64];
  if (hours > 0) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", hours, minutes, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", minutes, whole % 60);
  }
  std::string result = text;
  if (decimals > 0) {
    std::snprintf(text, sizeof text, ".%0*d", decimals, static_cast<int>(units % scale));
    result += text;
  }
  return result;
}

std::string TimeOfDayText(std::int64_t clock, double seconds, const LocalePictures& locale) {
  const auto day = static_cast<std::int64_t>(kSecondsPerDay);
  const auto elapsed =
      static_cast<std::int64_t>(std::floor(std::clamp(seconds, 0.0, kLongestElapsed)));
  const std::int64_t of_day = ((clock % day + day) % day + elapsed % day) % day;
  const int hour = static_cast<int>(of_day / 3600);
  const int minute = static_cast<int>(of_day / 60 % 60);
  const int second = static_cast<int>(of_day % 60);
  std::string text = FormatTimePicture(AdjustTimePicture(locale.time_format), hour, minute, second,
                                       0, locale.names);
  if (text.empty()) text = FormatTimePicture("HH:mm:ss", hour, minute, second, 0, locale.names);
  return text;
}

TimeAxis MakeTimeAxis(const PlotTimeBase& base, double width, double min_spacing,
                      const LocalePictures& locale) {
  TimeAxis axis;
  axis.inTime = base.secondsPerRow.has_value();
  axis.title = axis.inTime ? "elapsed time" : "row";
  if (axis.inTime && base.startClock) axis.secondTitle = "time of day";
  if (base.rows == 0 || !(width > 0.0)) return axis;
  const double spacing = std::max({min_spacing, 1.0, width / kMostTicks});
  const auto rows = static_cast<double>(base.rows);

  if (axis.inTime) {
    const double duration = rows * *base.secondsPerRow;
    const double step = TimeStepAtLeast(duration * spacing / width);
    const auto count = static_cast<std::uint64_t>(std::floor(duration / step * (1 + 1e-12)));
    for (std::uint64_t k = 0; k <= count; ++k) {
      AxisTick tick;
      tick.value = static_cast<double>(k) * step;
      tick.position = std::min(tick.value / duration, 1.0) * width;
      tick.label = ElapsedText(tick.value);
      if (base.startClock) tick.secondLabel = TimeOfDayText(*base.startClock, tick.value, locale);
      axis.ticks.push_back(std::move(tick));
    }
    return axis;
  }

  const RoundStep step = RoundStepAtLeast(std::max(1.0, rows * spacing / width));
  const double row_step = std::max(1.0, step.Value());
  for (double row = 0; row < rows; row += row_step) {
    AxisTick tick;
    tick.value = row;
    tick.position = (row + 0.5) / rows * width;
    tick.label = DecimalsText(row, 0);
    axis.ticks.push_back(std::move(tick));
  }
  return axis;
}

ValueAxis MakeValueAxis(double largest, double height, double min_spacing) {
  ValueAxis axis;
  if (!(largest > 0.0) || !std::isfinite(largest)) largest = 1.0;
  largest = std::min(largest, 1e300);  // its round top must still be a number
  const double spacing = std::max({min_spacing, 1.0, height / kMostTicks});
  const double intervals = std::max(1.0, std::floor(height / spacing));
  const RoundStep step = RoundStepAtLeast(largest / intervals);
  double count = std::ceil(largest / step.Value() * (1 - 1e-12));
  if (step.Times(count) < largest) ++count;
  count = std::max(count, 1.0);
  axis.top = step.Times(count);
  for (double k = 0; k <= count; ++k) {
    AxisTick tick;
    tick.value = step.Times(k);
    tick.position = tick.value / axis.top * std::max(height, 0.0);
    tick.label = DecimalsText(tick.value, DecimalsOf(step));
    axis.ticks.push_back(std::move(tick));
  }
  return axis;
}

std::vector<ReferenceLine> ExposureLines(const MeasurementNumbers& numbers, const ValueAxis& axis,
                                         double height) {
  std::vector<ReferenceLine> lines;
  const struct {
    double value;
    const char* name;
    bool limit;
  } values[] = {{numbers.exposureAction, "action value ", false},
                {numbers.exposureLimit, "limit value ", true}};
  for (const auto& v : values) {
    if (!(v.value > 0.0) || !(v.value <= axis.top)) continue;
    lines.push_back({v.value, v.value / axis.top * std::max(height, 0.0),
                     v.name + ShortestText(v.value) + " m/s\u00b2", v.limit});
  }
  return lines;
}

std::optional<HoverValues> HoverAt(const PlotData& plot, const PlotTimeBase& base, int x, int width,
                                   const LocalePictures& locale) {
  if (plot.columns == 0 || plot.rows == 0 || width <= 0 || x < 0 || x >= width) return std::nullopt;
  const auto columns = static_cast<std::uint64_t>(plot.columns);
  const auto pixels = static_cast<std::uint64_t>(width);
  const auto pixel = static_cast<std::uint64_t>(x);
  const std::uint64_t first_column = pixel * columns / pixels;
  const std::uint64_t end_column =
      std::min(columns, std::max(first_column + 1, (pixel + 1) * columns / pixels));
  // Row r lies in column floor(r × columns / rows); every column holds a row.
  const auto first_row_of = [&](std::uint64_t column) {
    return (column * plot.rows + columns - 1) / columns;
  };

  HoverValues hover;
  hover.firstRow = first_row_of(first_column);
  hover.lastRow = first_row_of(end_column) - 1;
  hover.min.fill(std::numeric_limits<float>::quiet_NaN());
  hover.max.fill(std::numeric_limits<float>::quiet_NaN());
  for (std::size_t s = 0; s < plot.series.size(); ++s) {
    for (std::uint64_t c = first_column; c < end_column; ++c) {
      hover.min[s] = MinOf(hover.min[s], plot.series[s].min[static_cast<std::size_t>(c)]);
      hover.max[s] = MaxOf(hover.max[s], plot.series[s].max[static_cast<std::size_t>(c)]);
    }
  }

  if (base.secondsPerRow) {
    const double at = static_cast<double>(hover.firstRow) * *base.secondsPerRow;
    hover.time = ElapsedText(at, DecimalsFor(*base.secondsPerRow));
    if (base.startClock) hover.time += " (" + TimeOfDayText(*base.startClock, at, locale) + ")";
  } else if (hover.firstRow == hover.lastRow) {
    hover.time = "row " + std::to_string(hover.firstRow);
  } else {
    hover.time =
        "rows " + std::to_string(hover.firstRow) + "\u2013" + std::to_string(hover.lastRow);
  }

  constexpr const char* kNames[] = {"x ", "y ", "z ", "sum "};
  hover.text = hover.time + ":";
  for (std::size_t s = 0; s < 4; ++s) {
    hover.text += s == 0 ? " " : ", ";
    hover.text += kNames[s];
    if (std::isnan(hover.min[s])) {
      hover.text += "none";
    } else if (hover.min[s] == hover.max[s]) {
      hover.text += AccelerationText(hover.min[s]);
    } else {
      hover.text += AccelerationText(hover.min[s]) + "\u2013" + AccelerationText(hover.max[s]);
    }
  }
  hover.text += " m/s\u00b2";
  return hover;
}

}  // namespace rqx340
