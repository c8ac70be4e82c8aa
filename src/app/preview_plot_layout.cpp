// Values outside the scale are drawn at its edge; an infinite value at the top
// or the bottom, NaN as a gap. The frame's margins are made of the widest
// label each axis may show, so no label is cut at any size or in any language.
#include "app/preview_plot_layout.h"

#include <algorithm>
#include <cmath>

#include "app/measurement_preview_texts.h"
#include "base/number_text.h"
#include "base/shortest_text.h"

namespace rqx340 {

namespace {

// Pixels between a label and what it labels, and around the frame.
constexpr int kLabelGap = 4;

// The largest finite value of any series; 0 when there is none above 0.
float LargestValue(const PlotData* plot) {
  float largest = 0.0f;
  if (plot == nullptr) return largest;
  for (const PlotSeries& series : plot->series) {
    for (const float value : series.max) {
      if (std::isfinite(value)) largest = std::max(largest, value);
    }
  }
  return largest;
}

std::string ValueRangeText(float low, float high) {
  if (std::isnan(low)) return "-";
  std::string text = AccelerationText(low);
  if (high != low) text += "\u2013" + AccelerationText(high);
  return text + kMetresPerSecondSquared;
}

}  // namespace

std::array<std::string, 4> SeriesNames(const StringTable& strings) {
  const std::string rms = strings.Load(kIdsRms);
  return {FormatString(rms, "x"), FormatString(rms, "y"), FormatString(rms, "z"),
          strings.Load(kIdsPlotRmsSum)};
}

std::optional<PlotLayout> LayOutPlot(const PlotData* plot, const Rect& area,
                                     const StringTable& strings, double top_scale) {
  if (plot == nullptr || plot->columns == 0) return std::nullopt;
  PlotLayout layout;
  float top_value = top_scale > 0.0 && std::isfinite(top_scale) ? static_cast<float>(top_scale)
                                                                : LargestValue(plot);
  if (!(top_value > 0.0f) || !std::isfinite(top_value)) top_value = 1.0f;
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

PlotFrame LayOutPlotFrame(const PlotData* plot, const MeasurementNumbers* numbers,
                          const PlotTimeBase& base, const Rect& bounds,
                          const PlotFontMetrics& metrics, const LocalePictures& locale,
                          const StringTable& strings) {
  const int line = std::max(metrics.line_height, 1);
  const auto width_of = [&metrics](std::string_view text) {
    return metrics.text_width ? std::max(metrics.text_width(text), 0) : 0;
  };
  PlotTimeBase time = base;
  if (plot == nullptr || plot->columns == 0) time.rows = 0;
  const bool in_time = time.secondsPerRow.has_value();
  const bool time_of_day = in_time && time.startClock.has_value();

  PlotFrame frame;
  frame.y_title = std::string(kMetresPerSecondSquared).substr(1);
  const int top = bounds.top + line + kLabelGap + 2;
  const int label_rows = time_of_day ? 2 : 1;
  const int bottom = bounds.bottom - (kPlotTickLength + 2 + (label_rows + 1) * line + kLabelGap);
  const int height = std::max(bottom - top, 2);
  // Ticks at least two lines apart; the lowest pixel row stands for 0.
  frame.y = MakeValueAxis(LargestValue(plot), height - 1, 2.0 * line);
  int y_labels = 0;
  for (const AxisTick& tick : frame.y.ticks) y_labels = std::max(y_labels, width_of(tick.label));

  // The widest x label is that of the last tick: the whole duration, the last
  // row; a time of day is as wide at any hour.
  int x_labels = 0;
  if (time.rows > 0) {
    if (in_time) {
      x_labels = width_of(ElapsedText(static_cast<double>(time.rows) * *time.secondsPerRow));
      if (time_of_day) {
        x_labels = std::max(x_labels, width_of(TimeOfDayText(*time.startClock, 0.0, locale)));
      }
    } else {
      x_labels = width_of(std::to_string(time.rows - 1));
    }
  }
  const int left =
      bounds.left + std::max(y_labels + kPlotTickLength + kLabelGap, x_labels / 2 + kLabelGap);
  const int right = bounds.right - std::max(x_labels / 2 + kLabelGap, 10);
  frame.area = {left, top, std::max(right, left + 2), top + height};

  const int width = frame.area.Width();
  frame.x = MakeTimeAxis(time, width, x_labels + 2 * line, locale);
  frame.x.title = strings.Load(!in_time      ? kIdsPlotRowAxis
                               : time_of_day ? kIdsPlotElapsedAndTimeOfDay
                                             : kIdsPlotElapsedTime);
  frame.x.secondTitle.clear();
  // The duration's tick stands on the area's last pixel column.
  for (AxisTick& tick : frame.x.ticks) {
    tick.position = frame.area.left + std::min(tick.position, width - 1.0);
  }
  const double lowest = frame.area.bottom - 1;
  for (AxisTick& tick : frame.y.ticks) tick.position = lowest - tick.position;
  if (numbers != nullptr) {
    frame.lines = ExposureLines(*numbers, frame.y, height - 1);
    for (ReferenceLine& reference : frame.lines) {
      reference.position = lowest - reference.position;
      reference.label =
          FormatString(strings.Load(reference.limit ? kIdsPlotLimitLine : kIdsPlotActionLine),
                       ShortestText(reference.value) + kMetresPerSecondSquared);
    }
  }
  return frame;
}

std::string PlotHoverText(const PlotData* plot, const PlotTimeBase& base, const Rect& area, int x,
                          const LocalePictures& locale, const StringTable& strings) {
  if (plot == nullptr) return {};
  const std::optional<HoverValues> hover =
      HoverAt(*plot, base, x - area.left, area.Width(), locale);
  if (!hover) return {};
  std::string text;
  if (base.secondsPerRow) {
    text = hover->time;
  } else if (hover->firstRow == hover->lastRow) {
    text = FormatString(strings.Load(kIdsPlotRow), std::to_string(hover->firstRow));
  } else {
    text = FormatString(strings.Load(kIdsPlotRows),
                        {std::to_string(hover->firstRow), std::to_string(hover->lastRow)});
  }
  const std::array<std::string, 4> names = SeriesNames(strings);
  for (std::size_t s = 0; s < names.size(); ++s) {
    text += '\n' + names[s] + ' ' + ValueRangeText(hover->min[s], hover->max[s]);
  }
  return text;
}

}  // namespace rqx340
