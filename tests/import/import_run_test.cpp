// The import run against a real zul-refhost process, with the run itself in
// this process so that its own interface (outcomes, messages, progress, the
// hand-over folder) can be checked and its file operations made to fail.
#include "import/import_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "format/exchange_writer.h"
#include "format/packed_rows.h"
#include "gen/measurement_generator.h"
#include "measurement/json_reader.h"
#include "support/command_log_reader.h"
#include "support/exchange_bytes.h"
#include "support/faulty_temp_folder.h"
#include "support/host_test.h"
#include "support/memory_sink.h"
#include "support/recording_progress.h"
#include "support/recording_sink.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::FolderNames;
using test::HandoverLeftovers;
using test::ReadFileBytes;
using Messages = std::vector<std::pair<int, std::string>>;

constexpr const char* kCannotOpen = "WARNING! Cannot open exchange file with the main application.";

// What the system calls a missing file of an existing folder, as InputFile says it.
std::string NoSuchFileText(const fs::path& folder) {
  auto missing = InputFile::Open((folder / "none.rqx2").string());
  return missing ? std::string() : missing.ErrorText();
}

class ImportRunTest : public test::HostTest {
 protected:
  // Writes `options.count` sample measurements into the measurement folder.
  void Generate(gen::GeneratorOptions options) {
    std::string error;
    ASSERT_TRUE(gen::WriteMeasurements(options, m_folder.string(), &error)) << error;
  }

  CRQX340Json Summary(const std::string& name) {
    // As the folder scan fills it: the listing gives the name and size.
    CRQX340Json record;
    record.m_strName = name;
    record.m_nSize = fs::file_size(m_folder / name);
    EXPECT_TRUE(ReadSummary(record, m_folder.string(), name)) << name;
    return record;
  }

  ImportRequest Request(const std::vector<std::string>& names) {
    ImportRequest request;
    for (const auto& name : names) request.items.push_back({m_folder.string(), Summary(name)});
    return request;
  }

  ImportResult Run(const ImportRequest& request, const TempFolder* temp_folder = nullptr,
                   MessagePump* pump = nullptr) {
    ImportServices services{m_sink, m_progress, pump != nullptr ? *pump : m_pump};
    services.executable_path = test::ProgramPath("rqx340");
    services.temp_folder = temp_folder;
    ImportResult result = RunImport(request, services);
    StopHost();
    return result;
  }

  // The session directory, with chosen operations made to fail.
  test::FaultyTempFolder FaultyFolder() {
    const SessionDir session = m_session.Open();
    return test::FaultyTempFolder(*TempFolder::FromSession(session));
  }

  Messages Shown() const {
    Messages shown;
    for (const auto& message : m_sink.messages) shown.emplace_back(message.id, message.text);
    return shown;
  }

  std::vector<std::uint32_t> Commands() const { return LoggedCommands(); }

  // The exchange file `rqx340 convert` would write for `name`.
  std::string ExpectedExchangeFile(const std::string& name) {
    auto file = InputFile::Open((m_folder / name).string());
    EXPECT_TRUE(file) << file.ErrorText();
    std::vector<char> buffer(kReadBufferSize + 1);
    NullProgressSink progress;
    NullMessagePump pump;
    ProgressFileReadStream stream(&*file, buffer, progress, pump);
    rapidjson::Document document;
    PackedRows rows;
    ParseMeasurement(stream, document, rows);
    test::MemorySink sink;
    EXPECT_TRUE(WriteExchangeFile(sink, document, rows, name, progress, pump).Ok());
    return test::AsString(sink.Span());
  }

  test::RecordingSink m_sink;
  test::CallLog m_calls;
  test::RecordingProgressSink m_progress{m_calls};
  test::RecordingMessagePump m_pump{m_calls};
};

