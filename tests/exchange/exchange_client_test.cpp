#include "exchange/exchange_client.h"

#include <gtest/gtest.h>

#include "base/byte_order.h"
#include "exchange/rqx340_client.h"
#include "exchange/slot_layout.h"
#include "support/code_page_process.h"
#include "support/fake_messenger.h"
#include "support/recording_sink.h"
#include "support/session.h"

namespace rqx340 {
namespace {

using test::FakeMessenger;
using test::RecordingSink;
using test::TestSession;

constexpr WindowHandle kHost = 0x0000C0DE;
constexpr WindowHandle kClientWindow = 0xCAFE0001;
using Commands = std::vector<std::uint32_t>;

// Records what the protocol asks of the concrete client.
class ProbeClient final : public CQWExchangeClient {
 public:
  ProbeClient(WindowMessenger* messenger, int choice)
      : CQWExchangeClient(messenger), m_choice(choice) {}
  void ReportError(int status) override { reported.push_back(status); }
  int ChooseSlot(int count, std::span<const std::string> names) override {
    choose_calls.push_back({count, std::vector<std::string>(names.begin(), names.end())});
    return m_choice;
  }

  struct ChooseCall {
    int count;
    std::vector<std::string> names;
  };
  std::vector<int> reported;
  std::vector<ChooseCall> choose_calls;

 private:
  int m_choice;
};

class ExchangeClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_messenger.live = {kHost, kClientWindow};
    ASSERT_EQ(m_host.Create("host"), 1) << m_host.LastError();
  }

  void Offer(int index, std::string_view name, std::string_view id = "ZURQX340") {
    m_host.WithLockedArea([&](std::span<std::byte> bytes) {
      const auto slot = SlotBytes(bytes, index);
      PutUint32(slot, kInUseOffset, 1);
      PutUint32(slot, kHostWindowOffset, kHost);
      PutText(slot, kClientIdOffset, kClientIdSize, id, kClientIdSize);
      PutText(slot, kSlotNameOffset, kSlotNameSize, name, kSlotNameSize);
    });
  }

  Slot ReadHostSlot(int index) {
    Slot slot;
    m_host.WithLockedArea(
        [&](std::span<std::byte> bytes) { slot = ReadSlot(SlotBytes(bytes, index)); });
    return slot;
  }

  std::vector<std::byte> ClientNameBytes(int index) {
    std::vector<std::byte> field;
    m_host.WithLockedArea([&](std::span<std::byte> bytes) {
      const auto slot = SlotBytes(bytes, index);
      field.assign(slot.begin() + kClientNameOffset,
                   slot.begin() + kClientNameOffset + kClientNameSize);
    });
    return field;
  }

  // A client of this test's area, connected to slot 0.
  void Connect(ProbeClient& client, std::string_view exe = "rqx340") {
    ASSERT_EQ(client.Open("rqx340"), 1) << client.LastError();
    ASSERT_EQ(client.OpenConnection(exe, "ZURQX340", kClientWindow), 0);
  }

  TestSession m_session;
  FakeMessenger m_messenger;
  CQWExchange m_host{&m_messenger};
};

TEST_F(ExchangeClientTest, OpeningClaimsTheSlotAndAnnouncesTheClient) {
  Offer(4, "Slot 5");
  m_messenger.replies[kCmdOpen] = {0x00001200};
  ProbeClient client(&m_messenger, 0);
  ASSERT_EQ(client.Open("rqx340"), 1);
  EXPECT_EQ(client.OpenConnection("rqx340", "ZURQX340", kClientWindow), 0);
  EXPECT_EQ(client.SlotIndex(), 4);
  EXPECT_EQ(client.HostWindow(), kHost);
  EXPECT_EQ(client.OpenReply(), 0x12);
  EXPECT_EQ(client.LastReply(), 0x12);
  const Slot slot = ReadHostSlot(4);
  EXPECT_EQ(slot.clientWindow, kClientWindow);
  EXPECT_EQ(slot.clientName, "rqx340");
  ASSERT_EQ(m_messenger.sent.size(), 1u);
  EXPECT_EQ(m_messenger.sent[0].window, kHost);
  EXPECT_EQ(m_messenger.sent[0].message.message, kWmUser + 1);
  EXPECT_EQ(m_messenger.sent[0].message.wparam, kCmdOpen);
  EXPECT_EQ(m_messenger.sent[0].message.lparam, 4);
  EXPECT_TRUE(client.reported.empty());
  EXPECT_TRUE(client.choose_calls.empty());

  // Closing announces the end and gives the slot back.
  m_messenger.replies[kCmdClose] = {0xFFFFFE00};
  client.CloseConnection();
  EXPECT_EQ(client.LastReply(), -2);
  EXPECT_EQ(client.SlotIndex(), -1);
  EXPECT_EQ(client.HostWindow(), 0u);
  EXPECT_EQ(ReadHostSlot(4).clientWindow, 0u);
  EXPECT_EQ(ReadHostSlot(4).clientName, "rqx340");
  EXPECT_EQ(m_messenger.Commands(), (Commands{kCmdOpen, kCmdClose}));
  EXPECT_EQ(m_messenger.sent[1].message.lparam, 4);
  client.CloseConnection();
  EXPECT_EQ(m_messenger.sent.size(), 2u);
}

