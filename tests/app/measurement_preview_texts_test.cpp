// What the preview says about a measurement's numbers and its daily exposure.
#include "app/measurement_preview_texts.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/language_table.h"
#include "base/number_text.h"

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
  const std::vector<NumbersLine> lines = NumbersLines(HandArm(), EnglishStrings());
  const std::vector<NumbersLine> expected = {
      {"Rows", "3600"},
      {"Mode", "HA"},
      {"X", "rms 1.500 m/s\u00b2, peak 2.250 m/s\u00b2, vdv 3.000 m/s^1.75"},
      {"Y", "rms 2.000 m/s\u00b2, peak 3.000 m/s\u00b2"},
      {"Z", "rms 0.5000 m/s\u00b2, peak 1.000 m/s\u00b2, vdv 0.5000 m/s^1.75"},
      {"Sum", "rms 2.500 m/s\u00b2, peak 4.000 m/s\u00b2"},
      {"kx, ky, kz", "1, 1, 1"},
      {"Exposure action value", "2.5 m/s\u00b2"},
      {"Exposure limit value", "5 m/s\u00b2"},
  };
  EXPECT_EQ(lines, expected);

  MeasurementNumbers empty;
  empty.exposureAction = 0.0;
  empty.exposureLimit = -1.0;
  const std::vector<NumbersLine> none = NumbersLines(empty, EnglishStrings());
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
      {"hand-arm", &hand_arm, 8.0, "A(8) = " + DailyExposureText(a8) + " m/s\u00b2",
       JudgeExposure(a8, 2.5, 5.0), std::string(VerdictText(JudgeExposure(a8, 2.5, 5.0)))},
      {"neither value set", &no_values, 8.0, "A(8) = " + DailyExposureText(a8) + " m/s\u00b2",
       ExposureVerdict::kNone, "no action or limit value set"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ExposureTexts texts = DescribeExposure(c.numbers, c.hours, EnglishStrings());
    EXPECT_EQ(texts.a8, c.a8);
    EXPECT_EQ(texts.verdict, c.verdict);
    EXPECT_EQ(texts.verdict_text, c.verdict_text);
    EXPECT_EQ(texts.warning, "");
  }
}

