// zul-refhost and a client as separate processes.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "exchange/area_name.h"
#include "exchange/exchange_area.h"
#include "exchange/slot_layout.h"
#include "format/exchange_layout.h"
#include "format/exchange_writer.h"
#include "gen/measurement_generator.h"
#include "platform/process.h"
#include "support/command_log_reader.h"
#include "support/exchange_bytes.h"
#include "support/memory_sink.h"
#include "support/parsed_measurement.h"
#include "support/session.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::CommandsOf;
using test::ReadCommandLog;
using test::RefHost;
using test::TempDir;
using test::TestSession;
using test::WriteFileBytes;
using Lines = std::vector<std::string>;
using Commands = std::vector<std::uint32_t>;

std::string ClientProgram() { return test::ProgramPath("rqx340-testclient"); }

// zul-refhost serving the area of the test client's directory.
std::vector<std::string> HostArguments(std::vector<std::string> extra = {}) {
  std::vector<std::string> args{"--tool", ClientProgram()};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

struct ClientRun {
  int exit_code = -1;
  Lines lines;
};

ClientRun RunClient(const TestSession& session, std::vector<std::string> args) {
  args.insert(args.begin(), "connect");
  auto child = ChildProcess::Spawn(ClientProgram(), args, session.ChildOptions());
  if (!child) {
    ADD_FAILURE() << child.ErrorText();
    return {};
  }
  child->CloseStdin();
  ClientRun run;
  std::istringstream out(child->ReadRest());
  for (std::string line; std::getline(out, line);) run.lines.push_back(line);
  run.exit_code = child->Wait();
  return run;
}

// The exchange file the tool writes for `json` (empty: the null document).
std::string ExchangeBytes(const std::string& json, std::string_view name,
                          std::int32_t& data_offset) {
  const test::ParsedMeasurement parsed(json);
  test::MemorySink sink;
  NullProgressSink progress;
  NullMessagePump pump;
  const auto result = WriteExchangeFile(sink, parsed.document, parsed.rows, name, progress, pump);
  EXPECT_TRUE(result.Ok());
  data_offset = result.dataOffset;
  return test::AsString(sink.Span());
}

std::string GeneratedMeasurement(std::uint32_t rows) {
  gen::GeneratorOptions options;
  options.rows = rows;
  options.octaves = gen::Octaves::kBoth;
  return gen::MeasurementText(options, 0);
}

// Puts the exchange file, its name file and its mapping in place as the tool does.
void PlaceMeasurement(const TestSession& session, std::string_view bytes,
                      std::int32_t data_offset) {
  const fs::path exchange = session.Path() / "ZURQX340.$$$";
  WriteFileBytes(exchange, bytes);
  std::string name_file(4, '\0');
  for (int i = 0; i < 4; ++i) {
    name_file[i] = static_cast<char>(static_cast<std::uint32_t>(data_offset) >> (8 * i));
  }
  name_file += exchange.string();
  WriteFileBytes(session.Path() / "ZURQX340FNM.$$$", name_file);
  fs::remove(session.Path() / "ZURQX340MAP");
  fs::create_hard_link(exchange, session.Path() / "ZURQX340MAP");
}

bool HasLine(const Lines& lines, std::string_view wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

std::string AreaName() {
  const auto directory = HostExecutableDirectory(ClientProgram());
  return directory ? AreaNameFromDirectory(*directory) : std::string();
}

Slot ReadAreaSlot(const TestSession& session, int index) {
  Slot slot;
  const std::string name = AreaName();
  std::ifstream in(session.Path() / name, std::ios::binary);
  std::string bytes(kAreaSize, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  const auto area = std::as_bytes(std::span<const char>(bytes.data(), bytes.size()));
  return ReadSlot(SlotBytes(area, index));
}

TEST(RefhostTest, OffersSlotsWhileItRunsAndWithdrawsThem) {
  TestSession session;
  RefHost host(session, HostArguments({"--slots", "3"}));
  ASSERT_TRUE(host.Started()) << host.FirstLine();
  char expected[16];
  std::snprintf(expected, sizeof expected, "window %08X", host.Window());
  EXPECT_EQ(host.FirstLine(), expected);
  EXPECT_TRUE(fs::exists(session.Path() / WindowEndpointName(host.Window())));
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const Slot slot = ReadAreaSlot(session, i);
    EXPECT_EQ(slot.inUse, i < 3 ? 1u : 0u);
    EXPECT_EQ(slot.hostWindow, i < 3 ? host.Window() : 0u);
    EXPECT_EQ(slot.clientId, i < 3 ? "ZURQX340" : "");
    EXPECT_EQ(slot.slotName, i < 3 ? "Slot " + std::to_string(i + 1) : "");
    EXPECT_EQ(slot.clientWindow, 0u);
  }
  EXPECT_EQ(host.Stop(), 0);
  // The last host of an area removes it with its socket.
  EXPECT_FALSE(fs::exists(session.Path() / AreaName()));
  EXPECT_FALSE(fs::exists(session.Path() / WindowEndpointName(host.Window())));
}

TEST(RefhostTest, AClientConnectsSendsCommandsAndCloses) {
  TestSession session;
  const auto log = session.Path() / "log.jsonl";
  RefHost host(session, HostArguments({"--log", log.string()}));
  ASSERT_TRUE(host.Started());
  const ClientRun run = RunClient(session, {"99", "30"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.lines, (Lines{"open 0 0 0", "cmd 99 0 0", "cmd 30 9 0", "closed 0"}));
  const auto entries = ReadCommandLog(log);
  EXPECT_EQ(CommandsOf(entries), (Commands{5, 99, 30, 4}));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].slot, 0);
  EXPECT_EQ(entries[0].reply, 0u);
  EXPECT_EQ(entries[0].status, "0");
  EXPECT_TRUE(HasLine(entries[0].checks, "client name rqx340-testclient"));
  EXPECT_EQ(entries[2].status, "9");
  // The slot is free again.
  EXPECT_EQ(ReadAreaSlot(session, 0).clientWindow, 0u);
  EXPECT_EQ(ReadAreaSlot(session, 0).clientName, "rqx340-testclient");
}

TEST(RefhostTest, RepliesCarryStatusAndUpperBits) {
  TestSession session;
  const auto log = session.Path() / "log.jsonl";
  RefHost host(session, HostArguments({"--log", log.string(), "--fail", "5@1=0x00000A00", "--fail",
                                       "5@2=0xFFFFFF06"}));
  ASSERT_TRUE(host.Started());
  EXPECT_EQ(RunClient(session, {}).lines, (Lines{"open 0 10 0", "closed 0"}));
  const ClientRun refused = RunClient(session, {});
  EXPECT_EQ(
      refused.lines,
      (Lines{"open 6 -1 0", "message 550 WARNING! Main application error: Bad channel data."}));
  EXPECT_EQ(refused.exit_code, 1);
  const auto entries = ReadCommandLog(log);
  // The refused client still gives the slot back with command 4.
  EXPECT_EQ(CommandsOf(entries), (Commands{5, 4, 5, 4}));
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].reply, 0x00000A00u);
  EXPECT_EQ(entries[0].status, "0");
  EXPECT_EQ(entries[2].reply, 0xFFFFFF06u);
  EXPECT_EQ(entries[2].status, "6");
  EXPECT_EQ(ReadAreaSlot(session, 0).clientWindow, 0u);
}