TEST_F(ImportRunTest, TransfersEveryMeasurementAndLeavesNoHandOverFile) {
  Generate({.count = 2, .rows = 4, .octaves = gen::Octaves::kBoth, .raw = 1, .raw_samples = 10});
  StartHost();
  const ImportResult result = Run(Request({"M0001.rqx2", "M0002.rqx2"}));

  EXPECT_EQ(result.connection_status, 0);
  EXPECT_EQ(result.outcomes,
            (std::vector<ImportOutcome>{ImportOutcome::kImported, ImportOutcome::kImported}));
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Commands(),
            (std::vector<std::uint32_t>{5, 26, 2, 27, 20, 20, 20, 22, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox),
            (std::vector<std::string>{"001-M0001.rqx2-X.raw", "001-M0001.rqx2-Y.raw",
                                      "001-M0001.rqx2-Z.raw", "001-M0001.rqx2.bin",
                                      "002-M0002.rqx2.bin"}));
  EXPECT_EQ(ReadFileBytes(m_inbox / "001-M0001.rqx2.bin"), ExpectedExchangeFile("M0001.rqx2"));
  EXPECT_EQ(ReadFileBytes(m_inbox / "002-M0002.rqx2.bin"), ExpectedExchangeFile("M0002.rqx2"));
  EXPECT_EQ(ReadFileBytes(m_inbox / "001-M0001.rqx2-X.raw").size(), 54u + 4u * 10u);
  EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
}

TEST_F(ImportRunTest, WithoutImportRawNoRawSignalIsHandedOver) {
  Generate({.count = 1, .rows = 4, .raw = 1, .raw_samples = 10});
  StartHost();
  ImportRequest request = Request({"M0001.rqx2"});
  request.import_raw = false;
  const ImportResult result = Run(request);
  EXPECT_EQ(result.outcomes, std::vector<ImportOutcome>{ImportOutcome::kImported});
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Commands(), (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox), std::vector<std::string>{"001-M0001.rqx2.bin"});
  EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
}

TEST_F(ImportRunTest, ProgressShowsReadingThenConversionPerMeasurement) {
  Generate({.count = 2, .rows = 3});
  // The second file grows to exactly two 65536-byte blocks: a reading range of
  // 0 .. 2 and three fills, the last one empty.
  {
    const fs::path big = m_folder / "M0002.rqx2";
    std::string text = ReadFileBytes(big);
    ASSERT_LT(text.size(), 2u * 65536u);
    text.append(2 * 65536 - text.size(), ' ');
    std::ofstream(big, std::ios::binary | std::ios::trunc) << text;
  }
  StartHost();
  Run(Request({"M0001.rqx2", "M0002.rqx2"}));

  const std::vector<std::string> conversion = {"pos 0",  "step 1", "range 0 3", "stepit", "pump",
                                               "stepit", "pump",   "stepit",    "pump"};
  const auto& calls = m_calls.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), "show");
  EXPECT_EQ(calls.back(), "hide");
  // Each measurement: its reading range, the reading's steps, then the conversion.
  const auto first_read = std::find(calls.begin(), calls.end(), "range 0 0");
  const auto second_read = std::find(calls.begin(), calls.end(), "range 0 2");
  ASSERT_NE(first_read, calls.end());
  ASSERT_NE(second_read, calls.end());
  const auto first_conversion =
      std::search(first_read, calls.end(), conversion.begin(), conversion.end());
  const auto second_conversion =
      std::search(second_read, calls.end(), conversion.begin(), conversion.end());
  EXPECT_LT(first_conversion, second_read);
  EXPECT_NE(second_conversion, calls.end());
  // One step per fill before its conversion.
  EXPECT_EQ(std::count(second_read, second_conversion, "stepit"), 3);
}

TEST_F(ImportRunTest, NothingCheckedOpensAndClosesTheConnection) {
  StartHost();
  const ImportResult result = Run(ImportRequest{});
  EXPECT_EQ(result.connection_status, 0);
  EXPECT_TRUE(result.outcomes.empty());
  EXPECT_EQ(Commands(), (std::vector<std::uint32_t>{5, 4}));
  EXPECT_EQ(m_calls.Calls(), (std::vector<std::string>{"show", "hide"}));
  EXPECT_TRUE(FolderNames(m_inbox).empty());
}