TEST_F(ExchangeClientTest, ClientNameIsCutToThirtyBytesAndAlwaysTerminated) {
  struct Case {
    std::string exe;
    std::string stored;
  };
  const Case cases[] = {
      {"rqx340", "rqx340"},
      {"", ""},
      {std::string(30, 'a'), std::string(30, 'a')},
      {std::string(31, 'b'), std::string(30, 'b')},
      {std::string(40, 'c'), std::string(30, 'c')},
      {"Pr\u00FCfer",
       "Pr\xFC"
       "fer"},  // to the ANSI code page
  };
  Offer(0, "Slot 1");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.exe);
    // A longer name from before must not shine through.
    m_host.WithLockedArea([](std::span<std::byte> bytes) {
      PutText(SlotBytes(bytes, 0), kClientNameOffset, kClientNameSize, std::string(32, 'Z'), 32);
    });
    ProbeClient client(&m_messenger, 0);
    Connect(client, c.exe);
    std::vector<std::byte> expected(32, std::byte{0});
    for (std::size_t i = 0; i < c.stored.size(); ++i) expected[i] = std::byte(c.stored[i]);
    EXPECT_EQ(ClientNameBytes(0), expected);
  }
}

// Under a double-byte code page the name is cut where a character ends.
TEST_F(ExchangeClientTest, ClientNameIsCutAtACharacterBoundary) {
  if (!test::UnderAnsiCodePage(932)) return;
  struct Case {
    std::string exe;
    std::string stored;
  };
  // U+30C4 U+30FC U+30EB, "tool": 83 63 81 5B 83 8B.
  const std::string tool = "\xE3\x83\x84\xE3\x83\xBC\xE3\x83\xAB";
  const std::string tool_ansi = "\x83\x63\x81\x5B\x83\x8B";
  const Case cases[] = {
      {tool + tool + tool + tool + tool, tool_ansi + tool_ansi + tool_ansi + tool_ansi + tool_ansi},
      {"x" + tool + tool + tool + tool + tool,
       "x" + tool_ansi + tool_ansi + tool_ansi + tool_ansi + tool_ansi.substr(0, 4)},
      {"\xEF\xBD\xB1" + std::string(28, 'a') + tool, "\xB1" + std::string(28, 'a')},
  };
  Offer(0, "Slot 1");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.size());
    ProbeClient client(&m_messenger, 0);
    Connect(client, c.exe);
    std::vector<std::byte> expected(32, std::byte{0});
    for (std::size_t i = 0; i < c.stored.size(); ++i) expected[i] = std::byte(c.stored[i]);
    EXPECT_EQ(ClientNameBytes(0), expected);
  }
}