TEST(MeasurementPreviewTextsTest, CellsThatAreNotNumbersNeverGiveAnAllClear) {
  MeasurementNumbers numbers = HandArm();
  // A(8) well below the action value, were the cells numbers.
  numbers.exposureAction = 100.0;
  numbers.exposureLimit = 200.0;
  ASSERT_EQ(DescribeExposure(&numbers, 8.0, EnglishStrings()).verdict,
            ExposureVerdict::kBelowAction);
  struct Case {
    const char* name;
    std::uint64_t x_rms, sum;  // cells not numbers: of x's rms column, and of the sum
    ExposureVerdict verdict;
    std::string verdict_text;
    std::string warning;
  };
  const Case cases[] = {
      {"many", 3600, 0, ExposureVerdict::kUnknown, "unknown (3600 values are not numbers)",
       "Values that are not numbers, read as 0: X 3600"},
      {"one", 1, 0, ExposureVerdict::kUnknown, "unknown (1 value is not a number)",
       "Values that are not numbers, read as 0: X 1"},
      // The sum does not go into A(8): the verdict stands, the warning says it.
      {"the sum only", 0, 12, ExposureVerdict::kBelowAction, "below action value",
       "Values that are not numbers, read as 0: Sum 12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MeasurementNumbers broken = numbers;
    (*broken.axes)[0].notNumbers = c.x_rms;
    (*broken.axes)[0].rmsNotNumbers = c.x_rms;
    (*broken.axes)[3].notNumbers = c.sum;
    const ExposureTexts texts = DescribeExposure(&broken, 8.0, EnglishStrings());
    EXPECT_EQ(texts.verdict, c.verdict);
    EXPECT_EQ(texts.verdict_text, c.verdict_text);
    EXPECT_EQ(texts.warning, c.warning);
    // Grey, not the colour of an all-clear.
    if (c.verdict == ExposureVerdict::kUnknown) {
      EXPECT_EQ(VerdictColour(texts.verdict), VerdictColour(ExposureVerdict::kNone));
    }
  }
}

TEST(MeasurementPreviewTextsTest, WholeBodyFactorsOtherThanTheDirectivesAreWarnedAbout) {
  MeasurementNumbers whole_body = HandArm();
  whole_body.mode = OperatingMode::kWholeBody;
  EXPECT_EQ(DescribeExposure(&whole_body, 8.0, EnglishStrings()).warning,
            "The file's sum factors (1, 1, 1) differ from 1.4, 1.4, 1.0. A(8) uses 1.4, 1.4, "
            "1.0; the meter's own sum is weighted otherwise.");
  // Also without a valid time; never before the file is read.
  EXPECT_FALSE(DescribeExposure(&whole_body, std::nullopt, EnglishStrings()).warning.empty());
  EXPECT_EQ(DescribeExposure(nullptr, 8.0, EnglishStrings()).warning, "");
  whole_body.sumFactors = {1.4, 1.4, 1.0};
  EXPECT_EQ(DescribeExposure(&whole_body, 8.0, EnglishStrings()).warning, "");
}

TEST(MeasurementPreviewTextsTest, EveryTextComesFromTheLanguagesTable) {
  // Only the wording is the language's: the numbers, units and axis names stay.
  const LanguageTable strings = LanguageTable::Parse(
      "301\tZeilen\n302\tModus\n303\tSumme\n304\tkeine Zeilen\n305\tRMS %1\n"
      "306\tSpitze %1\n307\tVDV %1\n308\tAusl\xC3\xB6sewert\n309\tGrenzwert\n"
      "310\tnicht festgelegt\n311\tT fehlt\n312\tVib\n313\tA(8) ist %1\n314\tleer\n"
      "315\tkeine Werte\n316\t\xC3\xBC"
      "ber dem Grenzwert\n321\tFaktoren %1 anders\n",
      &EnglishStrings());
  const std::vector<NumbersLine> lines = NumbersLines(HandArm(), strings);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], (NumbersLine{"Zeilen", "3600"}));
  EXPECT_EQ(lines[1], (NumbersLine{"Modus", "HA"}));
  EXPECT_EQ(lines[2],
            (NumbersLine{"X", "RMS 1.500 m/s\u00b2, Spitze 2.250 m/s\u00b2, VDV 3.000 m/s^1.75"}));
  EXPECT_EQ(lines[5], (NumbersLine{"Summe", "RMS 2.500 m/s\u00b2, Spitze 4.000 m/s\u00b2"}));
  EXPECT_EQ(lines[7].label, "Ausl\xC3\xB6sewert");
  EXPECT_EQ(lines[8].label, "Grenzwert");
  MeasurementNumbers empty;
  EXPECT_EQ(NumbersLines(empty, strings)[2].value, "keine Zeilen");
  EXPECT_EQ(NumbersLines(empty, strings)[7].value, "nicht festgelegt");

  MeasurementNumbers above = HandArm();
  above.exposureLimit = 1.0;
  const ExposureTexts texts = DescribeExposure(&above, 8.0, strings);
  EXPECT_EQ(texts.a8, "A(8) ist 2.550 m/s\u00b2");
  EXPECT_EQ(texts.verdict, ExposureVerdict::kAboveLimit);
  EXPECT_EQ(texts.verdict_text,
            "\xC3\xBC"
            "ber dem Grenzwert");
  EXPECT_EQ(DescribeExposure(&above, std::nullopt, strings).a8, "T fehlt");
  // A string the table lacks is English.
  above.exposureLimit = 0.0;
  EXPECT_EQ(DescribeExposure(&above, 8.0, strings).verdict_text, "above action value");
  MeasurementNumbers whole_body = HandArm();
  whole_body.mode = OperatingMode::kWholeBody;
  EXPECT_EQ(DescribeExposure(&whole_body, 8.0, strings).warning, "Faktoren 1, 1, 1 anders");
}