// A measurement file that is gone, replaced by a folder or cut short since the
// scan is said by name and reason and never reaches the host (it once went over
// silently, or as an empty measurement). A raw data file gone since the scan is
// passed over silently: the measurement goes without it.
TEST_F(ImportRunTest, MeasurementsThatChangedSinceTheScanAreReportedByName) {
  // M0001 and M0002 store raw data; M0003 announces it without a file.
  Generate({.count = 6, .rows = 2, .raw = 2, .raw_missing = 1, .raw_samples = 3});
  std::vector<CRQX340Json> records;
  for (int i = 1; i <= 6; ++i) records.push_back(Summary("M000" + std::to_string(i) + ".rqx2"));
  ASSERT_EQ(records[1].m_nRaw, 1);
  ASSERT_EQ(records[2].m_nRaw, 2);
  // After the scan: the first measurement file and the second's raw file
  // vanish, the fifth is cut short, the sixth becomes a folder.
  fs::remove(m_folder / "M0001.rqx2");
  fs::remove(m_folder / "M0002.raw");
  const std::string fifth = ReadFileBytes(m_folder / "M0005.rqx2");
  test::WriteFileBytes(m_folder / "M0005.rqx2", fifth.substr(0, fifth.size() - 40));
  fs::remove(m_folder / "M0006.rqx2");
  fs::create_directory(m_folder / "M0006.rqx2");
  // The folder without its trailing "/", and an index past the records.
  const std::int32_t checked[] = {0, 1, 2, 7, 3, 4, 5};
  const std::string folder = m_folder.string();
  ASSERT_NE(folder.back(), '/');
  StartHost();
  const ImportResult result = Run(MakeImportRequest(folder, records, checked));

  EXPECT_EQ(result.outcomes,
            (std::vector<ImportOutcome>{ImportOutcome::kFailed, ImportOutcome::kImported,
                                        ImportOutcome::kImported, ImportOutcome::kNotRead,
                                        ImportOutcome::kImported, ImportOutcome::kFailed,
                                        ImportOutcome::kFailed}));
  const auto shown = Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].first, kIdsMeasurementNotOpened);
  EXPECT_EQ(shown[0].second, "WARNING! The measurement file cannot be opened: " +
                                 NoSuchFileText(m_folder) + ". It was not imported.");
  EXPECT_EQ(shown[1],
            (std::pair<int, std::string>{
                kIdsMeasurementNotJson, "WARNING! The measurement file is not valid JSON at byte " +
                                            std::to_string(fifth.size() - 40) +
                                            " (Missing a comma or ']' after an array element). "
                                            "It was not imported."}));
  EXPECT_EQ(shown[2].first, kIdsMeasurementNotOpened);
  // Each message comes after the name of its file.
  EXPECT_EQ(m_sink.details, (std::vector<std::string>{"M0001.rqx2", "M0005.rqx2", "M0006.rqx2"}));
  EXPECT_EQ(Commands(),
            (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 26, 2, 27, 22, 26, 2, 27, 22, 4}));
  EXPECT_EQ(
      FolderNames(m_inbox),
      (std::vector<std::string>{"001-M0002.rqx2.bin", "002-M0003.rqx2.bin", "003-M0004.rqx2.bin"}));
}

TEST_F(ImportRunTest, ExchangeFileThatCannotBeMadeIsReportedAndSkipped) {
  struct Case {
    const char* what;
    test::CreateFault fault;
    bool fail_link;
    int id;
  };
  const Case cases[] = {
      {"exchange file cannot be created", test::CreateFault::kRefuse, false, 202},
      {"exchange file cannot be written", test::CreateFault::kDiskFull, false, 202},
      {"exchange file cannot be mapped", test::CreateFault::kNone, true, 203},
  };
  Generate({.count = 2, .rows = 2});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_sink.messages.clear();
    fs::remove_all(m_inbox);
    test::FaultyTempFolder folder = FaultyFolder();
    int exchange_files = 0;
    folder.create_fault = [&](std::string_view name) {
      return name == "ZURQX340.$$$" && ++exchange_files == 1 ? c.fault : test::CreateFault::kNone;
    };
    folder.fail_link = c.fail_link;
    if (c.fail_link) {
      // Only the first measurement's mapping fails.
      folder.create_fault = [&](std::string_view name) {
        if (name == "ZURQX340.$$$" && ++exchange_files == 2) folder.fail_link = false;
        return test::CreateFault::kNone;
      };
    }
    StartHost();
    const ImportResult result = Run(Request({"M0001.rqx2", "M0002.rqx2"}), &folder);

    EXPECT_EQ(result.outcomes,
              (std::vector<ImportOutcome>{ImportOutcome::kFailed, ImportOutcome::kImported}));
    EXPECT_EQ(Shown(), (Messages{{c.id, kCannotOpen}}));
    // No command for the first measurement.
    EXPECT_EQ(Commands(), (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 4}));
    EXPECT_EQ(FolderNames(m_inbox), (std::vector<std::string>{"001-M0002.rqx2.bin"}));
    EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
  }
}

