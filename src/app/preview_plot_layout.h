// The preview's plot without a painter: the frame (the plot area inside the
// widget, its axes in time or rows and round values, the action and limit
// value lines), each series' trace in pixels of the plot area for the rms of
// X, Y, Z and the sum over the rows, and the text under the pointer. When the
// plot holds more columns than the area has pixels, each pixel column gets one
// stroke from the smallest to the largest value that falls into it. Each front
// end measures its font and draws the lines.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/anchor_layout.h"
#include "base/string_table.h"
#include "import/measurement_numbers.h"
#include "import/plot_axes.h"
#include "platform/locale_pictures.h"

namespace rqx340 {

// X, Y, Z and the sum, in the plot and its legend; colours as 0xRRGGBB.
inline constexpr std::array<std::uint32_t, 4> kSeriesColours = {0xC62828, 0x2E7D32, 0x1565C0,
                                                                0x212121};
// The legend's names of X, Y, Z and the sum in the language of `strings`.
std::array<std::string, 4> SeriesNames(const StringTable& strings);

struct PlotPoint {
  double x = 0;
  double y = 0;
  friend bool operator==(const PlotPoint&, const PlotPoint&) = default;
};

struct PlotTrace {
  // Few columns: lines through the column centres, broken where a column has
  // no value.
  std::vector<std::vector<PlotPoint>> lines;
  // Many columns: per pixel column a stroke from `first` to `second`, joined
  // to the next one's so the trace stays unbroken.
  std::vector<std::pair<PlotPoint, PlotPoint>> strokes;
};

struct PlotLayout {
  // The scale runs from 0 to the largest finite value of any series (1 when
  // there is none above 0).
  float top_value = 1.0f;
  std::string top_label;  // the top value, as its shortest text
  std::string first_row;  // "row 0", in the language's words
  std::string last_row;   // "row N-1"
  std::array<PlotTrace, 4> traces;
};

// The plot of `plot` in `area` (pixels; right and bottom exclusive), its
// labels from `strings`, scaled from 0 to `top_scale` (0: the largest finite
// value); nullopt when there is nothing to draw (no rows: the plot then says
// kIdsPlotNoRows).
std::optional<PlotLayout> LayOutPlot(const PlotData* plot, const Rect& area,
                                     const StringTable& strings, double top_scale = 0.0);

// What a front end knows of its font: the width of a text and the height of a
// line, in pixels.
struct PlotFontMetrics {
  std::function<int(std::string_view)> text_width;
  int line_height = 0;
};

// The length of a tick mark outside the plot area, in pixels.
inline constexpr int kPlotTickLength = 4;

// The plot area inside a widget and everything drawn around it, in the
// widget's pixels (y down). Tick positions are absolute: x ticks give the
// pixel column, y ticks and lines the pixel row. Above the area stand the
// unit (left) and the legend (right); left of it the y labels; under it a row
// of x labels, a second one with the time of day when there is one, and the
// axis title, centred.
struct PlotFrame {
  Rect area;
  std::string y_title;               // "m/s²"
  ValueAxis y;                       // top: the value at the area's top; tick positions: pixel rows
  TimeAxis x;                        // tick positions: pixel columns; its title in the language
  std::vector<ReferenceLine> lines;  // pixel rows; labels in the language
};

// The frame of `plot` (null or without rows: the axes of an empty plot) in
// `bounds`, with `numbers`' action and limit values (null: none), the time
// base `base`, and the times of day in `locale`'s picture.
PlotFrame LayOutPlotFrame(const PlotData* plot, const MeasurementNumbers* numbers,
                          const PlotTimeBase& base, const Rect& bounds,
                          const PlotFontMetrics& metrics, const LocalePictures& locale,
                          const StringTable& strings);

// What lies under pixel column `x` of the widget when `area` shows `plot`:
// the time (and time of day) or the rows, and the four series' values, one a
// line ("rms x 0.2381 m/s²", a range where a pixel holds several rows, "-"
// where none is a number); empty outside the area or without rows.
std::string PlotHoverText(const PlotData* plot, const PlotTimeBase& base, const Rect& area, int x,
                          const LocalePictures& locale, const StringTable& strings);

}  // namespace rqx340
