// The numbers of a measurement, its daily exposure and verdict, and the plot's
// reduction of the rows to pixel columns.
#include "import/measurement_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "base/shortest_text.h"
#include "support/parsed_measurement.h"

namespace rqx340 {
namespace {

using test::ParsedMeasurement;

// A measurement whose rows hold rms_x, peak_x, vdv_x at 0..2, the y axis at 3..5,
// z at 6..8 and rms_sum, peak_sum at 9, 10.
std::string Measurement(const std::string& rows, const std::string& props = "") {
  return R"({"MeasurementProperties":{"MeasProperties":{)" + props +
         R"(}},"TimeHistoryColumns":{"rms_x":0,"peak_x":1,"vdv_x":2,"rms_y":3,"peak_y":4,)"
         R"("vdv_y":5,"rms_z":6,"peak_z":7,"vdv_z":8,"rms_sum":9,"peak_sum":10},)"
         R"("TimeHistory":[)" +
         rows + "]}";
}

TEST(MeasurementNumbers, EnergyAveragePeakAndLastVdv) {
  // The rms of rows 3 and 4 average to sqrt((9 + 16) / 2); a row that is no
  // array and a cell that is no number read as 0.0 and count.
  const ParsedMeasurement m(Measurement(
      R"([3,1,0.5, 1,2,1, 2,5,2, 4,9],[4,7,0.75, 1,"x",1.5, 2,6,3, 4,3],"row",)"
      R"([0,2,0.9, 1,1,2, 2,1,4, 4,1])",
      R"("TAG_OPERATING_MODE_20":1,"TAG_SUM_FACTOR_KX_34":1.4,"TAG_EXPOSUREACTION_66":2.5,)"
      R"("TAG_EXPOSURELIMIT_65":5)"));
  ASSERT_FALSE(m.parse.IsError());
  const MeasurementNumbers n = ComputeNumbers(m.document, m.rows);
  EXPECT_EQ(n.rows, 4u);
  EXPECT_EQ(n.mode, OperatingMode::kHandArm);
  EXPECT_EQ(ModeName(n.mode), "HA");
  EXPECT_EQ(n.sumFactors[0], 1.4);
  EXPECT_EQ(n.sumFactors[1], 0.0);
  EXPECT_EQ(n.exposureAction, 2.5);
  EXPECT_EQ(n.exposureLimit, 5.0);
  ASSERT_TRUE(n.axes);
  const auto& a = *n.axes;
  EXPECT_DOUBLE_EQ(a[0].rms, std::sqrt((9.0 + 16.0) / 4.0));
  EXPECT_EQ(a[0].peak, 7.0f);
  EXPECT_EQ(a[0].vdv, 0.9f);  // the last row, not the largest
  EXPECT_EQ(a[1].peak, 2.0f);
  EXPECT_EQ(a[1].vdv, 2.0f);
  EXPECT_EQ(a[2].vdv, 4.0f);
  EXPECT_DOUBLE_EQ(a[3].rms, std::sqrt(48.0 / 4.0));
  EXPECT_EQ(a[3].peak, 9.0f);
  EXPECT_FALSE(a[3].vdv);
  // The row that is no array has none of the 11 cells; "x" stands for peak_y.
  EXPECT_EQ(a[0].notNumbers, 3u);
  EXPECT_EQ(a[1].notNumbers, 4u);
  EXPECT_EQ(a[1].rmsNotNumbers, 1u);
  EXPECT_EQ(a[3].notNumbers, 2u);
}

TEST(MeasurementNumbers, FloatValuesAreTheExchangeFilesFloats) {
  // 0.1 is not exactly a float: the rms is that of float(0.1), in double.
  const ParsedMeasurement m(Measurement("[0.1,0.1,0.1,0,0,0,0,0,0,0,0]"));
  const auto n = ComputeNumbers(m.document, m.rows);
  EXPECT_EQ((*n.axes)[0].rms, static_cast<double>(0.1f));
  EXPECT_EQ(ShortestText((*n.axes)[0].peak), "0.1");
  EXPECT_EQ(ShortestText((*n.axes)[0].rms), "0.10000000149011612");
}

TEST(MeasurementNumbers, NoRowsHasNoNumbersAndIsNoError) {
  for (const char* text : {R"({"TimeHistory":[]})", "{}", "[1,2", ""}) {
    SCOPED_TRACE(text);
    const ParsedMeasurement m(text);
    const auto n = ComputeNumbers(m.document, m.rows);
    EXPECT_EQ(n.rows, 0u);
    EXPECT_FALSE(n.axes);
    EXPECT_EQ(n.mode, OperatingMode::kVibration);
    EXPECT_FALSE(DailyExposure(n, 8.0));
  }
}

TEST(MeasurementNumbers, PeakLeavesNaNOutAndKeepsInfinity) {
  // 1e39 overflows float32 to infinity, as in the exchange file.
  const ParsedMeasurement m(Measurement("[0,1e39,0,0,-1e39,0,0,1,0,0,0]"));
  const auto n = ComputeNumbers(m.document, m.rows);
  EXPECT_EQ((*n.axes)[0].peak, std::numeric_limits<float>::infinity());
  EXPECT_EQ((*n.axes)[1].peak, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(ShortestText((*n.axes)[0].peak), "Infinity");
  EXPECT_EQ(ShortestText((*n.axes)[1].peak), "-Infinity");
  EXPECT_EQ(ShortestText(std::nanf("")), "NaN");
}

MeasurementNumbers WithRms(OperatingMode mode, double x, double y, double z) {
  MeasurementNumbers n;
  n.rows = 1;
  n.mode = mode;
  std::array<AxisNumbers, 4> axes{};
  axes[0].rms = x;
  axes[1].rms = y;
  axes[2].rms = z;
  n.axes = axes;
  return n;
}

TEST(MeasurementNumbers, DailyExposureByMode) {
  // Hand-arm: the vector sum, 3-4-12 gives 13.
  EXPECT_DOUBLE_EQ(*DailyExposure(WithRms(OperatingMode::kHandArm, 3, 4, 12), 8.0), 13.0);
  EXPECT_DOUBLE_EQ(*DailyExposure(WithRms(OperatingMode::kHandArm, 3, 4, 12), 2.0), 6.5);
  // Whole-body: the largest of 1.4 x, 1.4 y, z, whatever the file's factors.
  EXPECT_DOUBLE_EQ(*DailyExposure(WithRms(OperatingMode::kWholeBody, 1, 0.5, 1.3), 8.0), 1.4);
  EXPECT_DOUBLE_EQ(*DailyExposure(WithRms(OperatingMode::kWholeBody, 0.1, 0.5, 1.3), 32.0 / 4),
                   1.3);
  EXPECT_DOUBLE_EQ(*DailyExposure(WithRms(OperatingMode::kWholeBody, 0.1, 0.5, 1.3), 24.0),
                   1.3 * std::sqrt(3.0));
  EXPECT_FALSE(DailyExposure(WithRms(OperatingMode::kVibration, 1, 1, 1), 8.0));
  for (const double hours : {0.0, -1.0, 24.000001, std::nan("")}) {
    EXPECT_FALSE(DailyExposure(WithRms(OperatingMode::kHandArm, 1, 1, 1), hours)) << hours;
  }
  // A NaN axis never hides behind the others as the largest.
  EXPECT_TRUE(
      std::isnan(*DailyExposure(WithRms(OperatingMode::kWholeBody, std::nan(""), 0.5, 1.3), 8.0)));
  EXPECT_TRUE(
      std::isnan(*DailyExposure(WithRms(OperatingMode::kWholeBody, 0.5, 0.5, std::nan("")), 8.0)));
}

TEST(MeasurementNumbers, WholeBodyFactorsComparedAsFloat32) {
  MeasurementNumbers n;
  n.sumFactors = {1.4, 1.4, 1.0};
  EXPECT_FALSE(WholeBodyFactorsDiffer(n));
  n.sumFactors = {static_cast<float>(1.4), 1.4000000001, 1.0};  // the meter stores float32
  EXPECT_FALSE(WholeBodyFactorsDiffer(n));
  for (const auto& k :
       {std::array<double, 3>{1.0, 1.0, 1.0}, {0.0, 0.0, 0.0}, {1.4, 1.4, 1.4}, {1.41, 1.4, 1.0}}) {
    n.sumFactors = k;
    EXPECT_TRUE(WholeBodyFactorsDiffer(n)) << k[0] << " " << k[1] << " " << k[2];
  }
}

TEST(MeasurementNumbers, VerdictBoundariesAndUnsetValues) {
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    double a8, action, limit;
    ExposureVerdict verdict;
  };
  const Case cases[] = {
      {5.0, 2.5, 5.0, ExposureVerdict::kAboveAction},  // equal to the limit is not above it
      {5.0000001, 2.5, 5.0, ExposureVerdict::kAboveLimit},
      {2.5, 2.5, 5.0, ExposureVerdict::kBelowAction},  // equal to the action value
      {2.5000001, 2.5, 5.0, ExposureVerdict::kAboveAction},
      {0.0, 2.5, 5.0, ExposureVerdict::kBelowAction},
      {inf, 2.5, 5.0, ExposureVerdict::kAboveLimit},
      {1.0, 0.0, 5.0, ExposureVerdict::kBelowLimit},  // only a limit
      {6.0, -1.0, 5.0, ExposureVerdict::kAboveLimit},
      {3.0, 2.5, 0.0, ExposureVerdict::kAboveAction},  // only an action value
      {2.0, 2.5, -5.0, ExposureVerdict::kBelowAction},
      {9.0, 0.0, 0.0, ExposureVerdict::kNone},
      {9.0, nan, nan, ExposureVerdict::kNone},
      {nan, 2.5, 5.0, ExposureVerdict::kUnknown},  // never an all-clear
      {nan, 0.0, 5.0, ExposureVerdict::kUnknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JudgeExposure(c.a8, c.action, c.limit), c.verdict)
        << c.a8 << " " << c.action << " " << c.limit;
  }
  EXPECT_EQ(VerdictText(ExposureVerdict::kAboveLimit), "above limit value");
  EXPECT_EQ(VerdictText(ExposureVerdict::kBelowLimit), "below limit value");
  EXPECT_EQ(VerdictText(ExposureVerdict::kNone), "");
}

// A cell that is not a number reads as 0.0, as in the exchange file, but is
// counted per axis, and A(8) made of one is never judged an all-clear.
TEST(MeasurementNumbers, CellsThatAreNotNumbersAreCountedAndNeverAllClear) {
  const std::string props =
      R"("TAG_OPERATING_MODE_20":1,"TAG_EXPOSUREACTION_66":2.5,"TAG_EXPOSURELIMIT_65":5)";
  const std::string numbers = "[1,1,1, 1,1,1, 1,1,1, 1,1]";
  const std::string strings = R"(["1","1","1", "1","1","1", "1","1","1", "1","1"])";
  const auto without_columns = [&](const std::string& rows) {
    return R"({"MeasurementProperties":{"MeasProperties":{)" + props + R"(}},"TimeHistory":[)" +
           rows + "]}";
  };
  struct Case {
    const char* name;
    std::string text;
    std::array<std::uint64_t, 4> not_numbers;  // x, y, z, sum
    std::uint64_t for_exposure;                // rms x, y, z
    const char* verdict;
  };
  const Case cases[] = {
      {"numbers",
       Measurement(numbers + "," + numbers, props),
       {0, 0, 0, 0},
       0,
       "below action value"},
      {"rows of strings",
       Measurement(strings + "," + strings, props),
       {6, 6, 6, 4},
       6,
       "unknown (6 values are not numbers)"},
      {"rows that are objects",
       Measurement(R"({"a":1},{"b":[2]})", props),
       {6, 6, 6, 4},
       6,
       "unknown (6 values are not numbers)"},
      {"cells outside the row",
       Measurement("[1,1,1],[1,1,1,1]", props),
       {0, 5, 6, 4},
       3,
       "unknown (3 values are not numbers)"},
      {"no TimeHistoryColumns",
       without_columns(numbers + "," + numbers),
       {6, 6, 6, 4},
       6,
       "unknown (6 values are not numbers)"},
      {"literals, objects and arrays in a row",
       Measurement(R"([null,1,1, 1,[2],1, 1,1,{"v":1}, true,1],)" + numbers, props),
       {1, 1, 1, 1},
       1,
       "unknown (1 value is not a number)"},
      {"one cell of the rms column",
       Measurement(R"([1,1,1, 1,1,1, "0.5",1,1, 1,1])", props),
       {0, 0, 1, 0},
       1,
       "unknown (1 value is not a number)"},
      {"only a peak cell: A(8) is sound",
       Measurement(R"([1,"9",1, 1,1,1, 1,1,1, 1,1])", props),
       {1, 0, 0, 0},
       0,
       "below action value"},
      {"a column named by a string",
       R"({"MeasurementProperties":{"MeasProperties":{)" + props +
           R"(}},"TimeHistoryColumns":{"rms_x":"0","peak_x":1,"vdv_x":2,"rms_y":3,"peak_y":4,)"
           R"("vdv_y":5,"rms_z":6,"peak_z":7,"vdv_z":8,"rms_sum":9,"peak_sum":10},)"
           R"("TimeHistory":[)" +
           numbers + "]}",
       {1, 0, 0, 0},
       1,
       "unknown (1 value is not a number)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ParsedMeasurement m(c.text);
    ASSERT_FALSE(m.parse.IsError());
    const MeasurementNumbers n = ComputeNumbers(m.document, m.rows);
    ASSERT_TRUE(n.axes);
    for (std::size_t axis = 0; axis < 4; ++axis) {
      EXPECT_EQ((*n.axes)[axis].notNumbers, c.not_numbers[axis]) << axis;
    }
    EXPECT_EQ(ExposureNotNumbers(n), c.for_exposure);
    // Small values: without the count this would be an all-clear.
    const std::optional<double> a8 = DailyExposure(n, 8.0);
    ASSERT_TRUE(a8);
    const ExposureVerdict verdict = JudgeExposure(n, *a8);
    EXPECT_EQ(VerdictText(verdict, n), c.verdict);
    EXPECT_EQ(NotNumbersWarning(n).empty(), c.not_numbers == (std::array<std::uint64_t, 4>{}));
  }
  // The warning names the axes that have such cells.
  const ParsedMeasurement m(Measurement("[1,1,1],[1,1,1,1]", props));
  EXPECT_EQ(NotNumbersWarning(ComputeNumbers(m.document, m.rows)),
            "values that are not numbers, read as 0: y 5, z 6, sum 4");
  // With nothing set to judge against there is no verdict, as before.
  MeasurementNumbers unset = ComputeNumbers(m.document, m.rows);
  unset.exposureAction = 0.0;
  unset.exposureLimit = 0.0;
  EXPECT_EQ(JudgeExposure(unset, 1.0), ExposureVerdict::kNone);
  // A NaN A(8) says so when every cell is a number.
  const ParsedMeasurement sound(Measurement(numbers, props));
  const MeasurementNumbers n = ComputeNumbers(sound.document, sound.rows);
  EXPECT_EQ(VerdictText(JudgeExposure(n, std::nan("")), n), "unknown (A(8) is not a number)");
}

TEST(MeasurementNumbers, ExposureHoursText) {
  for (const char* good : {"8", "0.5", "24", "1e1", "24.0", "0.001"}) {
    EXPECT_TRUE(ParseExposureHours(good)) << good;
  }
  EXPECT_EQ(*ParseExposureHours("2.5"), 2.5);
  for (const char* bad :
       {"", "0", "-1", "+8", " 8", "8 ", "8,5", "24.0001", "nan", "inf", "8h", "1e400", "0x8"}) {
    EXPECT_FALSE(ParseExposureHours(bad)) << bad;
  }
}

TEST(MeasurementNumbers, PlotDataKeepsMinAndMaxPerColumn) {
  std::string rows;
  for (int r = 0; r < 10; ++r) {
    if (r > 0) rows += ',';
    const std::string v = std::to_string(r);
    rows += "[" + v + ",0,0," + v + ",0,0," + v + ",0,0," + (r == 4 ? "1e39" : v) + ",0]";
  }
  const ParsedMeasurement m(Measurement(rows));
  const PlotData plot = ComputePlotData(m.document, m.rows, 4);
  EXPECT_EQ(plot.rows, 10u);
  ASSERT_EQ(plot.columns, 4u);
  ASSERT_EQ(plot.series.size(), 4u);
  // Row r goes to column floor(4r / 10): 0,0,0,1,1,2,2,2,3,3.
  EXPECT_EQ(plot.series[0].min, (std::vector<float>{0, 3, 5, 8}));
  EXPECT_EQ(plot.series[0].max, (std::vector<float>{2, 4, 7, 9}));
  EXPECT_EQ(plot.series[3].max[1], std::numeric_limits<float>::infinity());
  // Fewer rows than columns: one column per row.
  EXPECT_EQ(ComputePlotData(m.document, m.rows, 1000).columns, 10u);
  const ParsedMeasurement empty("{}");
  EXPECT_EQ(ComputePlotData(empty.document, empty.rows, 100).columns, 0u);
}

}  // namespace
}  // namespace rqx340
