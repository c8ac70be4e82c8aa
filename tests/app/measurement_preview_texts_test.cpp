// What the preview says about a measurement's numbers and its daily exposure.
#include "app/measurement_preview_texts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/shortest_text.h"

namespace rqx340 {
namespace {

MeasurementNumbers HandArm() {
  MeasurementNumbers numbers;
  numbers.rows = 3600;
  numbers.mode = OperatingMode::kHandArm;
  numbers.axes = std::array<AxisNumbers, 4>{
      AxisNumbers{1.5, 2.25f, 3.0f}, AxisNumbers{2.0, 3.0f, std::nullopt},
      AxisNumbers{0.5, 1.0f, 0.5f}, AxisNumbers{2.5, 4.0f, std::nullopt}};
  numbers.sumFactors = {1.0, 1.0, 1.0};
  numbers.exposureAction = 2.5;
  numbers.exposureLimit = 5.0;
  return numbers;
}

TEST(MeasurementPreviewTextsTest, TheNumbersLinesInTheirOrder) {
  const std::vector<NumbersLine> lines = NumbersLines(HandArm());
  const std::vector<NumbersLine> expected = {
      {"Rows", "3600"},
      {"Mode", "HA"},
      {"X", "rms 1.5 m/s\u00b2, peak 2.25 m/s\u00b2, vdv 3 m/s^1.75"},
      {"Y", "rms 2 m/s\u00b2, peak 3 m/s\u00b2"},
      {"Z", "rms 0.5 m/s\u00b2, peak 1 m/s\u00b2, vdv 0.5 m/s^1.75"},
      {"Sum", "rms 2.5 m/s\u00b2, peak 4 m/s\u00b2"},
      {"kx, ky, kz", "1, 1, 1"},
      {"Exposure action value", "2.5 m/s\u00b2"},
      {"Exposure limit value", "5 m/s\u00b2"},
  };
  EXPECT_EQ(lines, expected);

  MeasurementNumbers empty;
  empty.exposureAction = 0.0;
  empty.exposureLimit = -1.0;
  const std::vector<NumbersLine> none = NumbersLines(empty);
  ASSERT_EQ(none.size(), expected.size());
  EXPECT_EQ(none[1].value, "Vib");
  EXPECT_EQ(none[2], (NumbersLine{"X", "no rows"}));
  EXPECT_EQ(none[5], (NumbersLine{"Sum", "no rows"}));
  EXPECT_EQ(none[7].value, "not set");
  EXPECT_EQ(none[8].value, "not set");
}

TEST(MeasurementPreviewTextsTest, TheExposureTextsSayWhatThereIsAndWhy) {
  const MeasurementNumbers hand_arm = HandArm();
  MeasurementNumbers vibration = hand_arm;
  vibration.mode = OperatingMode::kVibration;
  MeasurementNumbers no_rows;
  no_rows.mode = OperatingMode::kHandArm;
  MeasurementNumbers no_values = hand_arm;
  no_values.exposureAction = 0.0;
  no_values.exposureLimit = 0.0;
  const double a8 = *DailyExposure(hand_arm, 8.0);

  struct Case {
    const char* name;
    const MeasurementNumbers* numbers;
    std::optional<double> hours;
    std::string a8;
    ExposureVerdict verdict;
    std::string verdict_text;
  };
  const Case cases[] = {
      {"nothing read", nullptr, 8.0, "", ExposureVerdict::kNone, ""},
      {"no valid time", &hand_arm, std::nullopt, "A(8): enter 0 < T <= 24 hours",
       ExposureVerdict::kNone, ""},
      {"vibration mode", &vibration, 8.0, "A(8): none in vibration mode", ExposureVerdict::kNone,
       ""},
      {"no rows", &no_rows, 8.0, "A(8): none without rows", ExposureVerdict::kNone, ""},
      {"hand-arm", &hand_arm, 8.0, "A(8) = " + ShortestText(a8) + " m/s\u00b2",
       JudgeExposure(a8, 2.5, 5.0), std::string(VerdictText(JudgeExposure(a8, 2.5, 5.0)))},
      {"neither value set", &no_values, 8.0, "A(8) = " + ShortestText(a8) + " m/s\u00b2",
       ExposureVerdict::kNone, "no action or limit value set"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ExposureTexts texts = DescribeExposure(c.numbers, c.hours);
    EXPECT_EQ(texts.a8, c.a8);
    EXPECT_EQ(texts.verdict, c.verdict);
    EXPECT_EQ(texts.verdict_text, c.verdict_text);
    EXPECT_EQ(texts.warning, "");
  }
}

TEST(MeasurementPreviewTextsTest, WholeBodyFactorsOtherThanTheDirectivesAreWarnedAbout) {
  MeasurementNumbers whole_body = HandArm();
  whole_body.mode = OperatingMode::kWholeBody;
  EXPECT_EQ(DescribeExposure(&whole_body, 8.0).warning,
            "The file's sum factors (1, 1, 1) differ from 1.4, 1.4, 1.0. A(8) uses 1.4, 1.4, "
            "1.0; the meter's own sum is weighted otherwise.");
  // Also without a valid time; never before the file is read.
  EXPECT_FALSE(DescribeExposure(&whole_body, std::nullopt).warning.empty());
  EXPECT_EQ(DescribeExposure(nullptr, 8.0).warning, "");
  whole_body.sumFactors = {1.4, 1.4, 1.0};
  EXPECT_EQ(DescribeExposure(&whole_body, 8.0).warning, "");
}

}  // namespace
}  // namespace rqx340
