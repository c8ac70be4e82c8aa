// The preview's plot: the rms of X, Y, Z and the sum over the rows, drawn with
// QPainter. When the plot holds more columns than the widget has pixels, each
// pixel column shows the smallest and largest value that falls into it.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <array>

#include "base/string_table.h"
#include "import/measurement_numbers.h"

namespace rqx340 {

class MeasurementPlotWidget final : public QWidget {
 public:
  // The legend and the axis texts come from `strings`.
  explicit MeasurementPlotWidget(const StringTable& strings, QWidget* parent = nullptr);

  // The data drawn, which must outlive the widget or be replaced; none for an
  // empty plot.
  void SetPlot(const PlotData* plot);
  const PlotData* Plot() const { return m_pPlot; }

  QSize minimumSizeHint() const override { return {320, 160}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const StringTable& m_strings;
  const PlotData* m_pPlot = nullptr;
  std::array<QString, 4> m_seriesNames;
  QString m_strNoRows;
};

}  // namespace rqx340
