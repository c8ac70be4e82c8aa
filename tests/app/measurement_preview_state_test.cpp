#include "app/measurement_preview_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gen/measurement_generator.h"
#include "support/app_context.h"
#include "support/fifo.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;

class PreviewStateTest : public ::testing::Test {
 protected:
  PreviewStateTest()
      : app(test::TestAppContext({}, (root.Path() / "bin").string() + "/", profile)) {
    options.count = 2;
    options.rows = 50;
    options.raw = 1;  // the first has its raw data file
    options.raw_samples = 100;
    std::string error;
    EXPECT_TRUE(gen::WriteMeasurements(options, folder().string(), &error)) << error;
  }
  fs::path folder() const { return root.Path() / "data"; }
  std::string Name(std::uint32_t index) const { return gen::PlanMeasurement(options, index).name; }

  test::TempDir root;
  test::MemoryProfile profile;
  CRQX340App app;
  gen::GeneratorOptions options;
  NullProgressSink progress;
  NullMessagePump pump;
};

TEST_F(PreviewStateTest, ReadsTheFileOnceForNumbersPlotAndExports) {
  MeasurementPreviewState state(app.Settings(), app.Strings(), folder().string(), Name(0));
  EXPECT_EQ(state.Caption(), "Preview - " + Name(0));
  EXPECT_FALSE(state.CanExportCsv());
  ASSERT_EQ(state.Load(progress, pump), ReadOutcome::kRead);
  EXPECT_TRUE(state.Loaded());
  EXPECT_EQ(state.Heading(), Name(0));
  EXPECT_EQ(state.Numbers().rows, 50u);
  EXPECT_EQ(state.Plot().columns, 50u);
  EXPECT_TRUE(state.CanExportCsv());
  EXPECT_TRUE(state.CanExportWav());
  EXPECT_EQ(
      state.SuggestedExportPath(".csv"),
      (folder() / Name(0)).string().substr(0, (folder() / Name(0)).string().size() - 5) + ".csv");
  const std::string out = (root.Path() / "out.csv").string();
  EXPECT_EQ(state.ExportCsv(out, progress, pump).status, ExportStatus::kWritten);
  EXPECT_TRUE(fs::exists(out));
  const ExportResult refused =
      state.ExportCsv((root.Path() / "no/such/dir/x.csv").string(), progress, pump);
  EXPECT_EQ(refused.status, ExportStatus::kNotWritten);
  EXPECT_EQ(state.ExportFailureText(kIdsCsvNotWritten, refused),
            "The CSV file could not be written: " + refused.error);
  EXPECT_EQ(state.ExportFailureText(kIdsWavNotWritten, {}), "");

  MeasurementPreviewState missing(app.Settings(), app.Strings(), folder().string(), "gone.rqx2");
  EXPECT_EQ(missing.Load(progress, pump), ReadOutcome::kReadFailed);
  EXPECT_EQ(missing.NotLoadedText(), "The file cannot be read.");
  EXPECT_FALSE(missing.CanExportCsv());
}

// The dialog's thread draws every window: an export to a FIFO nobody reads
// is refused at once, never waited for (the command line waits instead).
TEST_F(PreviewStateTest, AnExportToAFifoWithoutAReaderIsRefusedAtOnce) {
  const std::string fifo = (root.Path() / "fifo.csv").string();
  if (!test::MakeFifo(fifo)) GTEST_SKIP() << "no FIFOs here";
  MeasurementPreviewState state(app.Settings(), app.Strings(), folder().string(), Name(0));
  ASSERT_EQ(state.Load(progress, pump), ReadOutcome::kRead);
  struct Case {
    const char* name;
    int failed;
    ExportResult (MeasurementPreviewState::*run)(const std::string&, ProgressSink&, MessagePump&);
  };
  const Case cases[] = {{"csv", kIdsCsvNotWritten, &MeasurementPreviewState::ExportCsv},
                        {"wav", kIdsWavNotWritten, &MeasurementPreviewState::ExportWav}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ExportResult result = (state.*c.run)(fifo, progress, pump);
    EXPECT_EQ(result.status, ExportStatus::kNotWritten);
    EXPECT_NE(state.ExportFailureText(c.failed, result).find("no program is reading from"),
              std::string::npos)
        << state.ExportFailureText(c.failed, result);
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
}

TEST_F(PreviewStateTest, TheExposureTimeIsKeptOnlyWhenItReadsBack) {
  MeasurementPreviewState state(app.Settings(), app.Strings(), folder().string(), Name(1));
  EXPECT_EQ(state.InitialExposureText(), "8");
  EXPECT_TRUE(state.Exposure("8").a8.empty());  // nothing read yet
  state.OnExposureTextChanged("2.5");
  state.OnExposureTextChanged("2,5");  // not a time: not kept
  EXPECT_EQ(app.Settings().ExposureHours(), "2.5");
  MeasurementPreviewState next(app.Settings(), app.Strings(), folder().string(), Name(1));
  EXPECT_EQ(next.InitialExposureText(), "2.5");
  ASSERT_EQ(next.Load(progress, pump), ReadOutcome::kRead);
  EXPECT_EQ(next.Exposure("30").a8, "A(8): enter 0 < T <= 24 hours");
}

// Asks to close from inside the pump, as a click on the close box would.
class ClosingPump final : public MessagePump {
 public:
  explicit ClosingPump(MeasurementPreviewState& state) : m_state(state) {}
  bool PumpPendingMessages(std::int32_t*) override {
    answers.push_back(m_state.RequestClose());
    return true;
  }
  std::vector<bool> answers;

 private:
  MeasurementPreviewState& m_state;
};

TEST_F(PreviewStateTest, ACloseDuringTheWorkStopsItAndClosesAfterIt) {
  options.rows = 20000;  // more than one block to read
  std::string error;
  ASSERT_TRUE(gen::WriteMeasurements(options, (root.Path() / "big").string(), &error)) << error;
  MeasurementPreviewState state(app.Settings(), app.Strings(), (root.Path() / "big").string(),
                                Name(0));
  EXPECT_TRUE(state.RequestClose());  // idle: at once
  EXPECT_FALSE(state.TakeCloseAfterWork());
  ClosingPump closing(state);
  EXPECT_EQ(state.Load(progress, closing), ReadOutcome::kStopped);
  ASSERT_FALSE(closing.answers.empty());
  EXPECT_FALSE(closing.answers.front());  // busy: not now
  EXPECT_FALSE(state.Busy());
  EXPECT_EQ(state.NotLoadedText(), "The reading was stopped.");
  EXPECT_TRUE(state.TakeCloseAfterWork());
  EXPECT_FALSE(state.TakeCloseAfterWork());
}

}  // namespace
}  // namespace rqx340
