// Dialog units: the template coordinates of the dialogs, turned into pixels
// from the base units of the dialog font, so a dialog keeps its proportions
// with any font. Each front end measures its font; the arithmetic is here.
#pragma once

#include "app/anchor_layout.h"

namespace rqx340 {

// The letters whose average width gives the horizontal base unit.
inline constexpr char kDialogUnitLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

class DialogUnits {
 public:
  DialogUnits() = default;
  DialogUnits(int base_x, int base_y) : m_nBaseX(base_x), m_nBaseY(base_y) {}
  // bx = (advance of kDialogUnitLetters / 26 + 1) / 2 and by = the font's line height.
  static DialogUnits FromFont(int letters_advance, int line_height);

  int BaseX() const { return m_nBaseX; }
  int BaseY() const { return m_nBaseY; }
  // du x bx / 4 and du x by / 8, rounded half away from zero.
  int ToPixelsX(int du) const;
  int ToPixelsY(int du) const;
  // Each of x, y, width and height converted on its own axis.
  Rect ToPixels(int x, int y, int width, int height) const;

 private:
  int m_nBaseX = 0;
  int m_nBaseY = 0;
};

// a x b / c rounded half away from zero, without overflow in between; -1 when c is 0.
int MulDivRounded(int a, int b, int c);

}  // namespace rqx340
