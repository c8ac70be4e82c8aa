// Numbers are written as their shortest text that reads back to the value,
// never in the locale's form.
#include "app/measurement_preview_texts.h"

#include <array>

#include "base/shortest_text.h"

namespace rqx340 {

namespace {

template <typename Number>
std::string Acceleration(Number value) {
  return ShortestText(value) + kMetresPerSecondSquared;
}

}  // namespace

std::vector<NumbersLine> NumbersLines(const MeasurementNumbers& numbers) {
  std::vector<NumbersLine> lines;
  lines.push_back({"Rows", std::to_string(numbers.rows)});
  lines.push_back({"Mode", std::string(ModeName(numbers.mode))});
  constexpr std::array<const char*, 4> kAxes = {"X", "Y", "Z", "Sum"};
  for (std::size_t axis = 0; axis < kAxes.size(); ++axis) {
    if (!numbers.axes) {
      lines.push_back({kAxes[axis], "no rows"});
      continue;
    }
    const AxisNumbers& a = (*numbers.axes)[axis];
    std::string value = "rms " + Acceleration(a.rms) + ", peak " + Acceleration(a.peak);
    if (a.vdv) value += ", vdv " + ShortestText(*a.vdv) + " m/s^1.75";
    lines.push_back({kAxes[axis], std::move(value)});
  }
  lines.push_back({"kx, ky, kz", ShortestText(numbers.sumFactors[0]) + ", " +
                                     ShortestText(numbers.sumFactors[1]) + ", " +
                                     ShortestText(numbers.sumFactors[2])});
  const auto limit = [](double value) {
    return value > 0.0 ? Acceleration(value) : std::string("not set");
  };
  lines.push_back({"Exposure action value", limit(numbers.exposureAction)});
  lines.push_back({"Exposure limit value", limit(numbers.exposureLimit)});
  return lines;
}

ExposureTexts DescribeExposure(const MeasurementNumbers* numbers, std::optional<double> hours) {
  ExposureTexts texts;
  if (numbers == nullptr) return texts;
  if (!hours) {
    texts.a8 = "A(8): enter 0 < T <= 24 hours";
  } else if (numbers->mode == OperatingMode::kVibration) {
    texts.a8 = "A(8): none in vibration mode";
  } else if (const auto a8 = DailyExposure(*numbers, *hours)) {
    texts.a8 = "A(8) = " + Acceleration(*a8);
    texts.verdict = JudgeExposure(*a8, numbers->exposureAction, numbers->exposureLimit);
    texts.verdict_text = texts.verdict == ExposureVerdict::kNone
                             ? "no action or limit value set"
                             : std::string(VerdictText(texts.verdict));
  } else {
    texts.a8 = "A(8): none without rows";
  }
  if (numbers->mode == OperatingMode::kWholeBody && WholeBodyFactorsDiffer(*numbers)) {
    texts.warning = "The file's sum factors (" + ShortestText(numbers->sumFactors[0]) + ", " +
                    ShortestText(numbers->sumFactors[1]) + ", " +
                    ShortestText(numbers->sumFactors[2]) +
                    ") differ from 1.4, 1.4, 1.0. A(8) uses 1.4, 1.4, 1.0; the meter's own sum "
                    "is weighted otherwise.";
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
