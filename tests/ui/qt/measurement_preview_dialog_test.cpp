// The preview of a generated measurement, offscreen: its numbers are the
// core's, its plot holds four series, the exposure time is kept in the
// settings, and the exports write their files. With RQX340_PREVIEW_SCREENSHOT
// set to a path, the preview is saved there as a PNG (docs/preview.png).
#include "ui/qt/measurement_preview_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/measurement_preview_texts.h"
#include "base/number_text.h"
#include "gen/measurement_generator.h"
#include "import/convert_file.h"
#include "support/app_context.h"
#include "support/parsed_measurement.h"
#include "support/recording_sink.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::ReadFileBytes;
using test::TempDir;

// Every column the numbers read, all at a row's first cell.
constexpr char kEveryColumnAtZero[] =
    R"("TimeHistoryColumns":{"rms_x":0,"peak_x":0,"vdv_x":0,"rms_y":0,"peak_y":0,"vdv_y":0,)"
    R"("rms_z":0,"peak_z":0,"vdv_z":0,"rms_sum":0,"peak_sum":0},)";

class PreviewTest : public ::testing::Test {
 protected:
  PreviewTest() : app(test::TestAppContext({}, (root.Path() / "bin").string() + "/", profile)) {
    app.LocateSettings();
    options.count = 3;
    options.rows = 3600;
    options.raw = 1;
    options.raw_samples = 100;
    options.octaves = gen::Octaves::kFull;
    std::string error;
    EXPECT_TRUE(gen::WriteMeasurements(options, folder().string(), &error)) << error;
  }
  fs::path folder() const { return root.Path() / "data"; }
  std::string Name(std::uint32_t index) const { return gen::PlanMeasurement(options, index).name; }

  TempDir root;
  test::MemoryProfile profile;
  CRQX340App app;
  gen::GeneratorOptions options;
  NullMessagePump pump;
};

TEST_F(PreviewTest, ShowsTheCoresNumbersAndFourSeries) {
  for (std::uint32_t index = 0; index < options.count; ++index) {
    const gen::MeasurementPlan plan = gen::PlanMeasurement(options, index);
    SCOPED_TRACE(plan.name);
    MeasurementPreviewDialog dialog(nullptr, app, folder().string(), plan.name);
    ASSERT_TRUE(dialog.Load(pump));
    const test::ParsedMeasurement parsed(ReadFileBytes(folder() / plan.name));
    const MeasurementNumbers expected = ComputeNumbers(parsed.document, parsed.rows);
    EXPECT_EQ(dialog.Numbers().rows, 3600u);
    ASSERT_TRUE(dialog.Numbers().axes);
    for (std::size_t axis = 0; axis < 4; ++axis) {
      EXPECT_EQ((*dialog.Numbers().axes)[axis].rms, (*expected.axes)[axis].rms);
      EXPECT_EQ((*dialog.Numbers().axes)[axis].peak, (*expected.axes)[axis].peak);
    }
    EXPECT_TRUE(dialog.NumbersText().contains(QStringLiteral("3600")));
    // The plot's data: four series, one column per row here.
    ASSERT_EQ(dialog.PlotWidget()->Plot(), &dialog.Plot());
    ASSERT_EQ(dialog.Plot().series.size(), 4u);
    for (const PlotSeries& series : dialog.Plot().series) {
      EXPECT_EQ(series.min.size(), 3600u);
      EXPECT_EQ(series.max.size(), 3600u);
    }
    // The default time, 8 hours; A(8) and a verdict except in vibration mode.
    ASSERT_EQ(dialog.ExposureHours(), 8.0);
    const auto a8 = DailyExposure(expected, 8.0);
    if (plan.mode == 0) {
      EXPECT_FALSE(a8);
      EXPECT_TRUE(dialog.A8Text().contains(QStringLiteral("vibration")));
    } else {
      ASSERT_TRUE(a8);
      EXPECT_TRUE(dialog.A8Text().contains(QString::fromStdString(DailyExposureText(*a8))))
          << dialog.A8Text().toStdString();
      EXPECT_EQ(dialog.VerdictText().toStdString(),
                std::string(VerdictText(
                    JudgeExposure(*a8, expected.exposureAction, expected.exposureLimit))));
    }
  }
}

