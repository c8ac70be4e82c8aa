// The dialog-unit conversion of the dialog manager, on Qt's font metrics.
#include "ui/dialog_units.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QString>
#include <cstdint>
#include <cstdlib>

namespace rqx340 {

QFont DialogFont() {
  QFont font = QGuiApplication::font();
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(9);
  return font;
}

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int advance = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_nBaseX = (advance / 26 + 1) / 2;
  m_nBaseY = metrics.height();
}

int DialogUnits::ToPixelsX(int du) const { return MulDivRounded(du, m_nBaseX, 4); }

int DialogUnits::ToPixelsY(int du) const { return MulDivRounded(du, m_nBaseY, 8); }

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  return QRect(ToPixelsX(x), ToPixelsY(y), ToPixelsX(width), ToPixelsY(height));
}

int MulDivRounded(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t magnitude = (2 * std::llabs(product) + std::llabs(c)) / (2 * std::llabs(c));
  const bool negative = (product < 0) != (c < 0);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace rqx340
