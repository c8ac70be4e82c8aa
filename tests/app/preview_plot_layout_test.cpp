#include "app/preview_plot_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

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