TEST(RefhostTest, ATransferLandsInTheInbox) {
  TestSession session;
  const auto log = session.Path() / "log.jsonl";
  const auto inbox = session.Path() / "inbox";
  fs::create_directories(inbox);
  WriteFileBytes(inbox / "041-earlier.bin", "x");
  WriteFileBytes(inbox / "notes.txt", "x");
  RefHost host(session, HostArguments({"--log", log.string(), "--inbox", inbox.string()}));
  ASSERT_TRUE(host.Started());

  struct Case {
    const char* what;
    std::string json;
    std::string name;
    bool raw;
    std::string stored;
  };
  const Case cases[] = {
      {"measurement with octaves", GeneratedMeasurement(30), "M0001.rqx2", false, "042-M0001.rqx2"},
      {"null document, no rows", "", "broken.rqx2", false, "043-broken.rqx2"},
      {"name with a slash, raw signal", GeneratedMeasurement(2), "a/b \u00E9.rqx2", true,
       "044-a_b \u00E9.rqx2"},
      // What Windows refuses in a name, so that both builds fill an inbox alike.
      {"name with a backslash and the like", "", "c\\d:e*f?g\"h<i>j|k\tl.rqx2", false,
       "045-c_d_e_f_g_h_i_j_k_l.rqx2"},
  };
  const std::string raw_signal(54 + 4 * 10, '\x11');
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::int32_t data_offset = 0;
    const std::string bytes = ExchangeBytes(c.json, c.name, data_offset);
    PlaceMeasurement(session, bytes, data_offset);
    if (c.raw) WriteFileBytes(session.Path() / "ZURQX340WAV.$$$", raw_signal);
    const ClientRun run = RunClient(session, {c.raw ? "transfer-raw" : "transfer"});
    EXPECT_TRUE(HasLine(run.lines, "transfer 0 0")) << ::testing::PrintToString(run.lines);
    EXPECT_EQ(test::ReadFileBytes(inbox / (c.stored + ".bin")), bytes);
    for (const char* axis : {"-X.raw", "-Y.raw", "-Z.raw"}) {
      EXPECT_EQ(fs::exists(inbox / (c.stored + axis)), c.raw) << axis;
      if (c.raw) {
        EXPECT_EQ(test::ReadFileBytes(inbox / (c.stored + axis)), raw_signal);
      }
    }
  }
  const auto entries = ReadCommandLog(log);
  EXPECT_EQ(CommandsOf(entries), (Commands{5, 26, 2,  27, 22, 4,  5, 26, 2,  27, 22, 4,  5, 26,
                                           2, 27, 20, 20, 20, 22, 4, 5,  26, 2,  27, 22, 4}));
  for (const auto& entry : entries) EXPECT_EQ(entry.status, "0") << entry.cmd;
}

