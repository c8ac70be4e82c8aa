// The preview's plot: the rms of X, Y, Z and the sum over the rows, drawn with
// QPainter on a time axis (rows when the file gives no duration) with round
// values, light grid lines and the action and limit values as lines. When the
// plot holds more columns than the widget has pixels, each pixel column shows
// the smallest and largest value that falls into it. Hovering shows the time
// and the four values at the pointer's column.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <array>

#include "app/preview_plot_layout.h"
#include "base/string_table.h"
#include "import/measurement_numbers.h"
#include "import/plot_axes.h"
#include "platform/locale_pictures.h"

namespace rqx340 {

class MeasurementPlotWidget final : public QWidget {
 public:
  // The legend and the axis texts come from `strings`.
  explicit MeasurementPlotWidget(const StringTable& strings, QWidget* parent = nullptr);

  // The data drawn, which must outlive the widget or be replaced; none for an
  // empty plot. The x axis counts rows.
  void SetPlot(const PlotData* plot);
  // The same on the time axis `base`, with the action and limit values of
  // `numbers` (null: none, else it must outlive the widget or be replaced) and
  // the times of day in the picture of `pictures`.
  void SetPlot(const PlotData* plot, const PlotTimeBase& base, const MeasurementNumbers* numbers,
               const LocalePictures& pictures);
  const PlotData* Plot() const { return m_pPlot; }

  // The frame as it is drawn at the widget's present size and font.
  PlotFrame Frame() const;
  // What the pointer over widget column `x` shows; empty outside the plot.
  QString HoverText(int x) const;
  // The text shown for the pointer now; empty when it is not over the plot.
  const QString& ShownHoverText() const { return m_strHover; }

  QSize minimumSizeHint() const override { return {320, 180}; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  const StringTable& m_strings;
  const PlotData* m_pPlot = nullptr;
  const MeasurementNumbers* m_pNumbers = nullptr;
  PlotTimeBase m_timeBase;
  LocalePictures m_pictures;
  std::array<QString, 4> m_seriesNames;
  QString m_strNoRows;
  int m_hoverX = -1;
  QString m_strHover;
};

}  // namespace rqx340
