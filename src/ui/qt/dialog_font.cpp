// The dialog font's metrics, as the dialog manager takes them.
#include "ui/qt/dialog_font.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>

namespace rqx340 {

QFont DialogFont() {
  QFont font = QGuiApplication::font();
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(9);
  return font;
}

DialogUnits DialogUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  return DialogUnits::FromFont(metrics.horizontalAdvance(QString::fromLatin1(kDialogUnitLetters)),
                               metrics.height());
}

}  // namespace rqx340