TEST_F(ExchangeClientTest, TheChoiceAmongSeveralSlots) {
  struct Case {
    const char* what;
    std::vector<int> offered;
    int choice;
    int status;
    int slot;
    bool asked;
  };
  const Case cases[] = {
      {"one slot is taken without asking", {6}, 5, 0, 6, false},
      {"one slot, no -i", {6}, -1, 0, 6, false},
      {"-i 1 takes the second", {2, 9}, 1, 0, 9, true},
      {"-i 0 takes the first", {2, 9}, 0, 0, 2, true},
      {"no -i gives up", {2, 9}, -1, kStatusChoiceDeclined, -1, true},
      {"-i beyond the candidates gives up", {2, 9}, 2, kStatusChoiceDeclined, -1, true},
      {"no slot at all", {}, 0, kStatusNoSlot, -1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(m_host.Create("host"), 1);
    for (const int index : c.offered) Offer(index, "Slot " + std::to_string(index));
    m_messenger.sent.clear();
    ProbeClient client(&m_messenger, c.choice);
    ASSERT_EQ(client.Open("rqx340"), 1);
    EXPECT_EQ(client.OpenConnection("rqx340", "ZURQX340", kClientWindow), c.status);
    EXPECT_EQ(client.SlotIndex(), c.slot);
    ASSERT_EQ(client.choose_calls.size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(client.choose_calls[0].count, 2);
      EXPECT_EQ(client.choose_calls[0].names, (std::vector<std::string>{"Slot 2", "Slot 9"}));
    }
    if (c.status == 0) {
      EXPECT_EQ(m_messenger.Commands(), Commands{kCmdOpen});
      EXPECT_EQ(ReadHostSlot(c.slot).clientWindow, kClientWindow);
    } else {
      // Nothing is sent, nothing is claimed, the area is closed.
      EXPECT_TRUE(m_messenger.sent.empty());
      EXPECT_FALSE(client.IsOpen());
      for (const int index : c.offered) EXPECT_EQ(ReadHostSlot(index).clientWindow, 0u);
    }
    EXPECT_TRUE(client.reported.empty());
  }
}

TEST_F(ExchangeClientTest, RepliesCarryStatusAndSignedUpperBits) {
  struct Case {
    std::uint32_t reply;
    int status;
    int last_reply;
  };
  const Case cases[] = {
      {0x00000000, 0, 0},         {0x00000A00, 0, 10},        {0xFFFFFF06, 6, -1},
      {0x80000028, 40, -8388608}, {0x7FFFFFFF, 255, 8388607},
  };
  Offer(1, "Slot 2");
  ProbeClient client(&m_messenger, 0);
  Connect(client);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reply);
    m_messenger.replies[77] = {c.reply};
    EXPECT_EQ(client.SendCommand(77), c.status);
    EXPECT_EQ(client.LastReply(), c.last_reply);
    EXPECT_EQ(m_messenger.sent.back().message.lparam, 1);
  }
}

