#include "app/preview_plot_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/language_table.h"

namespace rqx340 {
namespace {

PlotData Series(std::vector<float> values) {
  PlotData plot;
  plot.rows = values.size();
  plot.columns = values.size();
  for (PlotSeries& series : plot.series) {
    series.min = values;
    series.max = values;
  }
  return plot;
}

// A font of 7 pixels per character (UTF-8 continuation bytes not counted)
// and 14-pixel lines.
PlotFontMetrics FixedFont() {
  return {[](std::string_view text) {
            int characters = 0;
            for (const char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
            return 7 * characters;
          },
          14};
}

LocalePictures Pictures() {
  LocalePictures locale;
  locale.time_format = "HH:mm:ss";
  locale.names = EnglishDateTimeNames();
  return locale;
}

std::vector<std::string> Labels(const std::vector<AxisTick>& ticks) {
  std::vector<std::string> labels;
  for (const AxisTick& tick : ticks) labels.push_back(tick.label);
  return labels;
}

// True for 1, 2 or 5 × 10^n.
bool IsRoundStep(double step) {
  const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  return std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
         std::fabs(mantissa - 5) < 1e-6;
}

// A ramp of `rows` rows up to `largest`, one column per row.
PlotData Ramp(std::size_t rows, float largest) {
  std::vector<float> values(rows);
  for (std::size_t r = 0; r < rows; ++r) values[r] = largest * (r + 1) / rows;
  PlotData plot;
  plot.rows = rows;
  plot.columns = rows;
  for (PlotSeries& series : plot.series) {
    series.min = values;
    series.max = values;
  }
  return plot;
}

TEST(PreviewPlotLayoutTest, AnHourOfRowsIsLabelledInTimeWithRoundValues) {
  const PlotData plot = Ramp(3600, 3.7f);
  PlotTimeBase base;
  base.rows = 3600;
  base.secondsPerRow = 1.0;
  base.startClock = 1500000000;  // 02:40:00 on the meter's clock
  MeasurementNumbers numbers;
  numbers.exposureAction = 2.5;
  numbers.exposureLimit = 5.0;  // above the top: no line
  const Rect bounds{0, 0, 720, 300};
  const PlotFrame frame =
      LayOutPlotFrame(&plot, &numbers, base, bounds, FixedFont(), Pictures(), EnglishStrings());

  // Inside the bounds, with room for every label.
  EXPECT_GT(frame.area.left, 0);
  EXPECT_LT(frame.area.right, bounds.right);
  EXPECT_GT(frame.area.top, 0);
  EXPECT_LT(frame.area.bottom + 4 + 3 * 14, bounds.bottom);  // two label rows and the title

  const std::vector<std::string> x_labels = Labels(frame.x.ticks);
  ASSERT_GE(x_labels.size(), 3u);
  EXPECT_EQ(x_labels.front(), "0:00");
  EXPECT_EQ(x_labels.back(), "1:00:00");
  EXPECT_EQ(frame.x.ticks.front().position, frame.area.left);
  EXPECT_EQ(frame.x.ticks.back().position, frame.area.right - 1);
  EXPECT_EQ(frame.x.ticks.front().secondLabel, "02:40:00");
  EXPECT_EQ(frame.x.ticks.back().secondLabel, "03:40:00");
  EXPECT_EQ(frame.x.title, "elapsed time (time of day)");
  for (std::size_t i = 1; i < frame.x.ticks.size(); ++i) {
    // Apart by at least the widest label.
    EXPECT_GE(frame.x.ticks[i].position - frame.x.ticks[i - 1].position, 7 * 8);
  }

  EXPECT_EQ(frame.y_title, "m/s\u00b2");
  ASSERT_GE(frame.y.ticks.size(), 3u);
  const double step = frame.y.ticks[1].value - frame.y.ticks[0].value;
  EXPECT_TRUE(IsRoundStep(step)) << step;
  EXPECT_EQ(frame.y.ticks.front().value, 0.0);
  EXPECT_EQ(frame.y.ticks.front().position, frame.area.bottom - 1);
  EXPECT_EQ(frame.y.ticks.back().value, frame.y.top);
  EXPECT_EQ(frame.y.ticks.back().position, frame.area.top);
  EXPECT_GE(frame.y.top, 3.7);
  EXPECT_LT(frame.y.top, 3.7 + step);
  for (const AxisTick& tick : frame.y.ticks) {
    EXPECT_LE(7 * static_cast<int>(tick.label.size()) + kPlotTickLength, frame.area.left)
        << tick.label;
  }

  ASSERT_EQ(frame.lines.size(), 1u);
  EXPECT_FALSE(frame.lines[0].limit);
  EXPECT_EQ(frame.lines[0].label, "action value 2.5 m/s\u00b2");
  EXPECT_DOUBLE_EQ(frame.lines[0].position,
                   frame.area.bottom - 1 - 2.5 / frame.y.top * (frame.area.Height() - 1));

  // The traces share the axis's scale: the largest value stands below the top.
  const auto layout = LayOutPlot(&plot, frame.area, EnglishStrings(), frame.y.top);
  ASSERT_TRUE(layout);
  EXPECT_FLOAT_EQ(layout->top_value, static_cast<float>(frame.y.top));
  ASSERT_FALSE(layout->traces[0].strokes.empty());  // more rows than pixels
  EXPECT_GT(layout->traces[0].strokes.back().second.y, frame.area.top + 1);
}

TEST(PreviewPlotLayoutTest, WithoutADurationTheAxisCountsRowsInTheLanguage) {
  const PlotData plot = Ramp(100, 1.0f);
  PlotTimeBase base;
  base.rows = 100;
  base.startClock = 1500000000;  // no duration: no time of day either
  const LanguageTable german =
      LanguageTable::Parse("343\tZeile\n345\tAusl\xC3\xB6sewert %1\n", &EnglishStrings());
  MeasurementNumbers numbers;
  numbers.exposureAction = 0.5;
  numbers.exposureLimit = 0.75;
  const PlotFrame frame =
      LayOutPlotFrame(&plot, &numbers, base, {0, 0, 400, 200}, FixedFont(), Pictures(), german);
  EXPECT_EQ(frame.x.title, "Zeile");
  const std::vector<std::string> labels = Labels(frame.x.ticks);
  ASSERT_GE(labels.size(), 2u);
  EXPECT_EQ(labels[0], "0");
  for (const AxisTick& tick : frame.x.ticks) EXPECT_EQ(tick.secondLabel, "");
  // Row r at the middle of its share.
  EXPECT_DOUBLE_EQ(frame.x.ticks[0].position, frame.area.left + 0.5 / 100 * frame.area.Width());
  ASSERT_EQ(frame.lines.size(), 2u);
  EXPECT_EQ(frame.lines[0].label, "Ausl\xC3\xB6sewert 0.5 m/s\u00b2");
  EXPECT_EQ(frame.lines[1].label,
            "limit value 0.75 m/s\u00b2");  // English where the table lacks it
  EXPECT_TRUE(frame.lines[1].limit);

  // A duration without a start: elapsed time alone.
  base.secondsPerRow = 0.5;
  base.startClock.reset();
  const PlotFrame timed = LayOutPlotFrame(&plot, nullptr, base, {0, 0, 400, 200}, FixedFont(),
                                          Pictures(), EnglishStrings());
  EXPECT_EQ(timed.x.title, "elapsed time");
  EXPECT_EQ(timed.x.ticks.back().label, "0:50");
  EXPECT_TRUE(timed.lines.empty());
  EXPECT_GT(timed.area.bottom, frame.area.bottom - 1);  // one label row less
}

TEST(PreviewPlotLayoutTest, AnEmptyPlotHasAFrameWithoutTicksOnX) {
  const PlotData no_rows;
  for (const PlotData* plot : {static_cast<const PlotData*>(nullptr), &no_rows}) {
    const PlotFrame frame = LayOutPlotFrame(plot, nullptr, {}, {0, 0, 300, 150}, FixedFont(),
                                            Pictures(), EnglishStrings());
    EXPECT_TRUE(frame.x.ticks.empty());
    EXPECT_EQ(frame.y.top, 1.0);
    EXPECT_GT(frame.area.Width(), 0);
    EXPECT_GT(frame.area.Height(), 0);
    EXPECT_EQ(PlotHoverText(plot, {}, frame.area, frame.area.left, Pictures(), EnglishStrings()),
              "");
  }
  // A widget too small for its labels still gets an area.
  const PlotData plot = Ramp(10, 1.0f);
  PlotTimeBase base;
  base.rows = 10;
  const PlotFrame tiny = LayOutPlotFrame(&plot, nullptr, base, {0, 0, 5, 5}, FixedFont(),
                                         Pictures(), EnglishStrings());
  EXPECT_GE(tiny.area.Width(), 2);
  EXPECT_GE(tiny.area.Height(), 2);
}

TEST(PreviewPlotLayoutTest, HoverSaysTheTimeOrTheRowsAndTheFourValues) {
  PlotData plot = Ramp(4, 4.0f);  // 1, 2, 3, 4
  plot.series[3].min[2] = plot.series[3].max[2] = NAN;
  const Rect area{10, 0, 50, 100};  // 40 pixels, 10 per row
  PlotTimeBase rows;
  rows.rows = 4;
  const LanguageTable german = LanguageTable::Parse(
      "305\tRMS %1\n337\tZeile %1\n338\tRMS Summe\n344\tZeilen %1 bis %2\n", &EnglishStrings());
  EXPECT_EQ(PlotHoverText(&plot, rows, area, 10 + 25, Pictures(), german),
            "Zeile 2\nRMS x 3.000 m/s\u00b2\nRMS y 3.000 m/s\u00b2\nRMS z 3.000 m/s\u00b2\n"
            "RMS Summe -");
  EXPECT_EQ(PlotHoverText(&plot, rows, area, 9, Pictures(), german), "");
  EXPECT_EQ(PlotHoverText(&plot, rows, area, 50, Pictures(), german), "");

  PlotTimeBase time = rows;
  time.secondsPerRow = 900.0;
  time.startClock = 1500000000;
  EXPECT_EQ(PlotHoverText(&plot, time, area, 10 + 15, Pictures(), EnglishStrings()),
            "15:00 (02:55:00)\nrms x 2.000 m/s\u00b2\nrms y 2.000 m/s\u00b2\n"
            "rms z 2.000 m/s\u00b2\nrms sum 2.000 m/s\u00b2");

  // Two rows in one pixel: their range.
  const Rect narrow{0, 0, 2, 100};
  EXPECT_EQ(PlotHoverText(&plot, rows, narrow, 0, Pictures(), german),
            "Zeilen 0 bis 1\nRMS x 1.000\u20132.000 m/s\u00b2\nRMS y 1.000\u20132.000 m/s\u00b2\n"
            "RMS z 1.000\u20132.000 m/s\u00b2\nRMS Summe 1.000\u20132.000 m/s\u00b2");
}

TEST(PreviewPlotLayoutTest, TheLegendAndTheRowLabelsAreTheLanguages) {
  const LanguageTable strings =
      LanguageTable::Parse("305\tRMS %1\n337\tZeile %1\n338\tRMS Summe\n", &EnglishStrings());
  EXPECT_EQ(SeriesNames(strings),
            (std::array<std::string, 4>{"RMS x", "RMS y", "RMS z", "RMS Summe"}));
  EXPECT_EQ(SeriesNames(EnglishStrings()),
            (std::array<std::string, 4>{"rms x", "rms y", "rms z", "rms sum"}));
  const PlotData plot = Series({1.0f, 2.0f});
  const auto layout = LayOutPlot(&plot, {0, 0, 100, 50}, strings);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->first_row, "Zeile 0");
  EXPECT_EQ(layout->last_row, "Zeile 1");
}

TEST(PreviewPlotLayoutTest, NothingToDrawWithoutRows) {
  EXPECT_FALSE(LayOutPlot(nullptr, {0, 0, 100, 50}, EnglishStrings()));
  PlotData empty;
  EXPECT_FALSE(LayOutPlot(&empty, {0, 0, 100, 50}, EnglishStrings()));
}

TEST(PreviewPlotLayoutTest, FewColumnsAreLinesThroughTheirCentresBrokenAtGaps) {
  const PlotData plot = Series({1.0f, 2.0f, NAN, 4.0f});
  const auto layout = LayOutPlot(&plot, {10, 20, 110, 61}, EnglishStrings());  // 100 x 41 pixels
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->top_value, 4.0f);
  EXPECT_EQ(layout->top_label, "4");
  EXPECT_EQ(layout->first_row, "row 0");
  EXPECT_EQ(layout->last_row, "row 3");
  const PlotTrace& trace = layout->traces[0];
  ASSERT_EQ(trace.lines.size(), 2u);
  EXPECT_TRUE(trace.strokes.empty());
  // x at the column centres; 0 on the last pixel row, the top value on the first.
  EXPECT_EQ(trace.lines[0][0], (PlotPoint{10 + 12.5, 60 - 0.25 * 40}));
  EXPECT_EQ(trace.lines[0][1], (PlotPoint{10 + 37.5, 60 - 0.5 * 40}));
  EXPECT_EQ(trace.lines[1], (std::vector<PlotPoint>{{10 + 87.5, 20}}));
}

TEST(PreviewPlotLayoutTest, ManyColumnsAreOneStrokePerPixelFromLowestToHighest) {
  PlotData plot = Series(std::vector<float>(10, 1.0f));
  plot.series[1].max[5] = std::numeric_limits<float>::infinity();  // drawn at the top
  plot.series[1].min[4] = -3.0f;                                   // drawn at 0
  const auto layout =
      LayOutPlot(&plot, {0, 0, 5, 11}, EnglishStrings());  // 5 pixels, 2 columns each
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->top_value, 1.0f);  // the largest finite value
  const PlotTrace& trace = layout->traces[1];
  EXPECT_TRUE(trace.lines.empty());
  ASSERT_EQ(trace.strokes.size(), 5u);
  EXPECT_EQ(trace.strokes[0].first.x, 0.5);
  // Pixel 2 holds columns 4 and 5: from 0 up to the top.
  EXPECT_EQ(trace.strokes[2].first, (PlotPoint{2.5, 10}));
  EXPECT_EQ(trace.strokes[2].second, (PlotPoint{2.5, 0}));
}

}  // namespace
}  // namespace rqx340
