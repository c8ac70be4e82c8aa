// The plot's geometry is the application layer's (LayOutPlot); this draws it
// with QPainter.
#include "ui/qt/preview_plot.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/measurement_preview_texts.h"
#include "app/preview_plot_layout.h"
#include "ui/qt/dialog_font.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

namespace {

// 0xRRGGBB, opaque.
QColor Colour(std::uint32_t rgb) { return QColor(static_cast<QRgb>(rgb)); }

}  // namespace

MeasurementPlotWidget::MeasurementPlotWidget(const StringTable& strings, QWidget* parent)
    : QWidget(parent), m_strings(strings), m_strNoRows(ToQString(strings.Load(kIdsPlotNoRows))) {
  const std::array<std::string, 4> names = SeriesNames(strings);
  for (std::size_t s = 0; s < names.size(); ++s) m_seriesNames[s] = ToQString(names[s]);
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

  const std::optional<PlotLayout> layout = LayOutPlot(m_pPlot, ToRect(area), m_strings);
  if (!layout) {
    painter.setPen(Qt::darkGray);
    painter.drawText(area, Qt::AlignCenter, m_strNoRows);
    return;
  }
  painter.setPen(Qt::darkGray);
  painter.drawText(QRect(0, area.top() - metrics.height() / 2, left - 4, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, ToQString(layout->top_label));
  painter.drawText(QRect(0, area.bottom() - metrics.height() / 2, left - 4, metrics.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("0"));
  painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), metrics.height()),
                   Qt::AlignLeft, ToQString(layout->first_row));
  painter.drawText(QRect(area.left(), area.bottom() + 2, area.width(), metrics.height()),
                   Qt::AlignRight, ToQString(layout->last_row));
  painter.drawText(QRect(0, 0, left, top), Qt::AlignLeft | Qt::AlignVCenter,
                   ToQString(kMetresPerSecondSquared).trimmed());

  // The legend, top right.
  int legend_x = area.right();
  for (std::size_t s = m_seriesNames.size(); s-- > 0;) {
    const QString& name = m_seriesNames[s];
    legend_x -= metrics.horizontalAdvance(name) + 24;
    painter.setPen(QPen(Colour(kSeriesColours[s]), 2));
    painter.drawLine(legend_x, top / 2, legend_x + 14, top / 2);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(legend_x + 18, top / 2 + metrics.ascent() / 2 - 1), name);
  }

  painter.setClipRect(area);
  for (std::size_t s = 0; s < layout->traces.size(); ++s) {
    const PlotTrace& trace = layout->traces[s];
    painter.setPen(QPen(Colour(kSeriesColours[s]), 1.5));
    QPainterPath path;
    for (const std::vector<PlotPoint>& line : trace.lines) {
      path.moveTo(line.front().x, line.front().y);
      for (std::size_t i = 1; i < line.size(); ++i) path.lineTo(line[i].x, line[i].y);
    }
    if (!trace.lines.empty()) painter.drawPath(path);
    painter.setPen(QPen(Colour(kSeriesColours[s]), 1));
    for (const auto& [from, to] : trace.strokes) {
      painter.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
    }
  }
}

}  // namespace rqx340