TEST(RefhostTest, ABadExchangeFileGetsTheStatusOfItsFault) {
  TestSession session;
  const auto log = session.Path() / "log.jsonl";
  RefHost host(session, HostArguments({"--log", log.string(), "--inbox",
                                       (session.Path() / "inbox").string()}));
  ASSERT_TRUE(host.Started());
  std::int32_t data_offset = 0;
  const std::string good = ExchangeBytes(GeneratedMeasurement(5), "M.rqx2", data_offset);
  const auto put_int = [](std::string bytes, std::size_t offset, std::int32_t value) {
    for (int i = 0; i < 4; ++i) {
      bytes[offset + i] = static_cast<char>(static_cast<std::uint32_t>(value) >> (8 * i));
    }
    return bytes;
  };
  namespace hdr = layout::header;
  const std::int32_t chan_offset = [&] {
    std::int32_t value = 0;
    for (int i = 3; i >= 0; --i) {
      value = (value << 8) | static_cast<unsigned char>(good[hdr::kChanBlockOffset + i]);
    }
    return value;
  }();
  struct Case {
    const char* what;
    std::string bytes;
    std::int32_t offset;
    const char* remove;
    std::uint32_t failing;
    int status;
  };
  const Case cases[] = {
      {"no name file", good, data_offset, "ZURQX340FNM.$$$", 26, 1},
      {"no mapping", good, data_offset, "ZURQX340MAP", 2, 2},
      {"version 4", put_int(good, hdr::kVersion, 4), data_offset, nullptr, 2, 3},
      {"not complete", put_int(good, hdr::kComplete, 0), data_offset, nullptr, 2, 3},
      {"wrong data offset in the name file", good, data_offset + 4, nullptr, 2, 3},
      {"7 channels", put_int(good, static_cast<std::size_t>(chan_offset) + 4 + 32, 7), data_offset,
       nullptr, 2, 5},
      {"data area one value short", good.substr(0, good.size() - 4), data_offset, nullptr, 27, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PlaceMeasurement(session, c.bytes, c.offset);
    if (c.remove) fs::remove(session.Path() / c.remove);
    const ClientRun run = RunClient(session, {"transfer"});
    EXPECT_TRUE(HasLine(run.lines, "transfer " + std::to_string(c.status) + " 0"))
        << ::testing::PrintToString(run.lines);
  }
  EXPECT_FALSE(fs::exists(session.Path() / "inbox"));
}

TEST(RefhostTest, FailedStepsAndTheirMessages) {
  struct Case {
    const char* what;
    std::vector<std::string> fail;
    Commands commands;
    std::string transfer;
    std::string message;
  };
  const Case cases[] = {
      {"status 6 on the first 2",
       {"--fail", "2@1=0xFFFFFF06"},
       {5, 26, 2, 99, 4},
       "transfer 6 0",
       "message 550 WARNING! Main application error: Bad channel data."},
      {"status 40 on 22",
       {"--fail", "22=40"},
       {5, 26, 2, 27, 22, 4},
       "transfer 40 0",
       "message 550 WARNING! Main application error: ."},
      {"upper bits on 26 only",
       {"--fail", "26=0x00000A00"},
       {5, 26, 2, 27, 22, 4},
       "transfer 0 0",
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestSession session;
    const auto log = session.Path() / "log.jsonl";
    auto args = HostArguments({"--log", log.string(), "--inbox", (session.Path() / "in").string()});
    args.insert(args.end(), c.fail.begin(), c.fail.end());
    RefHost host(session, args);
    ASSERT_TRUE(host.Started());
    std::int32_t data_offset = 0;
    const std::string bytes = ExchangeBytes(GeneratedMeasurement(3), "M.rqx2", data_offset);
    PlaceMeasurement(session, bytes, data_offset);
    const ClientRun run = RunClient(session, {"transfer"});
    EXPECT_TRUE(HasLine(run.lines, c.transfer)) << ::testing::PrintToString(run.lines);
    if (!c.message.empty()) {
      EXPECT_TRUE(HasLine(run.lines, c.message));
    }
    EXPECT_EQ(CommandsOf(ReadCommandLog(log)), c.commands) << test::ReadFileBytes(log);
    // A failed step stores nothing.
    EXPECT_EQ(fs::exists(session.Path() / "in" / "001-M.rqx2.bin"), c.message.empty());
  }
}

TEST(RefhostTest, AHostThatVanishesGives255) {
  struct Case {
    const char* exit_on;
    Lines client;
    Commands commands;
  };
  const Case cases[] = {
      // A transfer that loses the connection reports nothing itself: the run
      // that drives it says so once.
      {"26", {"open 0 0 0", "transfer 255 0", "closed 0"}, {5, 26}},
      {"5@1",
       {"open 255 0 0",
        "message 207 WARNING! Connection with the main application is not possible."},
       {5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exit_on);
    TestSession session;
    const auto log = session.Path() / "log.jsonl";
    RefHost host(session, HostArguments({"--log", log.string(), "--exit-on", c.exit_on}));
    ASSERT_TRUE(host.Started());
    const ClientRun run = RunClient(session, {"transfer"});
    EXPECT_EQ(run.lines, c.client);
    EXPECT_EQ(host.Process().Wait(), 3);
    const auto entries = ReadCommandLog(log);
    EXPECT_EQ(CommandsOf(entries), c.commands);
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().status, "exit");
    EXPECT_FALSE(entries.back().reply);
    // Even a host that ends inside a command leaves neither its socket nor the area.
    EXPECT_FALSE(fs::exists(session.Path() / WindowEndpointName(host.Window())));
    EXPECT_FALSE(fs::exists(session.Path() / AreaName()));
    const ClientRun late = RunClient(session, {});
    EXPECT_TRUE(HasLine(late.lines, "open 254 0 -1")) << ::testing::PrintToString(late.lines);
  }
}

TEST(RefhostTest, NoAreaOrNoUsableSlotGives254) {
  const std::string message =
      "message 207 WARNING! Connection with the main application is not possible.";
  {
    TestSession session;
    const ClientRun run = RunClient(session, {});
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_EQ(run.lines[0].rfind("detail no exchange area " + AreaName(), 0), 0u) << run.lines[0];
    EXPECT_EQ(run.lines[1], message);
    EXPECT_EQ(run.lines[2], "open 254 0 -1");
  }
  for (const auto& host_args : {std::vector<std::string>{"--slots", "0"},
                                std::vector<std::string>{"--client-id", "ZURQX341"},
                                std::vector<std::string>{"--client-id", "ZURQX340X"}}) {
    SCOPED_TRACE(host_args[1]);
    TestSession session;
    const auto log = session.Path() / "log.jsonl";
    auto args = HostArguments(host_args);
    args.insert(args.end(), {"--log", log.string()});
    RefHost host(session, args);
    ASSERT_TRUE(host.Started());
    const ClientRun run = RunClient(session, {});
    ASSERT_EQ(run.lines.size(), 3u);
    EXPECT_EQ(run.lines[0], "open 254 0 -1");
    EXPECT_EQ(run.lines[1].rfind(
                  "detail no usable slot for client ZURQX340 in exchange area " + AreaName(), 0),
              0u)
        << run.lines[1];
    EXPECT_EQ(run.lines[2], message);
    EXPECT_TRUE(ReadCommandLog(log).empty());
  }
}

TEST(RefhostTest, TheSlotChoiceWithSeveralSlots) {
  struct Case {
    std::vector<std::string> client;
    Lines lines;
    Commands commands;
    int slot;
  };
  const Case cases[] = {
      {{"--slot", "1"}, {"open 0 0 1", "closed 0"}, {5, 4}, 1},
      {{"--slot", "0"}, {"open 0 0 0", "closed 0"}, {5, 4}, 0},
      {{}, {"open 253 0 -1"}, {}, -1},
      {{"--slot", "2"}, {"open 253 0 -1"}, {}, -1},
  };
  TestSession session;
  const auto log = session.Path() / "log.jsonl";
  RefHost host(session, HostArguments({"--slots", "2", "--log", log.string()}));
  ASSERT_TRUE(host.Started());
  std::size_t seen = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.client));
    const ClientRun run = RunClient(session, c.client);
    EXPECT_EQ(run.lines, c.lines);
    const auto entries = ReadCommandLog(log);
    const std::vector<test::LoggedCommand> added(
        entries.begin() + static_cast<std::ptrdiff_t>(seen), entries.end());
    seen = entries.size();
    EXPECT_EQ(CommandsOf(added), c.commands);
    for (const auto& entry : added) EXPECT_EQ(entry.slot, c.slot);
  }
}

