// rqx340 import against zul-refhost: both run as programs of their own, each
// test in its own session directory.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/command_log_reader.h"
#include "support/host_test.h"
#include "support/raw_samples.h"
#include "support/run_program.h"
#include "support/session.h"
#include "support/system.h"

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

// A file whose head the scan reads but which is cut short is said, by name and
// with the byte where it breaks, and never reaches the host (which once stored
// it as an empty measurement, while the command said nothing and exited 0).
TEST_F(ImportCommandTest, FileThatDoesNotParseIsReportedAndNotHandedOver) {
  Generate({"--count", "2", "--rows", "5"});
  const std::string text = ReadFileBytes(m_folder / "M0001.rqx2");
  WriteFileBytes(m_folder / "M0001.rqx2", text.substr(0, text.size() - 40));
  StartHost();
  const ProgramResult result = Import({"M0001.rqx2", "M0002.rqx2"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, "M0001.rqx2: WARNING! The measurement file is not valid JSON at byte " +
                            std::to_string(text.size() - 40) +
                            " (Missing a comma or ']' after an array element). It was not "
                            "imported.\n");
  EXPECT_EQ(StopHostAndReadLog(), (Commands{5, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox), (Names{"001-M0002.rqx2.bin"}));
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
  // A status without a text of its own says its number.
  EXPECT_EQ(result.err, "M0001.rqx2: WARNING! Main application error: . (status 40)\n");
  EXPECT_EQ(StopHostAndReadLog(), (Commands{5, 26, 2, 27, 22, 4}));
}

// A host that dies mid-run ends the run: one line says how many measurements
// arrived (it once printed string 207 for every measurement left).
TEST_F(ImportCommandTest, HostThatDiesMidRunEndsTheRunWithOneMessage) {
  Generate({"--count", "3", "--rows", "3"});
  StartHost({"--exit-on", "27@1"});
  const ProgramResult result = Import({"M0001.rqx2", "M0002.rqx2", "M0003.rqx2"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err,
            "WARNING! The connection with the main application was lost: 0 of 3 measurements "
            "were imported, 3 were not.\n");
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
    std::vector<std::string> client = {};
  };
  const Case cases[] = {
      {"no exchange area", {"--tool", (elsewhere.Path() / "rqx340").string()}, kNoConnection, {}},
      {"no usable slot", {"--client-id", "OTHER"}, kNoConnection, {}},
      {"host dies when the connection opens", {"--exit-on", "5"}, kNoConnection, {5}},
      {"host refuses the connection",
       {"--fail", "5=3"},
       "WARNING! Main application error: Invalid exchange file version.",
       {5, 4}},
      {"host refuses the connection with a status that has no text",
       {"--fail", "5=40"},
       "WARNING! Main application error: . (status 40)",
       {5, 4}},
      {"two slots and no --slot",
       {"--slots", "2"},
       "rqx340 import: the host offers several slots; choose one with --slot INDEX",
       {}},
      {"two slots and a --slot that names neither",
       {"--slots", "2"},
       "rqx340 import: --slot 32 is not one of the 2 slots the host offers (0 to 1)",
       {},
       {"--slot", "32"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = {"--inbox", m_inbox.string(), "--log", m_log.string()};
    args.insert(args.end(), c.host.begin(), c.host.end());
    if (c.host.front() != "--tool")
      args.insert(args.begin(), {"--tool", test::ProgramPath("rqx340")});
    m_host.emplace(m_session, args);
    ASSERT_TRUE(m_host->Started());
    std::vector<std::string> import_args = c.client;
    import_args.push_back("M0001.rqx2");
    const ProgramResult result = Import(import_args);
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

// The raw signal never goes missing without a word: the measurement is still
// stored (command 22 is sent), but it counts as failed and string 204 says why.
// The host names the axes it keeps by their position.
TEST_F(ImportCommandTest, ARawSignalThatDoesNotArriveWholeIsReported) {
  Generate({"--count", "1", "--rows", "3", "--raw", "1", "--raw-samples", "4"});
  struct Case {
    const char* what;
    std::vector<std::string> host;
    bool folder_at_signal_name;
    Names inbox;
  };
  const Case cases[] = {
      {"the host refuses the Y axis",
       {"--fail", "20@2=1"},
       false,
       {"001-M0001.rqx2-X.raw", "001-M0001.rqx2-Z.raw", "001-M0001.rqx2.bin"}},
      {"a folder stands at the raw signal's name", {}, true, {"001-M0001.rqx2.bin"}},
  };
  const fs::path signal = m_session.Path() / "ZURQX340WAV.$$$";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(m_inbox);
    fs::remove(m_log);
    if (c.folder_at_signal_name) fs::create_directory(signal);
    StartHost(c.host);
    const ProgramResult result = Import({"M0001.rqx2"});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_EQ(result.err, "M0001.rqx2: WARNING! Cannot hand over the raw signal of M0001.rqx2.\n");
    EXPECT_EQ(StopHostAndReadLog(), (Commands{5, 26, 2, 27, 20, 20, 20, 22, 4}));
    EXPECT_EQ(FolderNames(m_inbox), c.inbox);
    fs::remove(signal);
  }
}

// Names from the file system and the measurement reach standard error with
// their control characters shown, so they cannot fake a line or retitle the
// terminal.
TEST_F(ImportCommandTest, MessagesShowControlCharacters) {
  RQX340_POSIX_ONLY("control characters in file names");
  Generate({"--count", "1", "--rows", "3"});
  const std::string name = "M\x1b]0;owned\x07\x7f.rqx2";
  fs::rename(m_folder / "M0001.rqx2", m_folder / name);
  StartHost({"--fail", "2=6"});
  const ProgramResult result = Import({name, "gone\x1b[2J.rqx2"});
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err,
            "gone\\x1B[2J.rqx2: not a measurement file\n"
            "M\\x1B]0;owned\\x07\\x7F.rqx2: WARNING! Main application error: Bad channel data.\n");
}

// Two hosts in one session directory: the second offers only slots nobody
// else offers, and `import --host` reaches the host it names and no other.
TEST_F(ImportCommandTest, EachHostKeepsItsSlotsAndImportReachesTheOneNamed) {
  Generate({"--count", "2", "--rows", "3"});
  StartHost();
  const fs::path other_inbox = m_data.Path() / "other-inbox";
  test::RefHost other(m_session,
                      {"--tool", test::ProgramPath("rqx340"), "--inbox", other_inbox.string()});
  ASSERT_TRUE(other.Started()) << other.FirstLine();

  const ProgramResult to_other = RunProgram(
      "rqx340",
      {"import", "--host", Hex(other.Window()), "--folder", m_folder.string(), "M0002.rqx2"}, kEnv);
  EXPECT_EQ(to_other.exit_code, 0) << to_other.err;
  // Windows cannot ask a process to end: it is ended, with 143.
  EXPECT_EQ(other.Stop(), test::kPosix ? 0 : 143);
  // The first host is untouched by the second's end and still takes imports.
  const ProgramResult to_first = Import({"M0001.rqx2"});
  EXPECT_EQ(to_first.exit_code, 0) << to_first.err;
  EXPECT_EQ(StopHostAndReadLog(), (Commands{5, 26, 2, 27, 22, 4}));
  EXPECT_EQ(FolderNames(m_inbox), (Names{"001-M0001.rqx2.bin"}));
  EXPECT_EQ(FolderNames(other_inbox), (Names{"001-M0002.rqx2.bin"}));
}

// One run at a time uses the hand-over names of a session: a second run waits,
// says so once, and goes on when the first ends or dies; Ctrl-C stops the wait.
TEST_F(ImportCommandTest, ASecondRunWaitsForTheTransferLock) {
  Generate({"--count", "1", "--rows", "3"});
  enum class Release { kEnds, kDies, kInterrupt };
  struct Case {
    const char* what;
    Release release;
    int exit_code;
    Commands commands;
  };
  const Case cases[] = {
      {"the holder ends", Release::kEnds, 0, {5, 26, 2, 27, 22, 4}},
      {"the holder dies", Release::kDies, 0, {5, 26, 2, 27, 22, 4}},
      {"Ctrl-C while waiting", Release::kInterrupt, 130, {}},
  };
  const std::string waiting =
      "rqx340 import: another import of this session is running; waiting for it to end";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // A Ctrl-C reaches only a process of this console, and the test's child has
    // none of its own on Windows.
    if (c.release == Release::kInterrupt && !test::kPosix) continue;
    fs::remove_all(m_inbox);
    fs::remove(m_log);
    StartHost();
    auto holder = ChildProcess::Spawn(test::ProgramPath("rqx340-testclient"),
                                      {"hold-lock", "ZURQX340LCK"}, m_session.ChildOptions());
    ASSERT_TRUE(holder) << holder.ErrorText();
    ASSERT_EQ(holder->ReadLine(30000), "locked");

    SpawnOptions options = m_session.ChildOptions();
    options.merge_stderr = true;
    for (const auto& entry : kEnv) {
      options.environment.emplace_back(entry.substr(0, entry.find('=')),
                                       entry.substr(entry.find('=') + 1));
    }
    auto import = ChildProcess::Spawn(
        test::ProgramPath("rqx340"),
        {"import", "--host", Hex(m_host->Window()), "--folder", m_folder.string(), "M0001.rqx2"},
        options);
    ASSERT_TRUE(import) << import.ErrorText();
    EXPECT_EQ(import->ReadLine(30000), waiting);
    // Nothing reaches the host while the other run holds the lock.
    EXPECT_FALSE(import->TryWait());
    switch (c.release) {
      case Release::kEnds:
        holder->CloseStdin();
        break;
      case Release::kDies:
        holder->Kill();
        break;
      case Release::kInterrupt:
        test::Interrupt(import->Id());
        break;
    }
    EXPECT_EQ(import->ReadRest(), "");
    EXPECT_EQ(import->Wait(), c.exit_code);
    holder->CloseStdin();
    holder->Wait();
    EXPECT_EQ(StopHostAndReadLog(), c.commands);
  }
}

// Two runs at once against one host: each measurement arrives whole, and the
// runs follow each other.
TEST_F(ImportCommandTest, TwoRunsAtOnceDoNotMixTheirHandOvers) {
  Generate({"--count", "8", "--rows", "20", "--raw", "8", "--raw-samples", "1000"});
  StartHost();
  const auto run = [&](std::vector<std::string> files) {
    std::vector<std::string> args = {"import", "--host", Hex(m_host->Window()), "--folder",
                                     m_folder.string()};
    args.insert(args.end(), files.begin(), files.end());
    return RunProgram("rqx340", args, kEnv);
  };
  ProgramResult second;
  std::thread other([&] {
    second = run({"M0005.rqx2", "M0006.rqx2", "M0007.rqx2", "M0008.rqx2"});
  });
  const ProgramResult first = run({"M0001.rqx2", "M0002.rqx2", "M0003.rqx2", "M0004.rqx2"});
  other.join();
  EXPECT_EQ(first.exit_code, 0) << first.err;
  EXPECT_EQ(second.exit_code, 0) << second.err;
  Commands one_run = {5};
  for (int i = 0; i < 4; ++i) one_run.insert(one_run.end(), {26, 2, 27, 20, 20, 20, 22});
  one_run.push_back(4);
  Commands both = one_run;
  both.insert(both.end(), one_run.begin(), one_run.end());
  EXPECT_EQ(StopHostAndReadLog(), both);
  const Names inbox = FolderNames(m_inbox);
  EXPECT_EQ(inbox.size(), 32u);
  for (const std::string& name : inbox) {
    if (name.size() < 4 || name.substr(name.size() - 4) != ".bin") continue;
    // "NNN-M000k.rqx2.bin" holds what convert writes for M000k.
    const std::string measurement = name.substr(4, name.size() - 8);
    EXPECT_EQ(ReadFileBytes(m_inbox / name), Converted(measurement)) << name;
  }
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
  // A window that was and is gone: a handle next to a live one may name that
  // same window on Windows, which ignores the low bits of a handle.
  std::uint32_t other = 0;
  {
    auto gone = test::MakeWindow(m_session.Open());
    ASSERT_TRUE(gone);
    other = gone->Handle();
  }
  const ProgramResult result = RunProgram(
      "rqx340", {"import", "--host", Hex(other), (m_folder / "M0001.rqx2").string()}, kEnv);
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.err, "rqx340 import: " + Hex(other) + " is not a host window\n");
  EXPECT_EQ(StopHostAndReadLog(), Commands{});
}

}  // namespace
}  // namespace rqx340
