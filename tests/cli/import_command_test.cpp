// rqx340 import against zul-refhost: both run as programs of their own, each
// test in its own session directory.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/command_log_reader.h"
#include "support/host_test.h"
#include "support/raw_samples.h"
#include "support/run_program.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::CommandsOf;
using test::FloatAt;
using test::FolderNames;
using test::HandoverLeftovers;
using test::ProgramResult;
using test::RawBytes;
using test::ReadCommandLog;
using test::ReadFileBytes;
using test::RunProgram;
using test::Sample;
using test::U64At;
using test::WriteFileBytes;
using Commands = std::vector<std::uint32_t>;
using Names = std::vector<std::string>;

const std::vector<std::string> kEnv = {"TZ=UTC", "RQX340_SHORTDATE=yyyy-MM-dd",
                                       "RQX340_TIMEFORMAT=HH:mm:ss"};
constexpr const char* kNoConnection =
    "WARNING! Connection with the main application is not possible.";

std::string Hex(std::uint32_t window) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", window);
  return text;
}

class ImportCommandTest : public test::HostTest {
 protected:
  void Generate(const std::vector<std::string>& options) {
    std::vector<std::string> args = options;
    args.push_back(m_folder.string());
    const ProgramResult result = RunProgram("rqx340-gen", args);
    ASSERT_EQ(result.exit_code, 0) << result.err;
  }

  // rqx340 import --host <the host> --folder <the measurements> ARGS...
  ProgramResult Import(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"import", "--host", Hex(m_host->Window()), "--folder",
                                    m_folder.string()};
    all.insert(all.end(), args.begin(), args.end());
    return RunProgram("rqx340", all, kEnv);
  }

  // What the host logged; stops it first so that the log is complete.
  Commands StopHostAndReadLog() {
    StopHost();
    return LoggedCommands();
  }

  std::string Converted(const std::string& name) {
    const fs::path out = m_data.Path() / ("converted-" + name);
    const ProgramResult result =
        RunProgram("rqx340", {"convert", (m_folder / name).string(), out.string()}, kEnv);
    EXPECT_EQ(result.exit_code, 0) << result.err;
    return ReadFileBytes(out);
  }

  void TearDown() override {
    StopHost();
    EXPECT_EQ(HandoverLeftovers(m_session.Path()), Names{});
  }
};

