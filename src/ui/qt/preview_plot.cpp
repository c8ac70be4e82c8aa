// The plot scales from 0 to the largest finite value of the four series; a
// series breaks where a column has no value.
#include "ui/qt/preview_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <utility>

#include "app/measurement_preview_texts.h"
#include "base/shortest_text.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

namespace {

// X, Y, Z and the sum, in the plot and its legend.
const std::array<QColor, 4> kSeriesColours = {QColor(0xC6, 0x28, 0x28), QColor(0x2E, 0x7D, 0x32),
                                              QColor(0x15, 0x65, 0xC0), QColor(0x21, 0x21, 0x21)};
constexpr std::array<const char*, 4> kSeriesNames = {"rms x", "rms y", "rms z", "rms sum"};

}  // namespace

MeasurementPlotWidget::MeasurementPlotWidget(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::white);
  setPalette(colours);
}

void MeasurementPlotWidget::SetPlot(const PlotData* plot) {
  m_pPlot = plot;
  update();
}

void MeasurementPlotWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QFontMetrics metrics(font());
  const int left = metrics.horizontalAdvance(QStringLiteral("0000.000")) + 8;
  const int top = metrics.height() + 6;
  const int bottom = metrics.height() + 6;
  const QRect area(left, top, std::max(1, width() - left - 10),
                   std::max(1, height() - top - bottom));
  painter.setPen(QColor(0xBD, 0xBD, 0xBD));
  painter.drawRect(area.adjusted(0, 0, -1, -1));

  if (m_pPlot == nullptr || m_pPlot->columns == 0) {
    painter.setPen(Qt::darkGray);
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("No rows"));
    return;
  }
  const PlotData& plot = *m_pPlot;
  // The scale runs from 0 to the largest finite value of any series.
  float top_value = 0.0f;
  for (const PlotSeries& series : plot.series) {
    for (const float value : series.max) {
      if (std::isfinite(value)) top_value = std::max(top_value, value);
    }
  }
  if (!(top_value > 0.0f)) top_value = 1.0f;
  const auto y_of = [&](float value) {
    const double clamped = std::clamp<double>(
        std::isfinite(value) ? value : (value > 0 ? top_value : 0.0), 0.0, top_value);
    return area.bottom() - clamped / top_value * (area.height() - 1);
  };

  painter.setPen(Qt::darkGray);
  painter.drawText(QRect(0, area.top() - metrics.height() / 2, left - 4, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, ToQString(ShortestText(top_value)));
  painter.drawText(QRect(0, area.bottom() - metrics.height() / 2, left - 4, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
  painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), metrics.height()),
                   Qt::AlignLeft, QStringLiteral("row 0"));
  painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), metrics.height()),
                   Qt::AlignRight, QStringLiteral("row %1").arg(plot.rows - 1));
  painter.drawText(QRect(0, 0, left, top), Qt::AlignLeft | Qt::AlignVCenter,
                   ToQString(kMetresPerSecondSquared).trimmed());

  // The legend, top right.
  int legend_x = area.right();
  for (std::size_t s = kSeriesNames.size(); s-- > 0;) {
    const QString name = QString::fromLatin1(kSeriesNames[s]);
    legend_x -= metrics.horizontalAdvance(name) + 24;
    painter.setPen(QPen(kSeriesColours[s], 2));
    painter.drawLine(legend_x, top / 2, legend_x + 14, top / 2);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(legend_x + 18, top / 2 + metrics.ascent() / 2 - 1), name);
  }

  painter.setClipRect(area);
  const int pixels = area.width();
  for (std::size_t s = 0; s < plot.series.size(); ++s) {
    const PlotSeries& series = plot.series[s];
    painter.setPen(QPen(kSeriesColours[s], 1.5));
    if (plot.columns <= static_cast<std::size_t>(pixels)) {
      // Few columns: a line through the column centres, broken where one has no value.
      QPainterPath path;
      bool drawing = false;
      for (std::size_t c = 0; c < plot.columns; ++c) {
        const float value = series.max[c];
        if (std::isnan(value)) {
          drawing = false;
          continue;
        }
        const QPointF point(area.left() + (c + 0.5) * area.width() / plot.columns, y_of(value));
        if (drawing) {
          path.lineTo(point);
        } else {
          path.moveTo(point);
          drawing = true;
        }
      }
      painter.drawPath(path);
      continue;
    }
    // More columns than pixels: the smallest and largest value per pixel
    // column, joined to the next so the trace stays unbroken.
    painter.setPen(QPen(kSeriesColours[s], 1));
    std::optional<std::pair<double, double>> previous;
    for (int px = 0; px < pixels; ++px) {
      const std::size_t first = plot.columns * static_cast<std::size_t>(px) / pixels;
      const std::size_t last = plot.columns * static_cast<std::size_t>(px + 1) / pixels;
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
      const double x = area.left() + px + 0.5;
      painter.drawLine(QPointF(x, std::max(y_low, y_high)), QPointF(x, std::min(y_low, y_high)));
      previous = std::make_pair(y_of(low), y_of(high));
    }
  }
}

}  // namespace rqx340
