#include "ui/dialog_units.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>

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

TEST(DialogUnitsTest, BaseUnitsComeFromTheDialogFontsLetters) {
  const QFont font = DialogFont();
  EXPECT_EQ(font.pointSize(), 9);
  const QFontMetrics metrics(font);
  const int advance = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const DialogUnits units(font);
  EXPECT_EQ(units.BaseX(), (advance / 26 + 1) / 2);
  EXPECT_EQ(units.BaseY(), metrics.height());
  EXPECT_GT(units.BaseX(), 0);
  for (const int du : {0, 1, 2, 3, 4, 5, 7, 14, 50, 201, 389, -3}) {
    SCOPED_TRACE(du);
    EXPECT_EQ(units.ToPixelsX(du), MulDivRounded(du, units.BaseX(), 4));
    EXPECT_EQ(units.ToPixelsY(du), MulDivRounded(du, units.BaseY(), 8));
  }
  EXPECT_EQ(units.ToPixels(335, 183, 50, 14), QRect(units.ToPixelsX(335), units.ToPixelsY(183),
                                                    units.ToPixelsX(50), units.ToPixelsY(14)));
}

}  // namespace
}  // namespace rqx340
