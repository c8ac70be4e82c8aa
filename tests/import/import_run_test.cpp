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

TEST_F(ImportRunTest, VanishedFilesAndRawFilesAreSkippedSilently) {
  // M0001 and M0002 store raw data; M0003 announces it without a file.
  Generate({.count = 4, .rows = 2, .raw = 2, .raw_missing = 1, .raw_samples = 3});
  const std::vector<CRQX340Json> records = {Summary("M0001.rqx2"), Summary("M0002.rqx2"),
                                            Summary("M0003.rqx2"), Summary("M0004.rqx2")};
  ASSERT_EQ(records[1].m_nRaw, 1);
  ASSERT_EQ(records[2].m_nRaw, 2);
  // After the scan: the first measurement file and the second's raw file vanish.
  fs::remove(m_folder / "M0001.rqx2");
  fs::remove(m_folder / "M0002.raw");
  // The folder without its trailing "/", and an index past the records.
  const std::int32_t checked[] = {0, 1, 2, 7, 3};
  const std::string folder = m_folder.string();
  ASSERT_NE(folder.back(), '/');
  StartHost();
  const ImportResult result = Run(MakeImportRequest(folder, records, checked));

  EXPECT_EQ(result.outcomes,
            (std::vector<ImportOutcome>{ImportOutcome::kNotRead, ImportOutcome::kImported,
                                        ImportOutcome::kImported, ImportOutcome::kNotRead,
                                        ImportOutcome::kImported}));
  EXPECT_TRUE(Shown().empty());
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
  // exists; the one nested too deep is the null document, as if it did not parse.
  EXPECT_EQ(result.outcomes,
            (std::vector<ImportOutcome>{ImportOutcome::kFailed, ImportOutcome::kImported,
                                        ImportOutcome::kImported}));
  EXPECT_EQ(Shown(), (Messages{{202, kCannotOpen}}));
  EXPECT_EQ(Commands(), (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox),
            (std::vector<std::string>{"001-deep.rqx2.bin", "002-M0001.rqx2.bin"}));
  EXPECT_EQ(ReadFileBytes(m_inbox / "001-deep.rqx2.bin").size(), 19264u);
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