TEST(RefhostTest, TwoClientsClaimTheirSlotsAtOnce) {
  TestSession session;
  const auto log = session.Path() / "log.jsonl";
  RefHost host(session, HostArguments({"--slots", "2", "--log", log.string()}));
  ASSERT_TRUE(host.Started());
  std::vector<ChildProcess> clients;
  for (const char* slot : {"0", "1"}) {
    auto child = ChildProcess::Spawn(ClientProgram(), {"connect", "--slot", slot, "--hold", "99"},
                                     session.ChildOptions());
    ASSERT_TRUE(child) << child.ErrorText();
    clients.push_back(std::move(*child));
  }
  EXPECT_EQ(clients[0].ReadLine(60000), "open 0 0 0");
  EXPECT_EQ(clients[1].ReadLine(60000), "open 0 0 1");
  const Slot first = ReadAreaSlot(session, 0);
  const Slot second = ReadAreaSlot(session, 1);
  EXPECT_NE(first.clientWindow, 0u);
  EXPECT_NE(second.clientWindow, 0u);
  EXPECT_NE(first.clientWindow, second.clientWindow);
  for (auto& client : clients) {
    client.CloseStdin();
    EXPECT_EQ(client.ReadLine(60000), "cmd 99 0 0");
    EXPECT_EQ(client.Wait(), 0);
  }
  EXPECT_EQ(ReadAreaSlot(session, 0).clientWindow, 0u);
  EXPECT_EQ(ReadAreaSlot(session, 1).clientWindow, 0u);
  const auto entries = ReadCommandLog(log);
  ASSERT_EQ(entries.size(), 6u);
  for (int slot : {0, 1}) {
    Commands per_slot;
    for (const auto& entry : entries) {
      if (entry.slot == slot) per_slot.push_back(entry.cmd);
    }
    EXPECT_EQ(per_slot, (Commands{5, 99, 4})) << slot;
  }
}

