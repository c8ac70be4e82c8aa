#include "ui/qt/dialog_font.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QTextLayout>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/language_table.h"
#include "support/run_program.h"

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

// Every character of every table the build made has a glyph in the dialog
// font or the fonts Qt falls back on: Japanese needs a CJK font installed.
TEST(DialogFontTest, EveryTablesTextsHaveGlyphs) {
  for (std::size_t index = 1; index < kLanguageLibraries.size(); ++index) {
    const std::string file = TableFileName(kLanguageLibraries[index]);
    SCOPED_TRACE(file);
    std::ifstream in(test::ProgramPath(file));
    ASSERT_TRUE(in);
    std::string line;
    int texts = 0;
    while (std::getline(in, line)) {
      const auto tab = line.find('\t');
      if (line.empty() || line[0] < '0' || line[0] > '9' || tab == std::string::npos) continue;
      const QString text = QString::fromUtf8(line.substr(tab + 1));
      QTextLayout layout(text, DialogFont());
      layout.beginLayout();
      layout.createLine();
      layout.endLayout();
      for (const QGlyphRun& run : layout.glyphRuns()) {
        for (const quint32 glyph : run.glyphIndexes()) {
          EXPECT_NE(glyph, 0u) << line << " (" << run.rawFont().familyName().toStdString() << ")";
        }
      }
      ++texts;
    }
    EXPECT_GT(texts, 50);
  }
}

}  // namespace
}  // namespace rqx340
