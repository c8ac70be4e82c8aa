// The preview's numbers: the lines of the measurement's numbers as a
// two-column grid of plain-text labels (bold labels, values beside them,
// selectable with the mouse), or a line that says why there are none.
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>
#include <span>
#include <vector>

#include "app/measurement_preview_texts.h"

class QGridLayout;

namespace rqx340 {

class MeasurementNumbersView final : public QWidget {
 public:
  explicit MeasurementNumbersView(QWidget* parent = nullptr);

  void ShowLines(std::span<const NumbersLine> lines);
  // A plain line in place of the numbers.
  void ShowNote(const QString& note);
  // What it shows, a line per row, label and value separated by a blank.
  QString text() const;
  // Every label it shows, for tests.
  std::vector<const QLabel*> Labels() const;

 private:
  void Clear();

  QGridLayout* m_pGrid;
};

}  // namespace rqx340