TEST_F(PreviewTest, ExposureTimeIsKeptInTheSettingsAsText) {
  MeasurementPreviewDialog dialog(nullptr, app, folder().string(), Name(1));
  ASSERT_TRUE(dialog.Load(pump));
  dialog.SetExposureHoursText(QStringLiteral("2.5"));
  EXPECT_EQ(app.CachedGetProfileString("RQX340Import", "ExposureHours"), "2.5");
  EXPECT_EQ(dialog.ExposureHours(), 2.5);
  // A time that does not read is shown but not kept, and gives no A(8).
  for (const char* bad : {"0", "25", "2,5", "abc", ""}) {
    dialog.SetExposureHoursText(QString::fromLatin1(bad));
    EXPECT_FALSE(dialog.ExposureHours()) << bad;
    EXPECT_TRUE(dialog.A8Text().contains(QStringLiteral("enter"))) << bad;
    EXPECT_TRUE(dialog.VerdictText().isEmpty());
  }
  EXPECT_EQ(app.CachedGetProfileString("RQX340Import", "ExposureHours"), "2.5");
  // The next preview starts with the kept time.
  MeasurementPreviewDialog next(nullptr, app, folder().string(), Name(1));
  EXPECT_EQ(next.ExposureHours(), 2.5);
}

TEST_F(PreviewTest, WholeBodyFactorsOtherThanTheDirectivesAreWarnedAbout) {
  const fs::path file =
      root.Write("data/wb.rqx2",
                 R"({"MeasurementProperties":{"MeasProperties":{"TAG_OPERATING_MODE_20":2,)"
                 R"("TAG_SUM_FACTOR_KX_34":1,"TAG_SUM_FACTOR_KY_35":1,"TAG_SUM_FACTOR_KZ_36":1,)"
                 R"("TAG_EXPOSUREACTION_66":0.5,"TAG_EXPOSURELIMIT_65":1.15}},)" +
                     std::string(kEveryColumnAtZero) + R"("TimeHistory":[[1],[1]]})");
  MeasurementPreviewDialog dialog(nullptr, app, folder().string(), "wb.rqx2");
  ASSERT_TRUE(dialog.Load(pump));
  EXPECT_TRUE(dialog.WarningText().contains(QStringLiteral("differ from 1.4, 1.4, 1.0")));
  EXPECT_EQ(dialog.VerdictText(), QStringLiteral("above limit value"));  // 1.4 > 1.15
}

// -l1 to -l5 with the tables the build made: the preview speaks the language.
class PreviewLanguageTest : public PreviewTest, public ::testing::WithParamInterface<int> {};

TEST_P(PreviewLanguageTest, ShowsTheLanguagesTexts) {
  const std::string file = TableFileName(kLanguageLibraries[GetParam()]);
  fs::create_directories(root.Path() / "bin");
  fs::copy_file(test::ProgramPath(file), root.Path() / "bin" / file);
  test::RecordingSink sink;
  app.LoadLanguageLibrary(GetParam(), sink);
  ASSERT_TRUE(sink.messages.empty());
  const StringTable& strings = app.Strings();
  const auto text = [&strings](int id) { return QString::fromStdString(strings.Load(id)); };
  root.Write("data/wb.rqx2",
             R"({"MeasurementProperties":{"MeasProperties":{"TAG_OPERATING_MODE_20":2,)"
             R"("TAG_SUM_FACTOR_KX_34":1,"TAG_SUM_FACTOR_KY_35":1,"TAG_SUM_FACTOR_KZ_36":1,)"
             R"("TAG_EXPOSUREACTION_66":0.5,"TAG_EXPOSURELIMIT_65":1.15}},)" +
                 std::string(kEveryColumnAtZero) + R"("TimeHistory":[[1],[1]]})");
  MeasurementPreviewDialog dialog(nullptr, app, folder().string(), "wb.rqx2");
  ASSERT_TRUE(dialog.Load(pump));
  EXPECT_EQ(dialog.windowTitle().toStdString(),
            FormatString(strings.Load(kIdsPreviewCaption), "wb.rqx2"));
  EXPECT_TRUE(dialog.NumbersText().contains(text(kIdsRowsLabel).toHtmlEscaped()));
  EXPECT_TRUE(dialog.NumbersText().contains(text(kIdsLimitValueLabel).toHtmlEscaped()));
  EXPECT_EQ(dialog.VerdictText(), text(VerdictStringId(ExposureVerdict::kAboveLimit)));
  EXPECT_EQ(dialog.WarningText().toStdString(),
            FormatString(strings.Load(kIdsSumFactorsWarning), "1, 1, 1"));
  // No duration: the plot counts rows, in the language's word.
  EXPECT_EQ(dialog.PlotWidget()->Frame().x.title, strings.Load(kIdsPlotRowAxis));
  EXPECT_NE(strings.Load(kIdsPlotRowAxis), EnglishStrings().Load(kIdsPlotRowAxis));
  QStringList buttons;
  for (const QPushButton* button : dialog.findChildren<QPushButton*>()) buttons << button->text();
  EXPECT_EQ(buttons,
            (QStringList{text(kIdsExportCsvButton), text(kIdsExportWavButton), text(kIdcClose)}));
  dialog.SetExposureHoursText(QStringLiteral("25"));
  EXPECT_EQ(dialog.A8Text(), text(kIdsA8NoTime));
  EXPECT_NE(dialog.A8Text().toStdString(), EnglishStrings().Load(kIdsA8NoTime));
}

