// Values outside the scale are drawn at its edge; an infinite value at the top
// or the bottom, NaN as a gap.
#include "app/preview_plot_layout.h"

#include <algorithm>
#include <cmath>

#include "base/shortest_text.h"

namespace rqx340 {

std::array<std::string, 4> SeriesNames(const StringTable& strings) {
  const std::string rms = strings.Load(kIdsRms);
  return {FormatString(rms, "x"), FormatString(rms, "y"), FormatString(rms, "z"),
          strings.Load(kIdsPlotRmsSum)};
}

std::optional<PlotLayout> LayOutPlot(const PlotData* plot, const Rect& area,
                                     const StringTable& strings) {
  if (plot == nullptr || plot->columns == 0) return std::nullopt;
  PlotLayout layout;
  float top_value = 0.0f;
  for (const PlotSeries& series : plot->series) {
    for (const float value : series.max) {
      if (std::isfinite(value)) top_value = std::max(top_value, value);
    }
  }
  if (!(top_value > 0.0f)) top_value = 1.0f;
  layout.top_value = top_value;
  layout.top_label = ShortestText(top_value);
  const std::string row = strings.Load(kIdsPlotRow);
  layout.first_row = FormatString(row, "0");
  layout.last_row = FormatString(row, std::to_string(plot->rows - 1));

  const double bottom = area.bottom - 1;  // the last pixel row of the area
  const auto y_of = [&](float value) {
    const double clamped = std::clamp<double>(
        std::isfinite(value) ? value : (value > 0 ? top_value : 0.0), 0.0, top_value);
    return bottom - clamped / top_value * (area.Height() - 1);
  };
  const int pixels = area.Width();
  for (std::size_t s = 0; s < plot->series.size(); ++s) {
    const PlotSeries& series = plot->series[s];
    PlotTrace& trace = layout.traces[s];
    if (plot->columns <= static_cast<std::size_t>(std::max(pixels, 0))) {
      bool drawing = false;
      for (std::size_t c = 0; c < plot->columns; ++c) {
        const float value = series.max[c];
        if (std::isnan(value)) {
          drawing = false;
          continue;
        }
        if (!drawing) trace.lines.emplace_back();
        trace.lines.back().push_back(
            {area.left + (c + 0.5) * area.Width() / plot->columns, y_of(value)});
        drawing = true;
      }
      continue;
    }
    std::optional<std::pair<double, double>> previous;
    for (int px = 0; px < pixels; ++px) {
      const std::size_t first = plot->columns * static_cast<std::size_t>(px) / pixels;
      const std::size_t last = plot->columns * static_cast<std::size_t>(px + 1) / pixels;
      float low = NAN;
      float high = NAN;
      for (std::size_t c = first; c < last; ++c) {
        if (std::isnan(series.min[c])) continue;
        low = std::isnan(low) ? series.min[c] : std::min(low, series.min[c]);
        high = std::isnan(high) ? series.max[c] : std::max(high, series.max[c]);
      }
      if (std::isnan(low)) {
        previous.reset();
        continue;
      }
      double y_low = y_of(low);
      double y_high = y_of(high);
      if (previous) {
        y_low = std::max(y_low, previous->second);
        y_high = std::min(y_high, previous->first);
      }
      const double x = area.left + px + 0.5;
      trace.strokes.push_back({{x, std::max(y_low, y_high)}, {x, std::min(y_low, y_high)}});
      previous = std::make_pair(y_of(low), y_of(high));
    }
  }
  return layout;
}

}  // namespace rqx340
