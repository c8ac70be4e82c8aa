// Numbers are written for people (4 significant digits, A(8) with 3
// decimals), the factors and the action and limit values as the file gives
// them, never in the locale's form; units and the axis names X, Y, Z are the
// same in every language.
#include "app/measurement_preview_texts.h"

#include <array>

#include "base/number_text.h"
#include "base/shortest_text.h"

namespace rqx340 {

namespace {

template <typename Number>
std::string Acceleration(Number value) {
  return AccelerationText(value) + kMetresPerSecondSquared;
}

// A value of the meter's settings, as it was set.
std::string SetValue(double value) { return ShortestText(value) + kMetresPerSecondSquared; }

// "x 3600, Sum 12": the cells per axis that are not numbers; empty for none.
std::string NotNumbersCounts(const MeasurementNumbers& numbers, const StringTable& strings) {
  if (!numbers.axes) return {};
  const std::array<std::string, 4> axes = {"X", "Y", "Z", strings.Load(kIdsSumLabel)};
  std::string counts;
  for (std::size_t axis = 0; axis < axes.size(); ++axis) {
    const std::uint64_t count = (*numbers.axes)[axis].notNumbers;
    if (count == 0) continue;
    if (!counts.empty()) counts += ", ";
    counts += axes[axis] + " " + std::to_string(count);
  }
  return counts;
}

std::string SumFactors(const MeasurementNumbers& numbers) {
  return ShortestText(numbers.sumFactors[0]) + ", " + ShortestText(numbers.sumFactors[1]) + ", " +
         ShortestText(numbers.sumFactors[2]);
}

}  // namespace

std::vector<NumbersLine> NumbersLines(const MeasurementNumbers& numbers,
                                      const StringTable& strings) {
  std::vector<NumbersLine> lines;
  lines.push_back({strings.Load(kIdsRowsLabel), std::to_string(numbers.rows)});
  lines.push_back({strings.Load(kIdsModeLabel), std::string(ModeName(numbers.mode))});
  const std::array<std::string, 4> axes = {"X", "Y", "Z", strings.Load(kIdsSumLabel)};
  for (std::size_t axis = 0; axis < axes.size(); ++axis) {
    if (!numbers.axes) {
      lines.push_back({axes[axis], strings.Load(kIdsNoRowsValue)});
      continue;
    }
    const AxisNumbers& a = (*numbers.axes)[axis];
    std::string value = FormatString(strings.Load(kIdsRms), Acceleration(a.rms)) + ", " +
                        FormatString(strings.Load(kIdsPeak), Acceleration(a.peak));
    if (a.vdv) {
      value += ", " + FormatString(strings.Load(kIdsVdv), VdvText(*a.vdv) + " m/s^1.75");
    }
    lines.push_back({axes[axis], std::move(value)});
  }
  lines.push_back({"kx, ky, kz", SumFactors(numbers)});
  const auto limit = [&strings](double value) {
    return value > 0.0 ? SetValue(value) : strings.Load(kIdsNotSet);
  };
  lines.push_back({strings.Load(kIdsActionValueLabel), limit(numbers.exposureAction)});
  lines.push_back({strings.Load(kIdsLimitValueLabel), limit(numbers.exposureLimit)});
  return lines;
}

int VerdictStringId(ExposureVerdict verdict) {
  switch (verdict) {
    case ExposureVerdict::kNone:
      return 0;
    case ExposureVerdict::kAboveLimit:
      return kIdsFirstVerdict;
    case ExposureVerdict::kAboveAction:
      return kIdsFirstVerdict + 1;
    case ExposureVerdict::kBelowAction:
      return kIdsFirstVerdict + 2;
    case ExposureVerdict::kBelowLimit:
      return kIdsFirstVerdict + 3;
    case ExposureVerdict::kUnknown:
      return kIdsFirstVerdict + 4;
  }
  return 0;
}

ExposureTexts DescribeExposure(const MeasurementNumbers* numbers, std::optional<double> hours,
                               const StringTable& strings) {
  ExposureTexts texts;
  if (numbers == nullptr) return texts;
  if (!hours) {
    texts.a8 = strings.Load(kIdsA8NoTime);
  } else if (numbers->mode == OperatingMode::kVibration) {
    texts.a8 = strings.Load(kIdsA8Vibration);
  } else if (const auto a8 = DailyExposure(*numbers, *hours)) {
    texts.a8 =
        FormatString(strings.Load(kIdsA8Value), DailyExposureText(*a8) + kMetresPerSecondSquared);
    // Cells read as 0 could make any value look harmless: never an all-clear then.
    texts.verdict = JudgeExposure(*numbers, *a8);
    const std::uint64_t not_numbers = ExposureNotNumbers(*numbers);
    if (texts.verdict == ExposureVerdict::kNone) {
      texts.verdict_text = strings.Load(kIdsNoValuesSet);
    } else if (texts.verdict == ExposureVerdict::kUnknown && not_numbers > 0) {
      texts.verdict_text = not_numbers == 1 ? strings.Load(kIdsVerdictOneNotNumber)
                                            : FormatString(strings.Load(kIdsVerdictNotNumbers),
                                                           std::to_string(not_numbers));
    } else {
      texts.verdict_text = strings.Load(VerdictStringId(texts.verdict));
    }
  } else {
    texts.a8 = strings.Load(kIdsA8NoRows);
  }
  if (numbers->mode == OperatingMode::kWholeBody && WholeBodyFactorsDiffer(*numbers)) {
    texts.warning = FormatString(strings.Load(kIdsSumFactorsWarning), SumFactors(*numbers));
  }
  if (const std::string counts = NotNumbersCounts(*numbers, strings); !counts.empty()) {
    if (!texts.warning.empty()) texts.warning += '\n';
    texts.warning += FormatString(strings.Load(kIdsNotNumbersWarning), counts);
  }
  return texts;
}

std::uint32_t VerdictColour(ExposureVerdict verdict) {
  switch (verdict) {
    case ExposureVerdict::kAboveLimit:
      return 0xC62828;
    case ExposureVerdict::kAboveAction:
      return 0xE67E00;
    case ExposureVerdict::kBelowAction:
    case ExposureVerdict::kBelowLimit:
      return 0x2E7D32;
    case ExposureVerdict::kNone:
    case ExposureVerdict::kUnknown:
      break;
  }
  return 0x616161;
}

}  // namespace rqx340