TEST_F(ImportRunTest, HostileSizesAndNestingNeverStopTheRun) {
  Generate({.count = 1, .rows = 2});
  // The scan's four keys first, then what the full parse meets.
  const auto measurement = [](const std::string& rest) {
    return R"({"Header":{"SerialNum":"S","StartDateTime":1500000000},"MeasurementProperties":)"
           R"({"MeasProperties":{"TAG_OPERATING_MODE_20":0,"TAG_STORE_RAW_53":0,)"
           R"("TAG_FULL_OCTAVE_54":1}},)" +
           rest + "}";
  };
  std::ofstream(m_folder / "huge.rqx2")
      << measurement(R"("TimeHistoryColumns":{"OBA1_1_Count":2147483647},"TimeHistory":[[1]])");
  std::ofstream(m_folder / "deep.rqx2")
      << measurement(R"("x":)" + std::string(100000, '[') + std::string(100000, ']'));
  StartHost();
  const ImportResult result = Run(Request({"huge.rqx2", "deep.rqx2", "M0001.rqx2"}));

  // The file too large for the format is refused before its exchange file
  // exists; the one nested too deep does not parse and is not handed over.
  EXPECT_EQ(result.outcomes,
            (std::vector<ImportOutcome>{ImportOutcome::kFailed, ImportOutcome::kFailed,
                                        ImportOutcome::kImported}));
  EXPECT_EQ(Shown(), (Messages{{202, kCannotOpen},
                               {232,
                                "WARNING! The measurement file is not valid JSON at byte 100173 "
                                "(arrays and objects nested more than 100000 deep). It was not "
                                "imported."}}));
  EXPECT_EQ(Commands(), (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox), (std::vector<std::string>{"001-M0001.rqx2.bin"}));
  EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
}

TEST_F(ImportRunTest, RawSignalThatCannotBeHandedOverFailsTheMeasurement) {
  Generate({.count = 1, .rows = 2, .raw = 1, .raw_samples = 5});
  test::FaultyTempFolder folder = FaultyFolder();
  int axis_files = 0;
  folder.create_fault = [&](std::string_view name) {
    return name.rfind("~_", 0) == 0 && ++axis_files == 2 ? test::CreateFault::kDiskFull
                                                         : test::CreateFault::kNone;
  };
  StartHost();
  const ImportResult result = Run(Request({"M0001.rqx2"}), &folder);

  EXPECT_EQ(result.outcomes, (std::vector<ImportOutcome>{ImportOutcome::kFailed}));
  EXPECT_EQ(Shown(), (Messages{{204, "WARNING! Cannot hand over the raw signal of M0001.rqx2."}}));
  // The measurement itself still reaches the host, without its raw signal.
  EXPECT_EQ(Commands(), (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox), (std::vector<std::string>{"001-M0001.rqx2.bin"}));
  EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
}

// A raw data file found by the scan that no longer opens when its turn comes
// (here: a folder now stands at its name) is said with string 204; the host
// is offered no axis at all, no command 20, and stores the measurement alone.
TEST_F(ImportRunTest, ARawFileThatNoLongerOpensSendsNoCommand20) {
  Generate({.count = 1, .rows = 2, .raw = 1, .raw_samples = 5});
  struct ReplacingProgress final : ProgressSink {
    explicit ReplacingProgress(fs::path raw) : m_raw(std::move(raw)) {}
    // Called first when the measurement is read, after its raw data file was found.
    void SetRange(std::int32_t, std::int32_t) override {
      if (!fs::is_regular_file(m_raw)) return;
      fs::remove(m_raw);
      fs::create_directory(m_raw);
    }
    void SetPos(std::int32_t) override {}
    void SetStep(std::int32_t) override {}
    void StepIt() override {}
    void Show() override {}
    void Hide() override {}
    fs::path m_raw;
  } progress(m_folder / "M0001.raw");
  StartHost();
  ImportServices services{m_sink, progress, m_pump};
  services.executable_path = test::ProgramPath("rqx340");
  const ImportResult result = RunImport(Request({"M0001.rqx2"}), services);
  StopHost();
  EXPECT_TRUE(fs::is_directory(m_folder / "M0001.raw"));
  EXPECT_EQ(result.outcomes, (std::vector<ImportOutcome>{ImportOutcome::kFailed}));
  EXPECT_EQ(Shown(), (Messages{{204, "WARNING! Cannot hand over the raw signal of M0001.rqx2."}}));
  EXPECT_EQ(Commands(), (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox), (std::vector<std::string>{"001-M0001.rqx2.bin"}));
  EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
}

