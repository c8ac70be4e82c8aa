// One pass over the rows for the numbers, one for the plot.
#include "import/measurement_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "format/json_access.h"
#include "format/row_layout.h"

namespace rqx340 {

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The data-row positions of the rms, peak and vdv of each axis (no vdv on sum).
constexpr std::size_t kRms = 0;
constexpr std::size_t kPeak = 1;

// The larger of `current` and `value`, leaving NaN values out.
float PeakOf(float current, float value) {
  if (std::isnan(value)) return current;
  return std::isnan(current) || value > current ? value : current;
}

// The broadband values of one row, through the exchange file's row reader.
std::array<float, kBroadbandValues> Broadband(const RowLayout& layout, std::span<const float> row) {
  std::array<float, kBroadbandValues> values{};
  for (std::size_t i = 0; i < kBroadbandValues; ++i) values[i] = ValueAt(row, layout.Columns()[i]);
  return values;
}

// A column whose cells are checked for numbers: the rms, peak and vdv of
// an axis.
struct CountedColumn {
  std::size_t axis;
  std::size_t quantity;
  std::int64_t column;
  bool named;  // TimeHistoryColumns gives it as an integer; else the rows read column 0
};

std::vector<CountedColumn> CountedColumns(const rapidjson::Value& document,
                                          const RowLayout& layout) {
  const auto& names = json::Member(document, "TimeHistoryColumns");
  std::vector<CountedColumn> counted;
  std::string name;
  for (std::size_t axis = 0; axis < kAxes; ++axis) {
    for (const std::size_t quantity : {kRms, kPeak, kVdvQuantity}) {
      if (quantity == kVdvQuantity && axis == kSumAxis) continue;
      name.assign(kQuantities[quantity].name);
      name += kAxisSuffixes[axis];
      counted.push_back({axis, quantity, layout.Columns()[BroadbandIndex(quantity, axis)],
                         json::Member(names, name).IsInt()});
    }
  }
  return counted;
}

}  // namespace

std::string_view ModeName(OperatingMode mode) {
  switch (mode) {
    case OperatingMode::kVibration:
      return "Vib";
    case OperatingMode::kHandArm:
      return "HA";
    case OperatingMode::kWholeBody:
      return "WB";
  }
  return "Vib";
}

MeasurementNumbers ComputeNumbers(const rapidjson::Value& document, const RowSource& rows) {
  MeasurementNumbers numbers;
  const auto& props = json::MeasProperties(document);
  numbers.mode = static_cast<OperatingMode>(
      std::clamp(json::GetInt(json::Member(props, "TAG_OPERATING_MODE_20")), 0, 2));
  numbers.sumFactors = {json::GetDouble(json::Member(props, "TAG_SUM_FACTOR_KX_34")),
                        json::GetDouble(json::Member(props, "TAG_SUM_FACTOR_KY_35")),
                        json::GetDouble(json::Member(props, "TAG_SUM_FACTOR_KZ_36"))};
  numbers.exposureAction = json::GetDouble(json::Member(props, "TAG_EXPOSUREACTION_66"));
  numbers.exposureLimit = json::GetDouble(json::Member(props, "TAG_EXPOSURELIMIT_65"));
  numbers.rows = rows.RowCount();
  if (numbers.rows == 0) return numbers;

  const RowLayout layout(document);
  const std::vector<CountedColumn> counted = CountedColumns(document, layout);
  std::vector<std::uint64_t> outside(counted.size());
  std::array<double, 4> squares{};
  std::array<AxisNumbers, 4> axes;
  for (auto& axis : axes) axis.peak = kNaN;
  std::array<float, 3> last_vdv{};
  rows.ForEachRow([&](const RowView& row) {
    const auto values = Broadband(layout, row.values);
    for (std::size_t axis = 0; axis < 4; ++axis) {
      const double rms = values[BroadbandIndex(kRms, axis)];
      squares[axis] += rms * rms;
      axes[axis].peak = PeakOf(axes[axis].peak, values[BroadbandIndex(kPeak, axis)]);
      if (axis < 3) last_vdv[axis] = values[BroadbandIndex(kVdvQuantity, axis)];
    }
    for (std::size_t i = 0; i < counted.size(); ++i) {
      const std::int64_t column = counted[i].column;
      if (column < 0 || static_cast<std::uint64_t>(column) >= row.values.size()) ++outside[i];
    }
    return true;
  });
  for (std::size_t axis = 0; axis < 4; ++axis) {
    axes[axis].rms = std::sqrt(squares[axis] / static_cast<double>(numbers.rows));
    if (axis < 3) axes[axis].vdv = last_vdv[axis];
  }
  // A cell inside its row that is not a number was counted by the parse; one
  // outside its row, here; a column the file does not name is none in any row.
  const std::span<const std::uint64_t> by_element = rows.NotNumbersByElement();
  for (std::size_t i = 0; i < counted.size(); ++i) {
    const CountedColumn& c = counted[i];
    std::uint64_t count = numbers.rows;
    if (c.named) {
      count = outside[i];
      if (c.column >= 0 && static_cast<std::uint64_t>(c.column) < by_element.size()) {
        count += by_element[static_cast<std::size_t>(c.column)];
      }
    }
    axes[c.axis].notNumbers += count;
    if (c.quantity == kRms) axes[c.axis].rmsNotNumbers += count;
  }
  numbers.axes = axes;
  return numbers;
}

bool IsValidExposureHours(double hours) { return hours > 0.0 && hours <= kMaxExposureHours; }

