#include "app/dialog_units.h"

#include <gtest/gtest.h>

namespace rqx340 {
namespace {

TEST(DialogUnitsTest, MulDivRoundsHalfAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  };
  const Case cases[] = {
      {6, 1, 4, 2},   {5, 1, 4, 1},     {7, 1, 4, 2},   {2, 1, 4, 1},    {1, 1, 4, 0},
      {-6, 1, 4, -2}, {-5, 1, 4, -1},   {-2, 1, 4, -1}, {12, 13, 8, 20}, {3, 13, 8, 5},
      {0, 7, 4, 0},   {389, 7, 4, 681}, {1, 1, 0, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << "*" << c.b << "/" << c.c);
    EXPECT_EQ(MulDivRounded(c.a, c.b, c.c), c.expected);
  }
}

TEST(DialogUnitsTest, BaseUnitsFromTheFontAndRectanglesAxisByAxis) {
  // 52 letters 182 pixels wide: 7 for two letters, (7 + 1) / 2 = 4, the
  // average letter rounded half up; 13 pixels a line.
  const DialogUnits units = DialogUnits::FromFont(182, 13);
  EXPECT_EQ(units.BaseX(), 4);
  EXPECT_EQ(units.BaseY(), 13);
  EXPECT_EQ(DialogUnits::FromFont(181, 13).BaseX(), 3);
  EXPECT_EQ(units.ToPixelsX(389), 389);
  EXPECT_EQ(units.ToPixelsY(201), MulDivRounded(201, 13, 8));
  // The template's Close button: each of x, y, width and height on its own.
  const Rect close = units.ToPixels(335, 183, 50, 14);
  EXPECT_EQ(close, (Rect{335, 297, 335 + 50, 297 + 23}));
  EXPECT_EQ(close.Width(), units.ToPixelsX(50));
  EXPECT_EQ(close.Height(), units.ToPixelsY(14));
}

}  // namespace
}  // namespace rqx340