TEST_F(ExchangeClientTest, TransferSequences) {
  struct Case {
    const char* what;
    std::map<std::uint32_t, std::deque<std::uint32_t>> replies;
    bool raw;
    int result;
    Commands commands;
    std::vector<int> reported;
    bool stopped = false;  // the raw hand-over stops after one axis
  };
  const Case cases[] = {
      {"plain", {}, false, 0, {26, 2, 27, 22}, {}},
      {"with raw signal", {}, true, 0, {26, 2, 27, 20, 20, 20, 22}, {}},
      {"upper bits on 26 go on", {{26, {0x00000A00}}}, false, 0, {26, 2, 27, 22}, {}},
      {"26 fails", {{26, {0x00000001}}}, true, 1, {26, 99}, {1}},
      {"2 fails with -1 above", {{2, {0xFFFFFF06}}}, true, 6, {26, 2, 99}, {6}},
      {"27 fails", {{27, {7}}}, false, 7, {26, 2, 27, 99}, {7}},
      {"22 fails, no 99", {{22, {40}}}, true, 40, {26, 2, 27, 20, 20, 20, 22}, {40}},
      {"raw replies do not count", {{20, {3, 3, 3}}}, true, 0, {26, 2, 27, 20, 20, 20, 22}, {}},
      {"stopped in the raw signal: 99, not 22", {}, true, 252, {26, 2, 27, 20, 99}, {}, true},
  };
  Offer(0, "Slot 1");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ProbeClient client(&m_messenger, 0);
    Connect(client);
    m_messenger.sent.clear();
    m_messenger.replies = c.replies;
    const int result = client.TransferMeasurement([&] {
      if (!c.raw) return true;
      for (int axis = 0; axis < (c.stopped ? 1 : 3); ++axis) client.SendRawSignalCommand();
      return !c.stopped;
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(m_messenger.Commands(), c.commands);
    EXPECT_EQ(client.reported, c.reported);
    // The connection stays open for the next measurement.
    EXPECT_EQ(client.SlotIndex(), 0);
  }
}

// A live host that answers 255 itself has not gone: its status is reported
// like any other, and the connection stays. One that goes while it handles a
// command has lost it.
TEST_F(ExchangeClientTest, OnlyAHostWindowThatIsGoneLosesTheConnection) {
  Offer(0, "Slot 1");
  ProbeClient client(&m_messenger, 0);
  Connect(client);
  m_messenger.replies[2] = {0xFF};
  EXPECT_EQ(client.TransferMeasurement({}), kStatusNoWindow);
  EXPECT_FALSE(client.ConnectionLost());
  EXPECT_EQ(client.reported, std::vector<int>{kStatusNoWindow});

  // Gone during command 27: no 99, nothing reported.
  struct DyingMessenger final : WindowMessenger {
    explicit DyingMessenger(FakeMessenger& inner) : m_inner(inner) {}
    bool IsWindow(WindowHandle window) override { return m_inner.IsWindow(window); }
    std::uint32_t Send(WindowHandle window, const WindowMessage& message) override {
      const std::uint32_t reply = m_inner.Send(window, message);
      if (message.wparam != kCmdTransferTime) return reply;
      m_inner.live.erase(window);
      return kSendFailed;
    }
    bool Post(WindowHandle window, const WindowMessage& message) override {
      return m_inner.Post(window, message);
    }
    FakeMessenger& m_inner;
  } dying(m_messenger);
  ProbeClient second(&dying, 0);
  Connect(second);
  m_messenger.sent.clear();
  EXPECT_EQ(second.TransferMeasurement({}), kStatusNoWindow);
  EXPECT_TRUE(second.ConnectionLost());
  EXPECT_TRUE(second.reported.empty());
  EXPECT_EQ(m_messenger.Commands(), (std::vector<std::uint32_t>{26, 2, 27}));
}

TEST_F(ExchangeClientTest, AVanishedHostGives255WithoutSending) {
  Offer(0, "Slot 1");
  {
    ProbeClient client(&m_messenger, 0);
    Connect(client);
    m_messenger.live.erase(kHost);
    m_messenger.sent.clear();
    EXPECT_FALSE(client.ConnectionLost());
    EXPECT_EQ(client.SendCommand(26), kStatusNoWindow);
    EXPECT_EQ(client.LastReply(), 0);
    // The connection is lost: the transfer fails without a report of its own,
    // so a run of many measurements can say so once.
    EXPECT_TRUE(client.ConnectionLost());
    EXPECT_EQ(client.TransferMeasurement({}), kStatusNoWindow);
    EXPECT_TRUE(client.reported.empty());
    EXPECT_TRUE(m_messenger.sent.empty());
  }
  // Destroying the client still gives the slot back, without command 4.
  EXPECT_EQ(ReadHostSlot(0).clientWindow, 0u);
  EXPECT_TRUE(m_messenger.sent.empty());

  // Gone before the connection opens: 255, the slot stays claimed until the end.
  m_messenger.live.insert(kHost);
  // The scan sees the host; it is gone by the time command 5 would go.
  struct VanishingMessenger final : WindowMessenger {
    explicit VanishingMessenger(FakeMessenger& inner) : m_inner(inner) {}
    bool IsWindow(WindowHandle window) override {
      return ++m_calls <= 1 && m_inner.IsWindow(window);
    }
    std::uint32_t Send(WindowHandle window, const WindowMessage& message) override {
      return m_inner.Send(window, message);
    }
    bool Post(WindowHandle window, const WindowMessage& message) override {
      return m_inner.Post(window, message);
    }
    FakeMessenger& m_inner;
    int m_calls = 0;
  } vanishing(m_messenger);
  ProbeClient late(&vanishing, 0);
  ASSERT_EQ(late.Open("rqx340"), 1);
  EXPECT_EQ(late.OpenConnection("rqx340", "ZURQX340", kClientWindow), kStatusNoWindow);
  EXPECT_EQ(late.LastReply(), 0);
  EXPECT_EQ(late.OpenReply(), 0);
  EXPECT_EQ(late.SlotIndex(), 0);
  EXPECT_EQ(ReadHostSlot(0).clientWindow, kClientWindow);
  EXPECT_TRUE(m_messenger.sent.empty());
}

TEST_F(ExchangeClientTest, ARefusedOpeningKeepsTheSlotUntilTheClientGoes) {
  Offer(0, "Slot 1");
  m_messenger.replies[kCmdOpen] = {0x00000503};
  {
    ProbeClient client(&m_messenger, 0);
    ASSERT_EQ(client.Open("rqx340"), 1);
    EXPECT_EQ(client.OpenConnection("rqx340", "ZURQX340", kClientWindow), 3);
    EXPECT_EQ(client.OpenReply(), 5);
    EXPECT_EQ(client.SlotIndex(), 0);
    EXPECT_TRUE(client.IsOpen());
    EXPECT_EQ(ReadHostSlot(0).clientWindow, kClientWindow);
  }
  EXPECT_EQ(m_messenger.Commands(), (Commands{kCmdOpen, kCmdClose}));
  EXPECT_EQ(ReadHostSlot(0).clientWindow, 0u);
}

TEST(ReportErrorTest, StatusesBecomeMessagesOfTheStringTable) {
  struct Case {
    int status;
    int id;
    const char* text;
  };
  const Case cases[] = {
      {1, 550, "WARNING! Main application error: Cannot open exchange file."},
      {2, 550, "WARNING! Main application error: Cannot map exchange file."},
      {3, 550, "WARNING! Main application error: Invalid exchange file version."},
      {4, 550, "WARNING! Main application error: Empty channel string."},
      {5, 550, "WARNING! Main application error: Unknown channel ID."},
      {6, 550, "WARNING! Main application error: Bad channel data."},
      {7, 550, "WARNING! Main application error: No time data."},
      {8, 550, "WARNING! Main application error: Measurement lost."},
      {9, 550, "WARNING! Main application error: WParam error."},
      {10, 550, "WARNING! Main application error: Measurement stream error."},
      {11, 550, "WARNING! Main application error: Measurement storage error."},
      {12, 550, "WARNING! Main application error: Unknown error."},
      {13, 550, "WARNING! Main application error: No spectra error."},
      {14, 550, "WARNING! Main application error: ."},
      {40, 550, "WARNING! Main application error: ."},
      {252, 550, "WARNING! Main application error: ."},
      {253, 550, "WARNING! Main application error: ."},
      {254, 207, "WARNING! Connection with the main application is not possible."},
      {255, 207, "WARNING! Connection with the main application is not possible."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    RecordingSink sink;
    FakeMessenger messenger;
    CRQX340Client client(sink, -1, EnglishStrings(), &messenger);
    client.ReportError(c.status);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].id, c.id);
    EXPECT_EQ(sink.messages[0].text, c.text);
    EXPECT_TRUE(sink.details.empty());
  }
}

