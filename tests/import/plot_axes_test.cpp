// The plot's axes: time or rows on x, round values on y, the exposure lines, and
// what lies under the pointer.
#include "import/plot_axes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "support/parsed_measurement.h"

namespace rqx340 {
namespace {

using test::ParsedMeasurement;

LocalePictures Pictures(const std::string& time_format = "HH:mm:ss") {
  LocalePictures locale;
  locale.short_date = "yyyy-MM-dd";
  locale.time_format = time_format;
  locale.names = EnglishDateTimeNames();
  return locale;
}

std::vector<std::string> Labels(const std::vector<AxisTick>& ticks) {
  std::vector<std::string> labels;
  for (const auto& tick : ticks) labels.push_back(tick.label);
  return labels;
}

std::vector<std::string> SecondLabels(const std::vector<AxisTick>& ticks) {
  std::vector<std::string> labels;
  for (const auto& tick : ticks) labels.push_back(tick.secondLabel);
  return labels;
}

TEST(PlotAxesTest, TimeStepsAndElapsedTexts) {
  const struct {
    double at_least;
    double step;
  } steps[] = {{0, 1},          {0.3, 1},         {1, 1},           {1.5, 2},
               {3, 5},          {7, 10},          {11, 15},         {16, 30},
               {31, 60},        {61, 120},        {121, 300},       {301, 600},
               {601, 900},      {901, 1800},      {1801, 3600},     {3601, 7200},
               {7201, 10800},   {10801, 21600},   {21601, 43200},   {43201, 86400},
               {86401, 172800}, {172801, 432000}, {432001, 864000}, {std::nan(""), 1}};
  for (const auto& s : steps) {
    EXPECT_EQ(TimeStepAtLeast(s.at_least), s.step) << s.at_least;
  }
  const struct {
    double seconds;
    int decimals;
    const char* text;
  } texts[] = {
      {0, 0, "0:00"},
      {5, 0, "0:05"},
      {59, 0, "0:59"},
      {60, 0, "1:00"},
      {600, 0, "10:00"},
      {3599, 0, "59:59"},
      {3600, 0, "1:00:00"},
      {3661, 0, "1:01:01"},
      {86400 * 2 + 5, 0, "48:00:05"},
      {7.5, 1, "0:07.5"},
      {59.96, 1, "1:00.0"},
      {0.125, 3, "0:00.125"},
      {-3, 0, "0:00"},
      {std::nan(""), 0, "0:00"},
  };
  for (const auto& t : texts) {
    EXPECT_EQ(ElapsedText(t.seconds, t.decimals), t.text) << t.seconds;
  }
}

TEST(PlotAxesTest, TimeOfDayFollowsTheMetersClockInTheUsersPicture) {
  // 1500000000 is 2017-07-14 02:40:00 on the meter's clock.
  EXPECT_EQ(TimeOfDayText(1500000000, 0, Pictures()), "02:40:00");
  EXPECT_EQ(TimeOfDayText(1500000000, 3600.9, Pictures()), "03:40:00");
  EXPECT_EQ(TimeOfDayText(1500000000, 86400 - 9600, Pictures()), "00:00:00");  // past midnight
  EXPECT_EQ(TimeOfDayText(1500000000, 36000, Pictures("h:mm:ss tt")), "12:40:00 PM");
  EXPECT_EQ(TimeOfDayText(1500000000, 0, Pictures("")), "02:40:00");
}

// The measurement the issue names: 3600 rows of one second each.
TEST(PlotAxesTest, AnHourOfRowsIsLabelledInTime) {
  const PlotTimeBase base{3600, 1.0, 1500000000};
  const TimeAxis axis = MakeTimeAxis(base, 700, 60, Pictures());
  EXPECT_TRUE(axis.inTime);
  EXPECT_EQ(axis.title, "elapsed time");
  EXPECT_EQ(axis.secondTitle, "time of day");
  EXPECT_EQ(Labels(axis.ticks), (std::vector<std::string>{"0:00", "10:00", "20:00", "30:00",
                                                          "40:00", "50:00", "1:00:00"}));
  EXPECT_EQ(SecondLabels(axis.ticks).front(), "02:40:00");
  EXPECT_EQ(SecondLabels(axis.ticks).back(), "03:40:00");
  EXPECT_EQ(axis.ticks.front().position, 0.0);
  EXPECT_EQ(axis.ticks.back().position, 700.0);
  EXPECT_DOUBLE_EQ(axis.ticks[3].position, 350.0);
  // Without a start time, no second row.
  const TimeAxis plain = MakeTimeAxis({3600, 1.0, std::nullopt}, 700, 60, Pictures());
  EXPECT_EQ(plain.secondTitle, "");
  EXPECT_EQ(SecondLabels(plain.ticks), std::vector<std::string>(7));
}

TEST(PlotAxesTest, TheStepFollowsTheRoomForLabels) {
  const struct {
    std::uint64_t rows;
    double seconds_per_row;
    double width;
    double spacing;
    std::vector<std::string> first;  // the first labels
    const char* last;
    std::size_t count;
  } cases[] = {
      {3600, 1, 3600, 60, {"0:00", "1:00", "2:00"}, "1:00:00", 61},
      {100, 1, 500, 60, {"0:00", "0:15", "0:30", "0:45", "1:00"}, "1:30", 7},
      {10, 0.5, 500, 60, {"0:00", "0:01", "0:02"}, "0:05", 6},
      {4, 0.1, 500, 60, {"0:00"}, "0:00", 1},  // shorter than the smallest step
      {28800, 1, 800, 70, {"0:00", "1:00:00", "2:00:00"}, "8:00:00", 9},
      {86400 * 3, 1, 600, 60, {"0:00", "12:00:00", "24:00:00"}, "72:00:00", 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rows);
    const TimeAxis axis =
        MakeTimeAxis({c.rows, c.seconds_per_row, std::nullopt}, c.width, c.spacing, Pictures());
    const std::vector<std::string> labels = Labels(axis.ticks);
    ASSERT_EQ(labels.size(), c.count);
    EXPECT_EQ(std::vector<std::string>(labels.begin(), labels.begin() + c.first.size()), c.first);
    EXPECT_EQ(labels.back(), c.last);
    for (std::size_t i = 1; i < axis.ticks.size(); ++i) {
      EXPECT_GE(axis.ticks[i].position - axis.ticks[i - 1].position, c.spacing - 1e-9);
    }
  }
}

TEST(PlotAxesTest, WithoutADurationTheAxisCountsRows) {
  const TimeAxis axis = MakeTimeAxis({3600, std::nullopt, 1500000000}, 700, 60, Pictures());
  EXPECT_FALSE(axis.inTime);
  EXPECT_EQ(axis.title, "row");
  EXPECT_EQ(axis.secondTitle, "");
  EXPECT_EQ(Labels(axis.ticks),
            (std::vector<std::string>{"0", "500", "1000", "1500", "2000", "2500", "3000", "3500"}));
  EXPECT_DOUBLE_EQ(axis.ticks[0].position, 0.5 / 3600 * 700);
  // Few rows: every row, at the middle of its share.
  const TimeAxis few = MakeTimeAxis({3, std::nullopt, std::nullopt}, 300, 60, Pictures());
  EXPECT_EQ(Labels(few.ticks), (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_DOUBLE_EQ(few.ticks[1].position, 150.0);
  // Nothing to show.
  EXPECT_TRUE(MakeTimeAxis({0, 1.0, std::nullopt}, 300, 60, Pictures()).ticks.empty());
  EXPECT_TRUE(MakeTimeAxis({10, 1.0, std::nullopt}, 0, 60, Pictures()).ticks.empty());
}

TEST(PlotAxesTest, TheTimeBaseComesFromTheSummaryAndTheHeader) {
  const struct {
    const char* text;
    std::optional<double> seconds_per_row;
    std::optional<std::int64_t> start;
  } cases[] = {
      {R"({"Header":{"StartDateTime":1500000000},"Summary":{"Duration":3600},"TimeHistory":[[1],[2]]})",
       1800.0, 1500000000},
      {R"({"Summary":{"Duration":1.5},"TimeHistory":[[1],[2],[3]]})", 0.5, std::nullopt},
      {R"({"Summary":{"Duration":0},"TimeHistory":[[1]]})", std::nullopt, std::nullopt},
      {R"({"Summary":{"Duration":-5},"TimeHistory":[[1]]})", std::nullopt, std::nullopt},
      {R"({"Summary":{"Duration":"60"},"TimeHistory":[[1]]})", std::nullopt, std::nullopt},
      {R"({"Header":{"StartDateTime":0},"Summary":{"Duration":60},"TimeHistory":[]})", std::nullopt,
       std::nullopt},
      {R"({"Header":{"StartDateTime":-7},"TimeHistory":[[1]]})", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const ParsedMeasurement m(c.text);
    const PlotTimeBase base = ReadPlotTimeBase(m.document, m.rows.RowCount());
    EXPECT_EQ(base.rows, m.rows.RowCount());
    EXPECT_EQ(base.secondsPerRow, c.seconds_per_row);
    EXPECT_EQ(base.startClock, c.start);
  }
}

TEST(PlotAxesTest, ValueTicksAreRoundAndTheTopIsATick) {
  const struct {
    double largest;
    double height;
    double spacing;
    std::vector<std::string> labels;
    double top;
  } cases[] = {
      {0.95, 200, 30, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}, 1.0},
      {1.0, 200, 30, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}, 1.0},
      {0.2381, 200, 40, {"0.00", "0.05", "0.10", "0.15", "0.20", "0.25"}, 0.25},
      {7.3, 100, 30, {"0", "5", "10"}, 10},
      {12345, 300, 30, {"0", "2000", "4000", "6000", "8000", "10000", "12000", "14000"}, 14000},
      {0.0003, 100, 50, {"0.0000", "0.0002", "0.0004"}, 0.0004},
      {0, 100, 50, {"0.0", "0.5", "1.0"}, 1.0},  // nothing above 0: 0 to 1
      {std::nan(""), 100, 50, {"0.0", "0.5", "1.0"}, 1.0},
      {std::numeric_limits<double>::infinity(), 100, 50, {"0.0", "0.5", "1.0"}, 1.0},
      {3, 10, 30, {"0", "5"}, 5},  // no room: one step
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.largest);
    const ValueAxis axis = MakeValueAxis(c.largest, c.height, c.spacing);
    EXPECT_EQ(Labels(axis.ticks), c.labels);
    EXPECT_DOUBLE_EQ(axis.top, c.top);
    EXPECT_EQ(axis.ticks.front().position, 0.0);
    EXPECT_DOUBLE_EQ(axis.ticks.back().position, c.height);
  }
}

TEST(PlotAxesTest, ActionAndLimitLinesWithinTheRange) {
  MeasurementNumbers numbers;
  numbers.exposureAction = 2.5;
  numbers.exposureLimit = 5;
  const ValueAxis axis = MakeValueAxis(4.2, 100, 20);  // 0 to 5
  ASSERT_EQ(axis.top, 5.0);
  std::vector<ReferenceLine> lines = ExposureLines(numbers, axis, 100);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].label, "action value 2.5 m/s\u00b2");
  EXPECT_DOUBLE_EQ(lines[0].position, 50.0);
  EXPECT_FALSE(lines[0].limit);
  EXPECT_EQ(lines[1].label, "limit value 5 m/s\u00b2");
  EXPECT_DOUBLE_EQ(lines[1].position, 100.0);
  EXPECT_TRUE(lines[1].limit);
  // Above the range, or not set: no line.
  lines = ExposureLines(numbers, MakeValueAxis(1.1, 100, 20), 100);
  EXPECT_TRUE(lines.empty());
  numbers.exposureAction = 0;
  numbers.exposureLimit = -1;
  EXPECT_TRUE(ExposureLines(numbers, axis, 100).empty());
}

