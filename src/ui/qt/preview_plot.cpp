// The plot's geometry is the application layer's (LayOutPlotFrame, LayOutPlot,
// PlotHoverText), the same a Win32 preview draws; this draws it with QPainter.
#include "ui/qt/preview_plot.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/measurement_preview_texts.h"
#include "ui/qt/dialog_font.h"
#include "ui/qt/qt_text.h"

namespace rqx340 {

namespace {

// 0xRRGGBB, opaque.
QColor Colour(std::uint32_t rgb) { return QColor(static_cast<QRgb>(rgb)); }

const QColor kFrameColour(0xBD, 0xBD, 0xBD);
const QColor kGridColour(0xEC, 0xEC, 0xEC);
const QColor kLabelColour(0x61, 0x61, 0x61);
const QColor kSecondLabelColour(0x90, 0x90, 0x90);

}  // namespace

MeasurementPlotWidget::MeasurementPlotWidget(const StringTable& strings, QWidget* parent)
    : QWidget(parent), m_strings(strings), m_strNoRows(ToQString(strings.Load(kIdsPlotNoRows))) {
  const std::array<std::string, 4> names = SeriesNames(strings);
  for (std::size_t s = 0; s < names.size(); ++s) m_seriesNames[s] = ToQString(names[s]);
  setAutoFillBackground(true);
  setMouseTracking(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, Qt::white);
  setPalette(colours);
}

void MeasurementPlotWidget::SetPlot(const PlotData* plot) {
  PlotTimeBase base;
  base.rows = plot != nullptr ? plot->rows : 0;
  SetPlot(plot, base, nullptr, LocalePictures{});
}

void MeasurementPlotWidget::SetPlot(const PlotData* plot, const PlotTimeBase& base,
                                    const MeasurementNumbers* numbers,
                                    const LocalePictures& pictures) {
  m_pPlot = plot;
  m_timeBase = base;
  m_pNumbers = numbers;
  m_pictures = pictures;
  m_hoverX = -1;
  m_strHover.clear();
  update();
}

PlotFrame MeasurementPlotWidget::Frame() const {
  const QFontMetrics metrics(font());
  const PlotFontMetrics measure{
      [&metrics](std::string_view text) { return metrics.horizontalAdvance(ToQString(text)); },
      metrics.height()};
  return LayOutPlotFrame(m_pPlot, m_pNumbers, m_timeBase, {0, 0, width(), height()}, measure,
                         m_pictures, m_strings);
}

QString MeasurementPlotWidget::HoverText(int x) const {
  return ToQString(PlotHoverText(m_pPlot, m_timeBase, Frame().area, x, m_pictures, m_strings));
}

void MeasurementPlotWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const PlotFrame frame = Frame();
  const bool inside = at.y() >= frame.area.top && at.y() < frame.area.bottom;
  const QString text = inside ? HoverText(at.x()) : QString();
  const int x = text.isEmpty() ? -1 : at.x();
  if (x != m_hoverX) update();
  m_hoverX = x;
  m_strHover = text;
  if (text.isEmpty()) {
    QToolTip::hideText();
    return;
  }
  // As rich text that says the plain text: a language table's words are no markup.
  QToolTip::showText(event->globalPosition().toPoint(),
                     QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped()),
                     this, ToQRect(frame.area));
}

void MeasurementPlotWidget::leaveEvent(QEvent* event) {
  if (m_hoverX >= 0) update();
  m_hoverX = -1;
  m_strHover.clear();
  QWidget::leaveEvent(event);
}

void MeasurementPlotWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing, false);
  const QFontMetrics metrics(font());
  const int line = metrics.height();
  const PlotFrame frame = Frame();
  const QRect area = ToQRect(frame.area);
  const std::optional<PlotLayout> layout = LayOutPlot(m_pPlot, frame.area, m_strings, frame.y.top);

  // The unit over the y labels.
  painter.setPen(kLabelColour);
  painter.drawText(QRect(0, 0, area.left() + area.width() / 2, area.top() - 2),
                   Qt::AlignLeft | Qt::AlignVCenter, ToQString(frame.y_title));
  if (!layout) {
    painter.setPen(kFrameColour);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(Qt::darkGray);
    painter.drawText(area, Qt::AlignCenter, m_strNoRows);
    return;
  }

  // Grid lines and ticks, under the traces.
  for (const AxisTick& tick : frame.y.ticks) {
    const int y = static_cast<int>(std::lround(tick.position));
    painter.setPen(kGridColour);
    painter.drawLine(area.left(), y, area.right(), y);
    painter.setPen(kFrameColour);
    painter.drawLine(area.left() - kPlotTickLength, y, area.left() - 1, y);
    painter.setPen(kLabelColour);
    painter.drawText(QRect(0, y - line / 2, area.left() - kPlotTickLength - 3, line),
                     Qt::AlignRight | Qt::AlignVCenter, ToQString(tick.label));
  }
  const int labels_top = area.bottom() + 1 + kPlotTickLength + 2;
  for (const AxisTick& tick : frame.x.ticks) {
    const int x = static_cast<int>(std::lround(tick.position));
    painter.setPen(kGridColour);
    painter.drawLine(x, area.top(), x, area.bottom());
    painter.setPen(kFrameColour);
    painter.drawLine(x, area.bottom() + 1, x, area.bottom() + kPlotTickLength);
    const QString label = ToQString(tick.label);
    const int half = metrics.horizontalAdvance(label) / 2 + 1;
    painter.setPen(kLabelColour);
    painter.drawText(QRect(x - half, labels_top, 2 * half, line), Qt::AlignCenter, label);
    if (!tick.secondLabel.empty()) {
      const QString second = ToQString(tick.secondLabel);
      const int second_half = metrics.horizontalAdvance(second) / 2 + 1;
      painter.setPen(kSecondLabelColour);
      painter.drawText(QRect(x - second_half, labels_top + line, 2 * second_half, line),
                       Qt::AlignCenter, second);
    }
  }
  painter.setPen(kLabelColour);
  painter.drawText(QRect(area.left(), height() - line - 2, area.width(), line), Qt::AlignCenter,
                   ToQString(frame.x.title));
  painter.setPen(kFrameColour);
  painter.drawRect(area.adjusted(0, 0, -1, -1));

  // The legend, top right.
  int legend_x = area.right();
  const int legend_y = area.top() / 2;
  for (std::size_t s = m_seriesNames.size(); s-- > 0;) {
    const QString& name = m_seriesNames[s];
    legend_x -= metrics.horizontalAdvance(name) + 24;
    painter.setPen(QPen(Colour(kSeriesColours[s]), 2));
    painter.drawLine(legend_x, legend_y, legend_x + 14, legend_y);
    painter.setPen(Qt::black);
    painter.drawText(QPoint(legend_x + 18, legend_y + metrics.ascent() / 2 - 1), name);
  }

  painter.setClipRect(area);
  for (std::size_t s = 0; s < layout->traces.size(); ++s) {
    const PlotTrace& trace = layout->traces[s];
    painter.setPen(QPen(Colour(kSeriesColours[s]), 1.5));
    QPainterPath path;
    for (const std::vector<PlotPoint>& points : trace.lines) {
      path.moveTo(points.front().x, points.front().y);
      for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(points[i].x, points[i].y);
    }
    if (!trace.lines.empty()) painter.drawPath(path);
    painter.setPen(QPen(Colour(kSeriesColours[s]), 1));
    for (const auto& [from, to] : trace.strokes) {
      painter.drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
    }
  }

  // The action and limit values over the traces, each labelled at its right end.
  for (const ReferenceLine& reference : frame.lines) {
    const QColor colour = Colour(VerdictColour(reference.limit ? ExposureVerdict::kAboveLimit
                                                               : ExposureVerdict::kAboveAction));
    const int y = static_cast<int>(std::lround(reference.position));
    painter.setPen(QPen(colour, 1, Qt::DashLine));
    painter.drawLine(area.left(), y, area.right(), y);
    // On a pale ground, so the traces under it do not hide it.
    const QString label = ToQString(reference.label);
    const int label_width = metrics.horizontalAdvance(label) + 6;
    const QRect box(area.left() + area.width() - 4 - label_width,
                    std::max(area.top(), y - line - 1), label_width, line);
    painter.fillRect(box, QColor(255, 255, 255, 210));
    painter.setPen(colour);
    painter.drawText(box, Qt::AlignCenter, label);
  }

  if (m_hoverX >= area.left() && m_hoverX < area.left() + area.width()) {
    painter.setPen(QPen(QColor(0x75, 0x75, 0x75), 1, Qt::DotLine));
    painter.drawLine(m_hoverX, area.top(), m_hoverX, area.bottom());
  }
}

}  // namespace rqx340