TEST(ReportErrorTest, OtherTextsOfTheTable) {
  EXPECT_EQ(EnglishStrings().Load(202),
            "WARNING! Cannot open exchange file with the main application.");
  EXPECT_EQ(EnglishStrings().Load(203),
            "WARNING! Cannot open exchange file with the main application.");
  EXPECT_EQ(FormatString(EnglishStrings().Load(204), "M1.rqx2"),
            "WARNING! Cannot hand over the raw signal of M1.rqx2.");
  EXPECT_EQ(EnglishStrings().Load(549), "");
  EXPECT_EQ(EnglishStrings().Load(564), "");
  EXPECT_EQ(FormatString("%1 and %1, 100%", "x"), "x and x, 100%");
}

TEST(ReportErrorTest, AMissingAreaIsExplainedBeforeTheMessage) {
  TestSession session;
  RecordingSink sink;
  FakeMessenger messenger;
  CRQX340Client client(sink, -1, EnglishStrings(), &messenger);
  EXPECT_EQ(client.Open("rqx340"), 0);
  client.ReportError(kStatusNoSlot);
  ASSERT_EQ(sink.details.size(), 1u);
  EXPECT_NE(sink.details[0].find("no exchange area ZUL"), std::string::npos) << sink.details[0];
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].id, 207);
}

TEST(ReportErrorTest, TheSlotChoiceIsTheCommandLineIndex) {
  RecordingSink sink;
  for (const int index : {-1, 0, 1, 7}) {
    CRQX340Client client(sink, index);
    const std::vector<std::string> names{"a", "b"};
    EXPECT_EQ(client.ChooseSlot(2, names), index);
  }
}

}  // namespace
}  // namespace rqx340