// A second host in the same session directory offers slots nobody else
// offers, takes over the slots of a host that died, and refuses to start when
// too few are left; a live host's slots are never touched.
TEST(RefhostTest, AHostOffersOnlyFreeSlotsOrThoseOfADeadHost) {
  TestSession session;
  RefHost first(session, HostArguments({"--slots", "2"}));
  ASSERT_TRUE(first.Started()) << first.FirstLine();
  RefHost second(session, HostArguments({"--slots", "29"}));
  ASSERT_TRUE(second.Started()) << second.FirstLine();
  for (int i = 0; i < kSlotCount; ++i) {
    SCOPED_TRACE(i);
    const Slot slot = ReadAreaSlot(session, i);
    EXPECT_EQ(slot.hostWindow, i < 2 ? first.Window() : i < 31 ? second.Window() : 0u);
    EXPECT_EQ(slot.slotName, i < 31 ? "Slot " + std::to_string(i + 1) : "");
  }

  // Two slots wanted, one free: refused, and nothing of it is left.
  SpawnOptions options = session.ChildOptions();
  options.merge_stderr = true;
  auto refused = ChildProcess::Spawn(test::ProgramPath("zul-refhost"),
                                     HostArguments({"--slots", "2"}), options);
  ASSERT_TRUE(refused) << refused.ErrorText();
  const std::string out = refused->ReadRest();
  EXPECT_EQ(refused->Wait(), 1);
  EXPECT_NE(out.find("has 1 free slots, 2 wanted"), std::string::npos) << out;
  EXPECT_EQ(ReadAreaSlot(session, 31).inUse, 0u);

  // The first host dies without withdrawing its slots: they can be had again.
  first.Process().Kill();
  first.Process().Wait();
  RefHost third(session, HostArguments({"--slots", "3"}));
  ASSERT_TRUE(third.Started()) << third.FirstLine();
  EXPECT_EQ(ReadAreaSlot(session, 0).hostWindow, third.Window());
  EXPECT_EQ(ReadAreaSlot(session, 1).hostWindow, third.Window());
  EXPECT_EQ(ReadAreaSlot(session, 2).hostWindow, second.Window());
  EXPECT_EQ(ReadAreaSlot(session, 31).hostWindow, third.Window());

  // A client finds the live hosts' slots only; the area stays while one lives.
  EXPECT_EQ(second.Stop(), 0);
  EXPECT_EQ(ReadAreaSlot(session, 2).inUse, 0u);
  EXPECT_TRUE(fs::exists(session.Path() / AreaName()));
  EXPECT_EQ(third.Stop(), 0);
  EXPECT_FALSE(fs::exists(session.Path() / AreaName()));
}