// What a person reads: 4 significant digits for accelerations and vdv, A(8)
// with 3 decimals; the settings (sum factors, action and limit values) as
// they are.
TEST(MeasurementPreviewTextsTest, MeasuredNumbersAreRoundedForPeople) {
  MeasurementNumbers numbers = HandArm();
  (*numbers.axes)[0] = {0.23813647094583942, 1.2345678f, 0.000123456f};
  numbers.exposureAction = 2.75;
  numbers.exposureLimit = 1.15;
  const std::vector<NumbersLine> lines = NumbersLines(numbers, EnglishStrings());
  EXPECT_EQ(lines[2].value, "rms 0.2381 m/s\u00b2, peak 1.235 m/s\u00b2, vdv 0.0001235 m/s^1.75");
  EXPECT_EQ(lines[7].value, "2.75 m/s\u00b2");
  EXPECT_EQ(lines[8].value, "1.15 m/s\u00b2");
  numbers.mode = OperatingMode::kWholeBody;
  numbers.sumFactors = {1.4, 1.4, 1.0};
  (*numbers.axes)[0].rms = 0.6439190963916884 / 1.4;
  (*numbers.axes)[1].rms = 0.1;
  (*numbers.axes)[2].rms = 0.1;
  EXPECT_EQ(DescribeExposure(&numbers, 8.0, EnglishStrings()).a8, "A(8) = 0.644 m/s\u00b2");
}

// Cells that only read as 0 never give an all-clear: the verdict is unknown,
// says how many, is grey, and the warning names the axes.
TEST(MeasurementPreviewTextsTest, CellsThatAreNotNumbersGiveAGreyUnknownVerdict) {
  MeasurementNumbers numbers = HandArm();
  numbers.exposureAction = 100.0;  // far below: green, were the cells numbers
  numbers.exposureLimit = 200.0;
  ASSERT_EQ(DescribeExposure(&numbers, 8.0, EnglishStrings()).verdict,
            ExposureVerdict::kBelowAction);
  struct Case {
    const char* name;
    std::uint64_t x_rms, y_rms, sum;  // cells of the rms columns that are not numbers
    std::string verdict_text;
    std::string warning;
  };
  const Case cases[] = {
      {"one", 1, 0, 0, "unknown (1 value is not a number)",
       "Values that are not numbers, read as 0: X 1"},
      {"several", 3600, 12, 0, "unknown (3612 values are not numbers)",
       "Values that are not numbers, read as 0: X 3600, Y 12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MeasurementNumbers bad = numbers;
    (*bad.axes)[0].rmsNotNumbers = (*bad.axes)[0].notNumbers = c.x_rms;
    (*bad.axes)[1].rmsNotNumbers = (*bad.axes)[1].notNumbers = c.y_rms;
    const ExposureTexts texts = DescribeExposure(&bad, 8.0, EnglishStrings());
    EXPECT_EQ(texts.verdict, ExposureVerdict::kUnknown);
    EXPECT_EQ(texts.verdict_text, c.verdict_text);
    EXPECT_EQ(texts.verdict_text, VerdictText(ExposureVerdict::kUnknown, bad));
    EXPECT_EQ(VerdictColour(texts.verdict), VerdictColour(ExposureVerdict::kNone));
    EXPECT_NE(VerdictColour(texts.verdict), VerdictColour(ExposureVerdict::kBelowAction));
    EXPECT_EQ(texts.warning, c.warning);
  }
  // Only the sum's cells: A(8) is made of x, y and z, so its verdict stands,
  // but the warning says so.
  MeasurementNumbers sum_only = numbers;
  (*sum_only.axes)[3].notNumbers = 5;
  const ExposureTexts texts = DescribeExposure(&sum_only, 8.0, EnglishStrings());
  EXPECT_EQ(texts.verdict, ExposureVerdict::kBelowAction);
  EXPECT_EQ(texts.warning, "Values that are not numbers, read as 0: Sum 5");
}

// The command-line tool's verdicts are values of its output; the preview's are
// the English table's, in the same words.
TEST(MeasurementPreviewTextsTest, TheEnglishVerdictsAreThoseOfTheCommandLine) {
  for (const ExposureVerdict verdict :
       {ExposureVerdict::kAboveLimit, ExposureVerdict::kAboveAction, ExposureVerdict::kBelowAction,
        ExposureVerdict::kBelowLimit, ExposureVerdict::kUnknown}) {
    SCOPED_TRACE(static_cast<int>(verdict));
    EXPECT_EQ(EnglishStrings().Load(VerdictStringId(verdict)), VerdictText(verdict));
  }
  EXPECT_EQ(VerdictStringId(ExposureVerdict::kNone), 0);
}

}  // namespace
}  // namespace rqx340
