// The preview of a generated measurement, offscreen: its numbers are the
// core's, its plot holds four series, the exposure time is kept in the
// settings, and the exports write their files. With RQX340_PREVIEW_SCREENSHOT
// set to a path, the preview is saved there as a PNG (docs/preview.png).
#include "ui/qt/measurement_preview_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <string>

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
      // For people: 3 decimals.
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
                 R"("TAG_EXPOSUREACTION_66":0.5,"TAG_EXPOSURELIMIT_65":1.15}},)"
                 R"("TimeHistoryColumns":{"rms_x":0,"rms_y":1,"rms_z":2,"rms_sum":3,"peak_x":4,)"
                 R"("peak_y":5,"peak_z":6,"peak_sum":7,"vdv_x":8,"vdv_y":9,"vdv_z":10},)"
                 R"("TimeHistory":[[1,1,1,1,1,1,1,1,1,1,1],[1,1,1,1,1,1,1,1,1,1,1]]})");
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
             R"("TAG_EXPOSUREACTION_66":0.5,"TAG_EXPOSURELIMIT_65":1.15}},)"
             R"("TimeHistoryColumns":{"rms_x":0,"rms_y":1,"rms_z":2,"rms_sum":3,"peak_x":4,)"
             R"("peak_y":5,"peak_z":6,"peak_sum":7,"vdv_x":8,"vdv_y":9,"vdv_z":10},)"
             R"("TimeHistory":[[1,1,1,1,1,1,1,1,1,1,1],[1,1,1,1,1,1,1,1,1,1,1]]})");
  MeasurementPreviewDialog dialog(nullptr, app, folder().string(), "wb.rqx2");
  ASSERT_TRUE(dialog.Load(pump));
  EXPECT_EQ(dialog.windowTitle().toStdString(),
            FormatString(strings.Load(kIdsPreviewCaption), "wb.rqx2"));
  EXPECT_TRUE(dialog.NumbersText().contains(text(kIdsRowsLabel).toHtmlEscaped()));
  EXPECT_TRUE(dialog.NumbersText().contains(text(kIdsLimitValueLabel).toHtmlEscaped()));
  EXPECT_EQ(dialog.VerdictText(), text(VerdictStringId(ExposureVerdict::kAboveLimit)));
  EXPECT_EQ(dialog.WarningText().toStdString(),
            FormatString(strings.Load(kIdsSumFactorsWarning), "1, 1, 1"));
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
