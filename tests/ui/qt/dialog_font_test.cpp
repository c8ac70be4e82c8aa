#include "ui/qt/dialog_font.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>

namespace rqx340 {
namespace {

TEST(DialogUnitsTest, BaseUnitsComeFromTheDialogFontsLetters) {
  const QFont font = DialogFont();
  EXPECT_EQ(font.pointSize(), 9);
  const QFontMetrics metrics(font);
  const int advance = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  const DialogUnits units = DialogUnitsOf(font);
  EXPECT_EQ(units.BaseX(), (advance / 26 + 1) / 2);
  EXPECT_EQ(units.BaseY(), metrics.height());
  EXPECT_GT(units.BaseX(), 0);
  for (const int du : {0, 1, 2, 3, 4, 5, 7, 14, 50, 201, 389, -3}) {
    SCOPED_TRACE(du);
    EXPECT_EQ(units.ToPixelsX(du), MulDivRounded(du, units.BaseX(), 4));
    EXPECT_EQ(units.ToPixelsY(du), MulDivRounded(du, units.BaseY(), 8));
  }
  EXPECT_EQ(
      ToQRect(units.ToPixels(335, 183, 50, 14)),
      QRect(units.ToPixelsX(335), units.ToPixelsY(183), units.ToPixelsX(50), units.ToPixelsY(14)));
}

TEST(DialogFontTest, RectanglesKeepTheirEdgesBetweenQtAndTheLayout) {
  const QRect rect(10, 20, 30, 40);
  EXPECT_EQ(ToRect(rect), (Rect{10, 20, 40, 60}));
  EXPECT_EQ(ToQRect(ToRect(rect)), rect);
  EXPECT_EQ(ToRect(QRect()), (Rect{0, 0, 0, 0}));
}

}  // namespace
}  // namespace rqx340