// rms x, y, z, sum at 0, 3, 6, 9 of each row: row r holds r, 2r, 3r, 4r.
std::string Rows(int count, bool with_duration) {
  std::string text = R"({"Header":{"StartDateTime":1500000000},)";
  if (with_duration) text += R"("Summary":{"Duration":)" + std::to_string(count / 2.0) + "},";
  text += R"("TimeHistoryColumns":{"rms_x":0,"rms_y":3,"rms_z":6,"rms_sum":9},"TimeHistory":[)";
  for (int r = 0; r < count; ++r) {
    if (r > 0) text += ",";
    text += "[" + std::to_string(r) + ",0,0," + std::to_string(2 * r) + ",0,0," +
            std::to_string(3 * r) + ",0,0," + (r == 1 ? "\"x\"" : std::to_string(4 * r)) + "]";
  }
  return text + "]}";
}

TEST(PlotAxesTest, HoverGivesTheTimeAndTheFourValuesUnderThePointer) {
  const ParsedMeasurement m(Rows(10, true));  // 5 s, half a second per row
  const PlotData plot = ComputePlotData(m.document, m.rows, kMaxPlotColumns);
  const PlotTimeBase base = ReadPlotTimeBase(m.document, plot.rows);
  ASSERT_EQ(plot.columns, 10u);

  // 100 pixels for 10 rows: pixels 30 to 39 show row 3.
  auto hover = HoverAt(plot, base, 35, 100, Pictures());
  ASSERT_TRUE(hover);
  EXPECT_EQ(hover->firstRow, 3u);
  EXPECT_EQ(hover->lastRow, 3u);
  EXPECT_EQ(hover->time, "0:01.5 (02:40:01)");
  EXPECT_EQ(hover->min, (std::array<float, 4>{3, 6, 9, 12}));
  EXPECT_EQ(hover->text, "0:01.5 (02:40:01): x 3.000, y 6.000, z 9.000, sum 12.00 m/s\u00b2");

  // 4 pixels for 10 rows: pixel 1 covers columns, and rows, 2 to 4 and shows
  // the smallest and largest value of each series.
  hover = HoverAt(plot, base, 1, 4, Pictures());
  ASSERT_TRUE(hover);
  EXPECT_EQ(hover->firstRow, 2u);
  EXPECT_EQ(hover->lastRow, 4u);
  EXPECT_EQ(hover->min[0], 2.0f);
  EXPECT_EQ(hover->max[0], 4.0f);
  EXPECT_EQ(hover->text,
            "0:01.0 (02:40:01): x 2.000\u20134.000, y 4.000\u20138.000, z 6.000\u201312.00, "
            "sum 8.000\u201316.00 m/s\u00b2");

  // Outside the area: nothing.
  EXPECT_FALSE(HoverAt(plot, base, -1, 100, Pictures()));
  EXPECT_FALSE(HoverAt(plot, base, 100, 100, Pictures()));
  EXPECT_FALSE(HoverAt(plot, base, 0, 0, Pictures()));

  // Without a duration the rows are named; the cell that is not a number
  // plots as 0.
  const ParsedMeasurement rows_only(Rows(10, false));
  const PlotData plain = ComputePlotData(rows_only.document, rows_only.rows, 10);
  const PlotTimeBase plain_base = ReadPlotTimeBase(rows_only.document, plain.rows);
  hover = HoverAt(plain, plain_base, 1, 10, Pictures());
  ASSERT_TRUE(hover);
  EXPECT_EQ(hover->time, "row 1");
  EXPECT_EQ(hover->max[3], 0.0f);
  hover = HoverAt(plain, plain_base, 0, 3, Pictures());
  ASSERT_TRUE(hover);
  EXPECT_EQ(hover->time, "rows 0\u20132");
}

TEST(PlotAxesTest, HoverFindsEveryRowOfALongMeasurement) {
  // Each of 1000 pixel columns of 100 000 rows holds 100 rows; together they
  // hold each row once.
  PlotData plot;
  plot.rows = 100000;
  plot.columns = 65536;
  for (auto& series : plot.series) {
    series.min.assign(plot.columns, 1.0f);
    series.max.assign(plot.columns, 2.0f);
  }
  const PlotTimeBase base{plot.rows, 1.0, std::nullopt};
  std::uint64_t next = 0;
  for (int x = 0; x < 1000; ++x) {
    const auto hover = HoverAt(plot, base, x, 1000, Pictures());
    ASSERT_TRUE(hover);
    ASSERT_EQ(hover->firstRow, next) << x;
    ASSERT_GE(hover->lastRow, hover->firstRow);
    next = hover->lastRow + 1;
  }
  EXPECT_EQ(next, plot.rows);
}

}  // namespace
}  // namespace rqx340
