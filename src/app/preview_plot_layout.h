// The preview's plot without a painter: the scale, its labels and each
// series' trace in pixels of the plot area, for the rms of X, Y, Z and the sum
// over the rows. When the plot holds more columns than the area has pixels,
// each pixel column gets one stroke from the smallest to the largest value
// that falls into it. Each front end draws the lines.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/anchor_layout.h"
#include "base/string_table.h"
#include "import/measurement_numbers.h"

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
// labels from `strings`; nullopt when there is nothing to draw (no rows: the
// plot then says kIdsPlotNoRows).
std::optional<PlotLayout> LayOutPlot(const PlotData* plot, const Rect& area,
                                     const StringTable& strings);

}  // namespace rqx340