std::optional<double> ParseExposureHours(std::string_view text) {
  // from_chars takes no '+' and no leading space, and never the locale's comma.
  double hours = 0.0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, hours);
  if (text.empty() || ec != std::errc() || ptr != end || !IsValidExposureHours(hours)) {
    return std::nullopt;
  }
  return hours;
}

std::optional<double> DailyExposure(const MeasurementNumbers& numbers, double hours) {
  if (!numbers.axes || !IsValidExposureHours(hours)) return std::nullopt;
  const auto& a = *numbers.axes;
  const double scale = std::sqrt(hours / 8.0);
  switch (numbers.mode) {
    case OperatingMode::kVibration:
      return std::nullopt;
    case OperatingMode::kHandArm:
      return std::sqrt(a[0].rms * a[0].rms + a[1].rms * a[1].rms + a[2].rms * a[2].rms) * scale;
    case OperatingMode::kWholeBody: {
      const double x = 1.4 * a[0].rms;
      const double y = 1.4 * a[1].rms;
      const double z = 1.0 * a[2].rms;
      // A NaN axis makes the result NaN, never the largest of the others.
      if (std::isnan(x) || std::isnan(y) || std::isnan(z)) return std::nan("");
      return std::max({x, y, z}) * scale;
    }
  }
  return std::nullopt;
}

bool WholeBodyFactorsDiffer(const MeasurementNumbers& numbers) {
  const auto& k = numbers.sumFactors;
  return static_cast<float>(k[0]) != 1.4f || static_cast<float>(k[1]) != 1.4f ||
         static_cast<float>(k[2]) != 1.0f;
}

ExposureVerdict JudgeExposure(double a8, double action, double limit) {
  const bool has_action = action > 0.0;
  const bool has_limit = limit > 0.0;
  if (!has_action && !has_limit) return ExposureVerdict::kNone;
  if (std::isnan(a8)) return ExposureVerdict::kUnknown;
  if (has_limit && a8 > limit) return ExposureVerdict::kAboveLimit;
  if (has_action && a8 > action) return ExposureVerdict::kAboveAction;
  return has_action ? ExposureVerdict::kBelowAction : ExposureVerdict::kBelowLimit;
}

std::string_view VerdictText(ExposureVerdict verdict) {
  switch (verdict) {
    case ExposureVerdict::kNone:
      return {};
    case ExposureVerdict::kAboveLimit:
      return "above limit value";
    case ExposureVerdict::kAboveAction:
      return "above action value";
    case ExposureVerdict::kBelowAction:
      return "below action value";
    case ExposureVerdict::kBelowLimit:
      return "below limit value";
    case ExposureVerdict::kUnknown:
      return "unknown (A(8) is not a number)";
  }
  return {};
}

std::uint64_t ExposureNotNumbers(const MeasurementNumbers& numbers) {
  if (!numbers.axes) return 0;
  const auto& a = *numbers.axes;
  return a[0].rmsNotNumbers + a[1].rmsNotNumbers + a[2].rmsNotNumbers;
}

ExposureVerdict JudgeExposure(const MeasurementNumbers& numbers, double a8) {
  const ExposureVerdict verdict = JudgeExposure(a8, numbers.exposureAction, numbers.exposureLimit);
  if (verdict != ExposureVerdict::kNone && ExposureNotNumbers(numbers) > 0) {
    return ExposureVerdict::kUnknown;
  }
  return verdict;
}

std::string VerdictText(ExposureVerdict verdict, const MeasurementNumbers& numbers) {
  const std::uint64_t not_numbers = ExposureNotNumbers(numbers);
  if (verdict != ExposureVerdict::kUnknown || not_numbers == 0) {
    return std::string(VerdictText(verdict));
  }
  return not_numbers == 1 ? "unknown (1 value is not a number)"
                          : "unknown (" + std::to_string(not_numbers) + " values are not numbers)";
}

std::string NotNumbersWarning(const MeasurementNumbers& numbers) {
  if (!numbers.axes) return {};
  constexpr std::array<std::string_view, 4> kAxisNames = {"x", "y", "z", "sum"};
  std::string counts;
  for (std::size_t axis = 0; axis < 4; ++axis) {
    const std::uint64_t count = (*numbers.axes)[axis].notNumbers;
    if (count == 0) continue;
    if (!counts.empty()) counts += ", ";
    counts += kAxisNames[axis];
    counts += ' ';
    counts += std::to_string(count);
  }
  if (counts.empty()) return {};
  return "values that are not numbers, read as 0: " + counts;
}

PlotData ComputePlotData(const rapidjson::Value& document, const RowSource& rows,
                         std::size_t columns) {
  PlotData plot;
  plot.rows = rows.RowCount();
  plot.columns =
      static_cast<std::size_t>(std::min<std::uint64_t>({plot.rows, columns, kMaxPlotColumns}));
  for (auto& series : plot.series) {
    series.min.assign(plot.columns, kNaN);
    series.max.assign(plot.columns, kNaN);
  }
  if (plot.columns == 0) return plot;
  const RowLayout layout(document);
  std::uint64_t r = 0;
  rows.ForEachRow([&](const RowView& row) {
    // r < 2^47 for any row count memory can hold, so the product fits.
    const auto column = static_cast<std::size_t>(r * plot.columns / plot.rows);
    ++r;
    for (std::size_t axis = 0; axis < 4; ++axis) {
      const float value = ValueAt(row.values, layout.Columns()[BroadbandIndex(kRms, axis)]);
      if (std::isnan(value)) continue;
      float& low = plot.series[axis].min[column];
      float& high = plot.series[axis].max[column];
      if (std::isnan(low) || value < low) low = value;
      if (std::isnan(high) || value > high) high = value;
    }
    return true;
  });
  return plot;
}

}  // namespace rqx340