INSTANTIATE_TEST_SUITE_P(Languages, PreviewLanguageTest, ::testing::Range(1, 6));

TEST_F(PreviewTest, UnreadableFileAndExports) {
  MeasurementPreviewDialog missing(nullptr, app, folder().string(), "none.rqx2");
  EXPECT_FALSE(missing.Load(pump));
  EXPECT_TRUE(missing.NumbersText().contains(QStringLiteral("cannot be read")));

  MeasurementPreviewDialog dialog(nullptr, app, folder().string(), Name(0));
  ASSERT_TRUE(dialog.Load(pump));
  const fs::path csv = root.Path() / "out.csv";
  ASSERT_TRUE(dialog.ExportCsvTo(csv.string(), pump));
  EXPECT_EQ(ReadFileBytes(csv).rfind("row,rms_x,", 0), 0u);
  const fs::path wav = root.Path() / "out.wav";
  ASSERT_TRUE(dialog.ExportWavTo(wav.string(), pump));
  EXPECT_EQ(ReadFileBytes(wav).size(), 58u + 1200u);
}

TEST_F(PreviewTest, ClosingWhileItReadsStopsTheReadingFirst) {
  MeasurementPreviewDialog dialog(nullptr, app, folder().string(), Name(0));
  dialog.show();
  // The user closes the preview while the file is read: the reading stops, and
  // the preview closes only after it.
  struct ClosingPump final : MessagePump {
    MeasurementPreviewDialog* dialog = nullptr;
    int pumps = 0;
    bool PumpPendingMessages(std::int32_t*) override {
      if (++pumps == 1) {
        dialog->close();
        EXPECT_TRUE(dialog->isVisible());
      }
      return true;
    }
  } closing;
  closing.dialog = &dialog;
  EXPECT_FALSE(dialog.Load(closing));
  EXPECT_EQ(closing.pumps, 1);
  EXPECT_TRUE(dialog.NumbersText().contains(QStringLiteral("stopped")));
  QApplication::processEvents();
  EXPECT_FALSE(dialog.isVisible());
}

// Labels of `ticks`, for comparing.
std::vector<std::string> Labels(const std::vector<AxisTick>& ticks) {
  std::vector<std::string> labels;
  for (const AxisTick& tick : ticks) labels.push_back(tick.label);
  return labels;
}

// An hour of rows, one a second: the x axis runs from 0:00 to 1:00:00 with the
// time of day under it, y has round ticks, and the pointer over the plot shows
// the time and the four values there.
TEST_F(PreviewTest, AnHourIsDrawnInTimeAndTheValuesShowUnderThePointer) {
  MeasurementPreviewDialog dialog(nullptr, app, folder().string(), Name(1));
  dialog.show();
  ASSERT_TRUE(dialog.Load(pump));
  QApplication::processEvents();
  MeasurementPlotWidget& plot = *dialog.PlotWidget();
  const PlotFrame frame = plot.Frame();
  const std::vector<std::string> labels = Labels(frame.x.ticks);
  ASSERT_GE(labels.size(), 3u) << plot.width();
  EXPECT_EQ(labels.front(), "0:00");
  EXPECT_EQ(labels.back(), "1:00:00");
  EXPECT_FALSE(frame.x.ticks.front().secondLabel.empty());
  EXPECT_EQ(frame.x.title, EnglishStrings().Load(kIdsPlotElapsedAndTimeOfDay));
  ASSERT_GE(frame.y.ticks.size(), 2u);
  const double step = frame.y.ticks[1].value - frame.y.ticks[0].value;
  const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
  EXPECT_TRUE(std::fabs(mantissa - 1) < 1e-6 || std::fabs(mantissa - 2) < 1e-6 ||
              std::fabs(mantissa - 5) < 1e-6)
      << step;
  EXPECT_EQ(frame.y.ticks.back().value, frame.y.top);

  const auto move_to = [&plot](QPoint at) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(plot.mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&plot, &move);
  };
  const QPoint middle(frame.area.left + frame.area.Width() / 2,
                      frame.area.top + frame.area.Height() / 2);
  move_to(middle);
  const QString shown = plot.ShownHoverText();
  const QStringList lines = shown.split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 5) << shown.toStdString();
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("29:")) ||
              lines[0].startsWith(QStringLiteral("30:")))
      << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith(QStringLiteral("rms x "))) << lines[1].toStdString();
  EXPECT_TRUE(lines[4].startsWith(QStringLiteral("rms sum "))) << lines[4].toStdString();
  EXPECT_EQ(shown, plot.HoverText(middle.x()));
  // It shows as a tooltip, its words as plain text.
  const QLabel* tip = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == QStringLiteral("qtooltip_label") && widget->isVisible()) {
      tip = qobject_cast<const QLabel*>(widget);
    }
  }
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(tip->text().contains(lines[1].toHtmlEscaped())) << tip->text().toStdString();
  // Off the plot area: nothing.
  move_to(QPoint(middle.x(), frame.area.bottom + 2));
  EXPECT_TRUE(plot.ShownHoverText().isEmpty());
  move_to(QPoint(frame.area.left - 1, middle.y()));
  EXPECT_TRUE(plot.ShownHoverText().isEmpty());
}