// However the host ends, it leaves neither its window's socket nor an area
// that no live host offers slots in.
TEST(RefhostTest, EveryWayOutRemovesTheSocketAndTheArea) {
  enum class End { kTerminate, kHangUp, kToolEnds, kExitOn, kBadLog };
  struct Case {
    const char* what;
    std::vector<std::string> args;
    End end;
    int exit_code;
  };
  const Case cases[] = {
      {"SIGTERM", {}, End::kTerminate, 0},
      {"SIGHUP", {}, End::kHangUp, 0},
      {"the launched tool ends", {"--launch", "connect"}, End::kToolEnds, 0},
      {"--exit-on", {"--exit-on", "5"}, End::kExitOn, 3},
      {"the log cannot be opened", {"--log", "/nonexistent/log"}, End::kBadLog, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TestSession session;
    SpawnOptions options = session.ChildOptions();
    options.merge_stderr = true;
    auto host =
        ChildProcess::Spawn(test::ProgramPath("zul-refhost"), HostArguments(c.args), options);
    ASSERT_TRUE(host) << host.ErrorText();
    if (c.end != End::kBadLog) {
      const auto line = host->ReadLine(30000);
      ASSERT_TRUE(line && line->rfind("window ", 0) == 0) << line.value_or("");
    }
    switch (c.end) {
      case End::kTerminate:
        host->Terminate();
        break;
      case End::kHangUp:
        kill(host->Id(), SIGHUP);
        break;
      case End::kExitOn:
        RunClient(session, {});
        break;
      case End::kToolEnds:
      case End::kBadLog:
        break;
    }
    host->ReadRest();
    EXPECT_EQ(host->Wait(), c.exit_code);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(session.Path())) {
      const std::string name = entry.path().filename().string();
      // The mutex's lock file stays: removing a lock file races with its users.
      if (name != AreaName() + "MUX") left.push_back(name);
    }
    EXPECT_EQ(left, std::vector<std::string>{});
  }
}

// A full file system is reported when the host makes the area, not found out
// by a SIGBUS when it first touches it.
TEST(RefhostTest, AFullFileSystemIsReportedNotFaultedOn) {
  TestSession session;
  const fs::path mount = session.Path() / "full";
  fs::create_directory(mount);
  // A small file system of its own, filled up, in a mount namespace of its own.
  const std::string script =
      "mount -t tmpfs -o size=64k,mode=0700 tmpfs \"$1\" 2>/dev/null || exit 77\n"
      "cat /dev/zero > \"$1/fill\" 2>/dev/null\n"
      "RQX340_RUNTIME_DIR=\"$1\" \"$2\" --tool \"$3\" 2>&1\n"
      "echo \"exit $?\"\n"
      "rm \"$1/fill\"\n"
      "ls -A \"$1\"\n";
  SpawnOptions options;
  options.capture_stdout = true;
  options.merge_stderr = true;
  auto shell =
      ChildProcess::Spawn("/usr/bin/unshare",
                          {"--mount", "--propagation", "private", "/bin/sh", "-c", script, "sh",
                           mount.string(), test::ProgramPath("zul-refhost"), ClientProgram()},
                          options);
  ASSERT_TRUE(shell) << shell.ErrorText();
  const std::string out = shell->ReadRest();
  const int code = shell->Wait();
  if (code == 77 || (code != 0 && out.find("exit ") == std::string::npos)) {
    GTEST_SKIP() << "cannot mount a file system here: " << out;
  }
  EXPECT_NE(out.find("No space left on device"), std::string::npos) << out;
  // Not 135 (SIGBUS), and nothing is left in the full directory.
  EXPECT_EQ(out.substr(out.find("exit ")), "exit 1\n") << out;
}