TEST_F(ImportRunTest, HostErrorOnAStepAbandonsOnlyThatMeasurement) {
  Generate({.count = 2, .rows = 2});
  StartHost({"--fail", "2@1=6"});
  const ImportResult result = Run(Request({"M0001.rqx2", "M0002.rqx2"}));
  EXPECT_EQ(result.outcomes,
            (std::vector<ImportOutcome>{ImportOutcome::kFailed, ImportOutcome::kImported}));
  EXPECT_EQ(Shown(), (Messages{{550, "WARNING! Main application error: Bad channel data."}}));
  EXPECT_EQ(Commands(), (std::vector<std::uint32_t>{5, 26, 2, 99, 26, 2, 27, 22, 4}));
  EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
}

TEST_F(ImportRunTest, AStopEndsTheRunAndLeavesNothingBehind) {
  struct Case {
    const char* what;
    // Stops on the pump's call of this number, or once the host logged `after`.
    std::size_t call;
    std::uint32_t after;
    std::vector<std::uint32_t> commands;
  };
  // Each measurement: one block to read, two rows, one chunk of raw signal.
  const Case cases[] = {
      {"while reading the first", 1, 0, {5, 4}},
      {"while writing the first", 2, 0, {5, 4}},
      {"in the raw signal of the first: 99, not 22", 0, 27, {5, 26, 2, 27, 99, 4}},
      {"while reading the second", 5, 0, {5, 26, 2, 27, 20, 20, 20, 22, 4}},
  };
  Generate({.count = 2, .rows = 2, .raw = 2, .raw_samples = 10});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(m_inbox);
    std::filesystem::remove(m_log);
    test::CallLog calls;
    test::StoppingMessagePump pump(calls, [&](std::size_t call) {
      if (c.after == 0) return call == c.call;
      const auto logged = LoggedCommands();
      return !logged.empty() && logged.back() == c.after;
    });
    StartHost();
    const ImportResult result = Run(Request({"M0001.rqx2", "M0002.rqx2"}), nullptr, &pump);
    EXPECT_EQ(result.connection_status, 0);
    const bool first = c.commands.size() < 9;
    EXPECT_EQ(result.outcomes,
              (std::vector<ImportOutcome>{
                  first ? ImportOutcome::kStopped : ImportOutcome::kImported,
                  first ? ImportOutcome::kNotAttempted : ImportOutcome::kStopped}));
    EXPECT_EQ(Commands(), c.commands);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(calls.Count("pump: stop"), 1u);
    EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
  }
}