// A file without a duration keeps the axis in rows, labelled so; cells that
// are not numbers give a grey "unknown", never a green all-clear.
TEST_F(PreviewTest, WithoutADurationInRowsAndCellsThatAreNotNumbersAreNoAllClear) {
  root.Write("data/strings.rqx2",
             R"({"MeasurementProperties":{"MeasProperties":{"TAG_OPERATING_MODE_20":1,)"
             R"("TAG_EXPOSUREACTION_66":2.5,"TAG_EXPOSURELIMIT_65":5}},)" +
                 std::string(kEveryColumnAtZero) + R"("TimeHistory":[["0.1"],["0.1"],[0.1]]})");
  MeasurementPreviewDialog dialog(nullptr, app, folder().string(), "strings.rqx2");
  dialog.show();
  ASSERT_TRUE(dialog.Load(pump));
  QApplication::processEvents();
  const PlotFrame frame = dialog.PlotWidget()->Frame();
  EXPECT_EQ(frame.x.title, "row");
  EXPECT_EQ(Labels(frame.x.ticks).front(), "0");
  EXPECT_EQ(dialog.PlotWidget()->HoverText(frame.area.left),
            QString::fromUtf8("row 0\nrms x 0.000 m/s\u00b2\nrms y 0.000 m/s\u00b2\n"
                              "rms z 0.000 m/s\u00b2\nrms sum 0.000 m/s\u00b2"));

  EXPECT_EQ(dialog.VerdictText(), QStringLiteral("unknown (6 values are not numbers)"));
  EXPECT_TRUE(dialog.WarningText().contains(QStringLiteral("X 6, Y 6, Z 6, Sum 4")))
      << dialog.WarningText().toStdString();
  const QString grey = QColor(static_cast<QRgb>(VerdictColour(ExposureVerdict::kUnknown))).name();
  const QString green =
      QColor(static_cast<QRgb>(VerdictColour(ExposureVerdict::kBelowAction))).name();
  ASSERT_NE(grey, green);
  int verdict_labels = 0;
  for (const QLabel* label : dialog.findChildren<QLabel*>()) {
    if (label->text() != dialog.VerdictText()) continue;
    ++verdict_labels;
    EXPECT_TRUE(label->styleSheet().contains(grey)) << label->styleSheet().toStdString();
    EXPECT_FALSE(label->styleSheet().contains(green));
  }
  EXPECT_EQ(verdict_labels, 1);
}

TEST_F(PreviewTest, Screenshot) {
  const char* path = std::getenv("RQX340_PREVIEW_SCREENSHOT");
  if (path == nullptr) GTEST_SKIP() << "RQX340_PREVIEW_SCREENSHOT is not set";
  // The whole-body measurement with raw data: both exports on offer.
  MeasurementPreviewDialog dialog(nullptr, app, folder().string(), Name(0));
  dialog.SetExposureHoursText(QStringLiteral("6"));
  dialog.show();
  ASSERT_TRUE(dialog.Load(pump));
  QApplication::processEvents();
  EXPECT_TRUE(dialog.grab().save(QString::fromUtf8(path), "PNG"));
}

}  // namespace
}  // namespace rqx340