// An area file that shrinks under a mapping would fault on the next touch:
// the host stops with a message and cleans up, a client that already holds a
// slot closes without touching it.
TEST(RefhostTest, AnAreaThatShrinksIsNeverTouched) {
  TestSession session;
  SpawnOptions options = session.ChildOptions();
  options.merge_stderr = true;
  auto host = ChildProcess::Spawn(test::ProgramPath("zul-refhost"), HostArguments(), options);
  ASSERT_TRUE(host) << host.ErrorText();
  const auto line = host->ReadLine(30000);
  ASSERT_TRUE(line && line->rfind("window ", 0) == 0) << line.value_or("");
  auto client =
      ChildProcess::Spawn(ClientProgram(), {"connect", "--hold", "99"}, session.ChildOptions());
  ASSERT_TRUE(client) << client.ErrorText();
  ASSERT_EQ(client->ReadLine(30000), "open 0 0 0");

  fs::resize_file(session.Path() / AreaName(), 100);
  const std::string out = host->ReadRest();
  EXPECT_EQ(host->Wait(), 1);
  EXPECT_NE(out.find("exchange area " + AreaName() + " has shrunk to 100 bytes; stopping"),
            std::string::npos)
      << out;
  EXPECT_FALSE(fs::exists(session.Path() / AreaName()));

  // The client's area is the shrunk file it still has open.
  client->CloseStdin();
  EXPECT_EQ(client->ReadLine(30000), "cmd 99 255 0");
  EXPECT_EQ(client->ReadLine(30000), "closed 0");
  EXPECT_EQ(client->Wait(), 0);
}

