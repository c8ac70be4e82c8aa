// The dialog-unit conversion of the dialog manager.
#include "app/dialog_units.h"

#include <cstdint>
#include <cstdlib>

namespace rqx340 {

DialogUnits DialogUnits::FromFont(int letters_advance, int line_height) {
  return DialogUnits((letters_advance / 26 + 1) / 2, line_height);
}

int DialogUnits::ToPixelsX(int du) const { return MulDivRounded(du, m_nBaseX, 4); }

int DialogUnits::ToPixelsY(int du) const { return MulDivRounded(du, m_nBaseY, 8); }

Rect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  const int left = ToPixelsX(x);
  const int top = ToPixelsY(y);
  return {left, top, left + ToPixelsX(width), top + ToPixelsY(height)};
}

int MulDivRounded(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t magnitude = (2 * std::llabs(product) + std::llabs(c)) / (2 * std::llabs(c));
  const bool negative = (product < 0) != (c < 0);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace rqx340
