// Labels bold, values beside them; every text escaped, since a file's texts
// are the meter's, not markup.
#include "ui/qt/measurement_numbers_view.h"

#include "ui/qt/qt_text.h"

namespace rqx340 {

MeasurementNumbersView::MeasurementNumbersView(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::RichText);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void MeasurementNumbersView::ShowLines(std::span<const NumbersLine> lines) {
  QString html = QStringLiteral("<table cellspacing='0' cellpadding='2'>");
  for (const NumbersLine& line : lines) {
    html += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                .arg(ToQString(line.label).toHtmlEscaped(), ToQString(line.value).toHtmlEscaped());
  }
  html += QStringLiteral("</table>");
  setText(html);
}

void MeasurementNumbersView::ShowNote(const QString& note) { setText(note); }

}  // namespace rqx340