TEST(RefhostTest, AnUnsafeSessionDirectoryIsRefused) {
  struct Case {
    const char* what;
    const char* reason;
    bool (*make)(const fs::path& path, const fs::path& elsewhere);
  };
  const Case cases[] = {
      {"a symbolic link", "symbolic link",
       [](const fs::path& path, const fs::path& elsewhere) {
         fs::create_directory(elsewhere);
         fs::permissions(elsewhere, fs::perms::owner_all, fs::perm_options::replace);
         fs::create_directory_symlink(elsewhere, path);
         return true;
       }},
      {"owned by another user", "owned by uid 65534",
       [](const fs::path& path, const fs::path&) {
         fs::create_directory(path);
         fs::permissions(path, fs::perms::owner_all, fs::perm_options::replace);
         return chown(path.c_str(), 65534, 65534) == 0;
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir temp;
    const auto path = temp.Path() / "zul";
    const auto elsewhere = temp.Path() / "elsewhere";
    if (!c.make(path, elsewhere)) GTEST_SKIP() << "cannot give a directory away";
    SpawnOptions options;
    options.environment.emplace_back("RQX340_RUNTIME_DIR", path.string());
    options.capture_stdout = true;
    options.merge_stderr = true;
    auto host = ChildProcess::Spawn(test::ProgramPath("zul-refhost"), HostArguments(), options);
    ASSERT_TRUE(host) << host.ErrorText();
    const std::string out = host->ReadRest();
    EXPECT_EQ(host->Wait(), 1);
    EXPECT_NE(out.find(c.reason), std::string::npos) << out;

    options.pipe_stdin = true;
    auto client = ChildProcess::Spawn(ClientProgram(), {"connect"}, options);
    ASSERT_TRUE(client) << client.ErrorText();
    client->CloseStdin();
    const std::string client_out = client->ReadRest();
    EXPECT_EQ(client->Wait(), 1);
    EXPECT_NE(client_out.find("detail session directory " + path.string()), std::string::npos)
        << client_out;
    EXPECT_NE(client_out.find("message 207 "), std::string::npos) << client_out;
    EXPECT_NE(client_out.find("open 254 0 -1"), std::string::npos) << client_out;
    // Nothing was made inside.
    EXPECT_TRUE(fs::is_empty(fs::is_symlink(path) ? elsewhere : path));
  }
}

TEST(RefhostTest, LaunchStartsTheToolAndEndsWithIt) {
  TestSession session;
  {
    RefHost host(session, HostArguments({"--launch"}));
    ASSERT_TRUE(host.Started());
    char expected[64];
    std::snprintf(expected, sizeof expected, "launched -h%08X -l0 -k0 -i0", host.Window());
    EXPECT_EQ(host.Process().ReadLine(60000), expected);
    EXPECT_EQ(host.Process().Wait(), 0);
  }
  {
    // A second host's tool gets the position of that host's slot among the
    // area's usable ones, so even a tool that counts over the whole area
    // reaches its own host.
    RefHost first(session, HostArguments({"--slots", "2"}));
    ASSERT_TRUE(first.Started());
    RefHost second(session, HostArguments({"--launch"}));
    ASSERT_TRUE(second.Started());
    char expected[64];
    std::snprintf(expected, sizeof expected, "launched -h%08X -l0 -k0 -i2", second.Window());
    EXPECT_EQ(second.Process().ReadLine(60000), expected);
    EXPECT_EQ(second.Process().Wait(), 0);
  }
  const auto log = session.Path() / "log.jsonl";
  RefHost host(session, HostArguments({"--log", log.string(), "--launch", "connect", "99"}));
  ASSERT_TRUE(host.Started());
  EXPECT_EQ(host.Process().ReadLine(60000), "open 0 0 0");
  EXPECT_EQ(host.Process().Wait(), 0);
  EXPECT_EQ(CommandsOf(ReadCommandLog(log)), (Commands{5, 99, 4}));
}

// Without --tool, --launch starts the dialog program of the host's own
// installation: beside it (a build folder, Windows) or in ../lib/rqx340-import/
// (the Debian package). The test client stands in for the dialog; started with
// "connect" it opens the area of its own folder, which the host must have made.
TEST(RefhostTest, LaunchWithoutToolStartsTheDialogProgramOfItsInstallation) {
  struct Layout {
    const char* what;
    const char* host;
    const char* dialog;
  };
  const Layout layouts[] = {
      {"build folder", "bin/zul-refhost", "bin/rqx340-import"},
      {"Debian package", "usr/bin/zul-refhost", "usr/lib/rqx340-import/rqx340-import"},
  };
  for (const Layout& layout : layouts) {
    SCOPED_TRACE(layout.what);
    TempDir tree;
    const fs::path host_path = tree.Path() / layout.host;
    const fs::path dialog_path = tree.Path() / layout.dialog;
    fs::create_directories(host_path.parent_path());
    fs::create_directories(dialog_path.parent_path());
    fs::copy_file(test::ProgramPath("zul-refhost"), host_path);
    fs::copy_file(ClientProgram(), dialog_path);
    TestSession session;
    {
      RefHost host(session, {"--language", "3", "--launch"}, host_path.string());
      ASSERT_TRUE(host.Started()) << host.FirstLine();
      char expected[64];
      std::snprintf(expected, sizeof expected, "launched -h%08X -l3 -k0 -i0", host.Window());
      EXPECT_EQ(host.Process().ReadLine(60000), expected);
      EXPECT_EQ(host.Process().Wait(), 0);
    }
    RefHost host(session, {"--launch", "connect", "99"}, host_path.string());
    ASSERT_TRUE(host.Started()) << host.FirstLine();
    EXPECT_EQ(host.Process().ReadLine(60000), "open 0 0 0");
    EXPECT_EQ(host.Process().Wait(), 0);
  }

  // No dialog program: one line names where it was looked for.
  TempDir tree;
  fs::copy_file(test::ProgramPath("zul-refhost"), tree.Path() / "zul-refhost");
  TestSession session;
  SpawnOptions options = session.ChildOptions();
  options.merge_stderr = true;
  auto host = ChildProcess::Spawn((tree.Path() / "zul-refhost").string(), {"--launch"}, options);
  ASSERT_TRUE(host) << host.ErrorText();
  const std::string out = host->ReadRest();
  EXPECT_EQ(host->Wait(), 1);
  EXPECT_NE(out.find("no dialog program at " + (tree.Path() / "rqx340-import").string()),
            std::string::npos)
      << out;
}

TEST(RefhostTest, BadCommandLinesAreUsageErrors) {
  TestSession session;
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--slots", "1"},
      HostArguments({"--slots", "33"}),
      HostArguments({"--slots", "-1"}),
      HostArguments({"--fail", "2"}),
      HostArguments({"--fail", "x=1"}),
      HostArguments({"--fail", "2=0x100000000"}),
      HostArguments({"--exit-on", "2@0"}),
      HostArguments({"--client-id", "ZURQX340ZURQX340Z"}),
      HostArguments({"--bogus"}),
      HostArguments({"--language", "x"}),
      HostArguments({"--language", "100"}),
      {"--tool", "", "--launch"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    SpawnOptions options = session.ChildOptions();
    options.merge_stderr = true;
    auto host = ChildProcess::Spawn(test::ProgramPath("zul-refhost"), args, options);
    ASSERT_TRUE(host) << host.ErrorText();
    const std::string out = host->ReadRest();
    EXPECT_EQ(host->Wait(), 2);
    EXPECT_NE(out.find("usage: zul-refhost"), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace rqx340
