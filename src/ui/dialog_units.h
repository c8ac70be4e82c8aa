// Dialog units: the template coordinates of the dialogs, turned into pixels
// from the dialog font, so a dialog keeps its proportions with any font.
#pragma once

#include <QFont>
#include <QRect>

namespace rqx340 {

// The application's default sans font at 9 points: the font of every dialog.
QFont DialogFont();

class DialogUnits {
 public:
  // bx = (advance of "A".."Z" "a".."z" / 26 + 1) / 2 and by = the line height
  // of `font`.
  explicit DialogUnits(const QFont& font);

  int BaseX() const { return m_nBaseX; }
  int BaseY() const { return m_nBaseY; }
  // du x bx / 4 and du x by / 8, rounded half away from zero.
  int ToPixelsX(int du) const;
  int ToPixelsY(int du) const;
  // Each of x, y, width and height converted on its own axis.
  QRect ToPixels(int x, int y, int width, int height) const;

 private:
  int m_nBaseX = 0;
  int m_nBaseY = 0;
};

// a x b / c rounded half away from zero, without overflow in between.
int MulDivRounded(int a, int b, int c);

}  // namespace rqx340
