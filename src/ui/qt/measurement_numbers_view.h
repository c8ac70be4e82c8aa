// The preview's numbers: the lines of the measurement's numbers as a two-column
// table of rich text, selectable with the mouse, or a line that says why there
// are none.
#pragma once

#include <QLabel>
#include <QString>
#include <span>

#include "app/measurement_preview_texts.h"

namespace rqx340 {

class MeasurementNumbersView final : public QLabel {
 public:
  explicit MeasurementNumbersView(QWidget* parent = nullptr);

  void ShowLines(std::span<const NumbersLine> lines);
  // A plain line in place of the numbers.
  void ShowNote(const QString& note);
};

}  // namespace rqx340
