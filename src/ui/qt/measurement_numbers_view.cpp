// Every text is shown as plain text: the labels may come from a language
// table, the values from the meter; neither is markup.
#include "ui/qt/measurement_numbers_view.h"

#include <QGridLayout>

#include "ui/qt/qt_text.h"

namespace rqx340 {

namespace {

QLabel* PlainLabel(QWidget* parent, const QString& text, bool bold) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  label->setText(text);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  return label;
}

}  // namespace

MeasurementNumbersView::MeasurementNumbersView(QWidget* parent)
    : QWidget(parent), m_pGrid(new QGridLayout(this)) {
  m_pGrid->setContentsMargins(0, 0, 0, 0);
  m_pGrid->setHorizontalSpacing(12);
  m_pGrid->setVerticalSpacing(2);
}

void MeasurementNumbersView::Clear() {
  while (QLayoutItem* item = m_pGrid->takeAt(0)) {
    delete item->widget();
    delete item;
  }
}

void MeasurementNumbersView::ShowLines(std::span<const NumbersLine> lines) {
  Clear();
  int row = 0;
  for (const NumbersLine& line : lines) {
    m_pGrid->addWidget(PlainLabel(this, ToQString(line.label), true), row, 0);
    m_pGrid->addWidget(PlainLabel(this, ToQString(line.value), false), row, 1);
    ++row;
  }
  m_pGrid->setColumnStretch(1, 1);
}

void MeasurementNumbersView::ShowNote(const QString& note) {
  Clear();
  m_pGrid->addWidget(PlainLabel(this, note, false), 0, 0, 1, 2);
}

QString MeasurementNumbersView::text() const {
  QString text;
  for (int row = 0; row < m_pGrid->rowCount(); ++row) {
    QStringList cells;
    for (int column = 0; column < 2; ++column) {
      const QLayoutItem* item = m_pGrid->itemAtPosition(row, column);
      if (item == nullptr) continue;
      if (const auto* label = qobject_cast<const QLabel*>(item->widget())) {
        cells.push_back(label->text());
      }
    }
    if (!cells.isEmpty()) text += cells.join(QLatin1Char(' ')) + QLatin1Char('\n');
  }
  return text;
}

std::vector<const QLabel*> MeasurementNumbersView::Labels() const {
  std::vector<const QLabel*> labels;
  for (const QLabel* label : findChildren<QLabel*>()) labels.push_back(label);
  return labels;
}

}  // namespace rqx340