// A host that goes away mid-run ends the run with one message that says how
// many measurements arrived, not one message per measurement still to come
// (5 000 files once gave 4 602 message boxes to dismiss).
TEST_F(ImportRunTest, AHostThatGoesEndsTheRunWithOneMessage) {
  struct KillingObserver final : ImportObserver {
    explicit KillingObserver(std::function<void(std::size_t)> end) : m_end(std::move(end)) {}
    void EndMeasurement(std::size_t item, ImportOutcome) override { m_end(item); }
    std::function<void(std::size_t)> m_end;
  };
  struct Case {
    const char* what;
    std::vector<std::string> host;
    bool kill_after_first;  // SIGKILL once the first measurement is through
    std::vector<ImportOutcome> outcomes;
    std::vector<std::uint32_t> commands;
    const char* message;
  };
  using O = ImportOutcome;
  const Case cases[] = {
      {"dies inside command 27 of the second",
       {"--exit-on", "27@2"},
       false,
       {O::kImported, O::kFailed, O::kNotAttempted, O::kNotAttempted},
       {5, 26, 2, 27, 22, 26, 2, 27},
       "1 of 4 measurements were imported, 3 were not."},
      {"dies inside command 22 of the first",
       {"--exit-on", "22@1"},
       false,
       {O::kFailed, O::kNotAttempted, O::kNotAttempted, O::kNotAttempted},
       {5, 26, 2, 27, 22},
       "0 of 4 measurements were imported, 4 were not."},
      {"killed between two measurements: the second is not even read",
       {},
       true,
       {O::kImported, O::kNotAttempted, O::kNotAttempted, O::kNotAttempted},
       {5, 26, 2, 27, 22},
       "1 of 4 measurements were imported, 3 were not."},
  };
  Generate({.count = 4, .rows = 2});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    m_sink = {};
    fs::remove_all(m_inbox);
    fs::remove(m_log);
    StartHost(c.host);
    KillingObserver observer([&](std::size_t item) {
      if (!c.kill_after_first || item != 0) return;
      m_host->Process().Kill();
      m_host->Process().Wait();
    });
    test::CallLog calls;
    test::RecordingProgressSink progress(calls);
    ImportServices services{m_sink, progress, m_pump};
    services.executable_path = test::ProgramPath("rqx340");
    services.observer = &observer;
    const ImportResult result =
        RunImport(Request({"M0001.rqx2", "M0002.rqx2", "M0003.rqx2", "M0004.rqx2"}), services);
    m_host.reset();
    EXPECT_EQ(result.outcomes, c.outcomes);
    EXPECT_EQ(Shown(), (Messages{{kIdsConnectionLost,
                                  std::string("WARNING! The connection with the main application "
                                              "was lost: ") +
                                      c.message}}));
    EXPECT_TRUE(m_sink.details.empty());
    EXPECT_EQ(Commands(), c.commands);
    // Each reading sets the range 0 .. 0 (files below 65536 bytes).
    if (c.kill_after_first) EXPECT_EQ(calls.Count("range 0 0"), 1u);
    EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
  }
}

// An error that breaks the run off (an allocation that fails) closes the
// connection and says so, with what was imported; the run never throws.
TEST_F(ImportRunTest, AnErrorThatBreaksTheRunOffIsSaid) {
  struct FailingProgress final : ProgressSink {
    void SetRange(std::int32_t, std::int32_t) override {
      if (++ranges == 3) throw std::bad_alloc();
    }
    void SetPos(std::int32_t) override {}
    void SetStep(std::int32_t) override {}
    void StepIt() override {}
    void Show() override {}
    void Hide() override { hidden = true; }
    int ranges = 0;
    bool hidden = false;
  } progress;
  Generate({.count = 3, .rows = 2});
  StartHost();
  ImportServices services{m_sink, progress, m_pump};
  services.executable_path = test::ProgramPath("rqx340");
  // Ranges: reading the first, converting it, reading the second.
  const ImportResult result =
      RunImport(Request({"M0001.rqx2", "M0002.rqx2", "M0003.rqx2"}), services);
  StopHost();
  EXPECT_EQ(result.outcomes,
            (std::vector<ImportOutcome>{ImportOutcome::kImported, ImportOutcome::kNotAttempted,
                                        ImportOutcome::kNotAttempted}));
  EXPECT_EQ(Shown(),
            (Messages{{kIdsImportBrokenOff,
                       "WARNING! The import stopped: out of memory. 1 of 3 measurements were "
                       "imported."}}));
  EXPECT_TRUE(progress.hidden);
  EXPECT_EQ(Commands(), (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 4}));
  EXPECT_TRUE(HandoverLeftovers(m_session.Path()).empty());
}

TEST_F(ImportRunTest, NoExchangeAreaEndsTheRun) {
  Generate({.count = 1, .rows = 2});
  const ImportResult result = Run(Request({"M0001.rqx2"}));
  EXPECT_EQ(result.connection_status, 254);
  EXPECT_EQ(result.outcomes, (std::vector<ImportOutcome>{ImportOutcome::kNotAttempted}));
  ASSERT_EQ(m_sink.messages.size(), 1u);
  EXPECT_EQ(m_sink.messages[0].id, 207);
  EXPECT_TRUE(m_calls.Calls().empty());
}

}  // namespace
}  // namespace rqx340