TEST_F(ImportCommandTest, MeasurementsLandInTheInboxAsConvertWritesThem) {
  Generate({"--count", "3", "--rows", "20", "--octaves", "both", "--raw", "1"});
  StartHost();
  const ProgramResult one = Import({"M0001.rqx2"});
  EXPECT_EQ(one.exit_code, 0) << one.err;
  EXPECT_EQ(one.err, "");
  // The second run names its files as paths, without --folder.
  const ProgramResult two =
      RunProgram("rqx340",
                 {"import", "--host", Hex(m_host->Window()), (m_folder / "M0002.rqx2").string(),
                  (m_folder / "sub" / ".." / "M0003.rqx2").string()},
                 kEnv);
  EXPECT_EQ(two.exit_code, 0) << two.err;

  EXPECT_EQ(StopHostAndReadLog(),
            (Commands{5, 26, 2, 27, 20, 20, 20, 22, 4, 5, 26, 2, 27, 22, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox),
            (Names{"001-M0001.rqx2-X.raw", "001-M0001.rqx2-Y.raw", "001-M0001.rqx2-Z.raw",
                   "001-M0001.rqx2.bin", "002-M0002.rqx2.bin", "003-M0003.rqx2.bin"}));
  EXPECT_EQ(ReadFileBytes(m_inbox / "001-M0001.rqx2.bin"), Converted("M0001.rqx2"));
  EXPECT_EQ(ReadFileBytes(m_inbox / "002-M0002.rqx2.bin"), Converted("M0002.rqx2"));
  EXPECT_EQ(ReadFileBytes(m_inbox / "003-M0003.rqx2.bin"), Converted("M0003.rqx2"));
}

TEST_F(ImportCommandTest, FileThatDoesNotParseIsImportedAsTheNullDocument) {
  Generate({"--count", "1", "--rows", "5"});
  // The head the folder scan needs is intact; the rest is cut off.
  const std::string text = ReadFileBytes(m_folder / "M0001.rqx2");
  WriteFileBytes(m_folder / "M0001.rqx2", text.substr(0, text.size() - 40));
  StartHost();
  const ProgramResult result = Import({"M0001.rqx2"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(StopHostAndReadLog(), (Commands{5, 26, 2, 27, 22, 4}));
  EXPECT_EQ(ReadFileBytes(m_inbox / "001-M0001.rqx2.bin"), Converted("M0001.rqx2"));
}

TEST_F(ImportCommandTest, RawSignalsReachTheHostAxisByAxis) {
  Generate({"--count", "3", "--rows", "3", "--raw", "3", "--raw-samples", "4"});
  // 0 bytes; 13 bytes (one sample and a stray byte); 120000 samples, read in
  // chunks of 50000, 50000 and 20000: the means come from the first chunk only.
  WriteFileBytes(m_folder / "M0001.raw", "");
  WriteFileBytes(m_folder / "M0002.raw", RawBytes({{1.5f, -2.0f, 3.25f}}) + "\x7F");
  std::vector<Sample> samples(120000);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    samples[i] = {i < 50000 ? 1.0f : 5.0f, -1.0f - static_cast<float>(i % 4),
                  i % 2 == 0 ? 0.25f : 0.75f};
  }
  WriteFileBytes(m_folder / "M0003.raw", RawBytes(samples));
  StartHost();
  const ProgramResult result = Import({"M0001.rqx2", "M0002.rqx2", "M0003.rqx2"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  EXPECT_EQ(StopHostAndReadLog(), (Commands{5,  26, 2,  27, 20, 20, 20, 22, 26, 2,  27, 20,
                                            20, 20, 22, 26, 2,  27, 20, 20, 20, 22, 4}));

  struct Expected {
    const char* file;
    std::uint64_t samples;
    float peak;
  };
  const Expected axes[] = {
      {"001-M0001.rqx2-X.raw", 0, 0.0f},       {"001-M0001.rqx2-Y.raw", 0, 0.0f},
      {"001-M0001.rqx2-Z.raw", 0, 0.0f},       {"002-M0002.rqx2-X.raw", 1, 1.5f},
      {"002-M0002.rqx2-Y.raw", 1, 0.0f},       {"002-M0002.rqx2-Z.raw", 1, 3.25f},
      {"003-M0003.rqx2-X.raw", 120000, 5.0f},  {"003-M0003.rqx2-Y.raw", 120000, 0.0f},
      {"003-M0003.rqx2-Z.raw", 120000, 0.75f},
  };
  for (const Expected& axis : axes) {
    SCOPED_TRACE(axis.file);
    const std::string bytes = ReadFileBytes(m_inbox / axis.file);
    ASSERT_EQ(bytes.size(), 54 + 4 * axis.samples);
    // Format 0, version 2, the count, then (after the start time) 1.0, 1.0, the peak.
    EXPECT_EQ(bytes.substr(0, 8), std::string("\0\0\0\0\2\0\0\0", 8));
    EXPECT_EQ(U64At(bytes, 0x08), axis.samples);
    EXPECT_EQ(bytes.substr(0x18, 8), std::string("\0\0\x80\x3F\0\0\x80\x3F", 8));
    EXPECT_EQ(FloatAt(bytes, 0x20), axis.peak);
    // WAVEFORMATEX: float, mono, 7162 Hz, 28648 bytes/s, align 4, 32 bits, no extra.
    EXPECT_EQ(bytes.substr(0x24, 18),
              std::string("\3\0\1\0\xFA\x1B\0\0\xE8\x6F\0\0\4\0\x20\0\0\0", 18));
  }
  // The start time is the measurement's, as its TIME record has it (UTC here).
  rapidjson::Document measurement;
  measurement.Parse(ReadFileBytes(m_folder / "M0003.rqx2").c_str());
  ASSERT_TRUE(measurement["Header"]["StartDateTime"].IsInt64());
  EXPECT_EQ(U64At(ReadFileBytes(m_inbox / "003-M0003.rqx2-X.raw"), 0x10),
            static_cast<std::uint64_t>(measurement["Header"]["StartDateTime"].GetInt64()));

  EXPECT_EQ(ReadFileBytes(m_inbox / "002-M0002.rqx2-X.raw").substr(54), std::string(4, '\0'));
  const std::string x = ReadFileBytes(m_inbox / "003-M0003.rqx2-X.raw");
  const std::string y = ReadFileBytes(m_inbox / "003-M0003.rqx2-Y.raw");
  const std::string z = ReadFileBytes(m_inbox / "003-M0003.rqx2-Z.raw");
  const float y_out[] = {1.5f, 0.5f, -0.5f, -1.5f};
  int mismatches = 0;
  for (std::size_t i = 0; i < samples.size() && mismatches < 5; ++i) {
    const std::size_t at = 54 + 4 * i;
    const bool ok = FloatAt(x, at) == (i < 50000 ? 0.0f : 4.0f) && FloatAt(y, at) == y_out[i % 4] &&
                    FloatAt(z, at) == (i % 2 == 0 ? -0.25f : 0.25f);
    if (!ok) {
      ++mismatches;
      ADD_FAILURE() << "sample " << i;
    }
  }
}

TEST_F(ImportCommandTest, HostErrorOnAStepAbandonsOnlyThatMeasurement) {
  Generate({"--count", "2", "--rows", "3"});
  StartHost({"--fail", "2@1=6"});
  const ProgramResult result = Import({"M0001.rqx2", "M0002.rqx2"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, "M0001.rqx2: WARNING! Main application error: Bad channel data.\n");
  EXPECT_EQ(StopHostAndReadLog(), (Commands{5, 26, 2, 99, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox), (Names{"001-M0002.rqx2.bin"}));
}

TEST_F(ImportCommandTest, HostErrorOnTheLastStepSendsNoAbort) {
  Generate({"--count", "1", "--rows", "3"});
  StartHost({"--fail", "22=40"});
  const ProgramResult result = Import({"M0001.rqx2"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, "M0001.rqx2: WARNING! Main application error: .\n");
  EXPECT_EQ(StopHostAndReadLog(), (Commands{5, 26, 2, 27, 22, 4}));
}

TEST_F(ImportCommandTest, HostThatDiesMidRunFailsEachRemainingMeasurementOnce) {
  Generate({"--count", "3", "--rows", "3"});
  StartHost({"--exit-on", "27@1"});
  const ProgramResult result = Import({"M0001.rqx2", "M0002.rqx2", "M0003.rqx2"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, std::string("M0001.rqx2: ") + kNoConnection + "\nM0002.rqx2: " +
                            kNoConnection + "\nM0003.rqx2: " + kNoConnection + "\n");
  EXPECT_EQ(m_host->Process().Wait(), 3);
  m_host.reset();
  EXPECT_EQ(LoggedCommands(), (Commands{5, 26, 2, 27}));
}

TEST_F(ImportCommandTest, ConnectionFailuresEndTheRun) {
  Generate({"--count", "1", "--rows", "3"});
  // A host that serves a program in another directory has no area for this one.
  test::TempDir elsewhere;
  elsewhere.Write("rqx340", "");
  struct Case {
    const char* what;
    std::vector<std::string> host;
    std::string last_line;
    Commands commands;
  };
  const Case cases[] = {
      {"no exchange area", {"--tool", (elsewhere.Path() / "rqx340").string()}, kNoConnection, {}},
      {"no usable slot", {"--client-id", "OTHER"}, kNoConnection, {}},
      {"host dies when the connection opens", {"--exit-on", "5"}, kNoConnection, {5}},
      {"host refuses the connection",
       {"--fail", "5=3"},
       "WARNING! Main application error: Invalid exchange file version.",
       {5, 4}},
      {"two slots and no --slot",
       {"--slots", "2"},
       "rqx340 import: the host offers several slots; choose one with --slot INDEX",
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = {"--inbox", m_inbox.string(), "--log", m_log.string()};
    args.insert(args.end(), c.host.begin(), c.host.end());
    if (c.host.front() != "--tool")
      args.insert(args.begin(), {"--tool", test::ProgramPath("rqx340")});
    m_host.emplace(m_session, args);
    ASSERT_TRUE(m_host->Started());
    const ProgramResult result = Import({"M0001.rqx2"});
    EXPECT_EQ(result.exit_code, 1);
    // Messages about the connection are bare; a reason may come first.
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.substr(result.err.rfind('\n', result.err.size() - 2) + 1),
              c.last_line + "\n")
        << result.err;
    if (c.last_line.rfind("rqx340 import:", 0) == 0) {
      EXPECT_EQ(result.err, c.last_line + "\n");
    }
    m_host->Stop();
    m_host.reset();
    EXPECT_EQ(LoggedCommands(), c.commands);
    EXPECT_EQ(FolderNames(m_inbox), Names{});
  }
}

TEST_F(ImportCommandTest, SlotChosenWithTheSlotOption) {
  Generate({"--count", "1", "--rows", "3"});
  StartHost({"--slots", "2"});
  const ProgramResult result = Import({"--slot", "1", "M0001.rqx2"});
  EXPECT_EQ(result.exit_code, 0) << result.err;
  m_host->Stop();
  m_host.reset();
  const auto log = ReadCommandLog(m_log);
  EXPECT_EQ(CommandsOf(log), (Commands{5, 26, 2, 27, 22, 4}));
  for (const auto& entry : log) EXPECT_EQ(entry.slot, 1);
}

TEST_F(ImportCommandTest, FileThatIsNotAMeasurementIsReportedAndTheRestImported) {
  Generate({"--count", "2", "--rows", "3"});
  WriteFileBytes(m_folder / "notes.rqx2", "{\"Header\": {}}");
  StartHost();
  const ProgramResult result =
      Import({"M0001.rqx2", "missing.rqx2", "notes.rqx2", "M0002.rqx2", "sub/"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err,
            "missing.rqx2: not a measurement file\n"
            "notes.rqx2: not a measurement file\n"
            "sub/: not a measurement file\n");
  EXPECT_EQ(StopHostAndReadLog(), (Commands{5, 26, 2, 27, 22, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox), (Names{"001-M0001.rqx2.bin", "002-M0002.rqx2.bin"}));
}

TEST_F(ImportCommandTest, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"import"},
      {"import", "M0001.rqx2"},
      {"import", "--host", "", "M0001.rqx2"},
      {"import", "--host", "123456789", "M0001.rqx2"},
      {"import", "--host", "0x12", "M0001.rqx2"},
      {"import", "--host", "12G4", "M0001.rqx2"},
      {"import", "--host", "-1", "M0001.rqx2"},
      {"import", "--host", "ABCD"},
      {"import", "--host", "ABCD", "--slot", "x", "M0001.rqx2"},
      {"import", "--host", "ABCD", "--bogus", "M0001.rqx2"},
      {"import", "--host"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(testing::PrintToString(args));
    const ProgramResult result = RunProgram("rqx340", args, kEnv);
    EXPECT_EQ(result.exit_code, 2) << result.err;
  }
}

TEST_F(ImportCommandTest, HandleThatIsNotAWindowSendsNothing) {
  Generate({"--count", "1", "--rows", "3"});
  StartHost();
  const std::uint32_t other = m_host->Window() ^ 0x1u;
  const ProgramResult result = RunProgram(
      "rqx340", {"import", "--host", Hex(other), (m_folder / "M0001.rqx2").string()}, kEnv);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, "rqx340 import: " + Hex(other) + " is not a host window\n");
  EXPECT_EQ(StopHostAndReadLog(), Commands{});
}

}  // namespace
}  // namespace rqx340
