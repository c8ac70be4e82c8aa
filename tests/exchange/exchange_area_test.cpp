#include "exchange/exchange_area.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "base/byte_order.h"
#include "exchange/area_name.h"
#include "exchange/slot_layout.h"
#include "support/fake_messenger.h"
#include "support/session.h"
#include "support/system.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::FakeMessenger;
using test::TestSession;

constexpr WindowHandle kHost = 0x1000;
constexpr WindowHandle kDeadHost = 0x2000;
constexpr WindowHandle kOtherHost = 0x3000;

void WriteSlot(CQWExchange& area, int index, std::uint32_t in_use, WindowHandle host,
               std::string_view client_id, std::string_view name, std::uint32_t client_window = 0) {
  ASSERT_TRUE(area.WithLockedArea([&](std::span<std::byte> bytes) {
    const auto slot = SlotBytes(bytes, index);
    PutUint32(slot, kInUseOffset, in_use);
    PutUint32(slot, kHostWindowOffset, host);
    PutUint32(slot, kClientWindowOffset, client_window);
    PutText(slot, kClientIdOffset, kClientIdSize, client_id, kClientIdSize);
    PutText(slot, kSlotNameOffset, kSlotNameSize, name, kSlotNameSize);
  }));
}

class ExchangeAreaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_messenger.live = {kHost, kOtherHost};
    ASSERT_EQ(m_host.Create("host"), 1) << m_host.LastError();
    ASSERT_EQ(m_client.Open("rqx340"), 1) << m_client.LastError();
    m_client.SetClientId("ZURQX340");
  }

  std::vector<int> Scan() {
    m_client.SetCursor(0);
    std::vector<int> found;
    for (int index; (index = m_client.FindNextSlot()) >= 0;) found.push_back(index);
    return found;
  }

  TestSession m_session;
  FakeMessenger m_messenger;
  CQWExchange m_host{&m_messenger};
  CQWExchange m_client{&m_messenger};
};

TEST_F(ExchangeAreaTest, ScanReturnsUsableSlotsInOrderThenMinusOne) {
  WriteSlot(m_host, 3, 1, kHost, "ZURQX340", "Slot A");
  WriteSlot(m_host, 7, 1, kHost, "ZURQX340", "Slot B");
  m_client.SetCursor(0);
  EXPECT_EQ(m_client.FindNextSlot(), 3);
  EXPECT_EQ(m_client.Cursor(), 4);
  EXPECT_EQ(m_client.FindNextSlot(), 7);
  EXPECT_EQ(m_client.FindNextSlot(), -1);
  EXPECT_EQ(m_client.Cursor(), -1);
  // With no scan running there is nothing to find (and no slot -1 to read).
  EXPECT_EQ(m_client.FindNextSlot(), -1);
}

TEST_F(ExchangeAreaTest, WhatMakesASlotUsable) {
  struct Case {
    const char* what;
    std::uint32_t in_use;
    WindowHandle host;
    std::string_view client_id;
    WindowHandle filter;
    std::uint32_t client_window;
    bool usable;
  };
  const Case cases[] = {
      {"offered", 1, kHost, "ZURQX340", 0, 0, true},
      {"any non-zero offer", 0x80000000, kHost, "ZURQX340", 0, 0, true},
      {"held by another client", 1, kHost, "ZURQX340", 0, 0x4242, true},
      {"not offered", 0, kHost, "ZURQX340", 0, 0, false},
      {"host window gone", 1, kDeadHost, "ZURQX340", 0, 0, false},
      {"host window 0", 1, 0, "ZURQX340", 0, 0, false},
      {"longer id with our prefix", 1, kHost, "ZURQX340X", 0, 0, false},
      {"shorter id", 1, kHost, "ZURQX34", 0, 0, false},
      {"id of another case", 1, kHost, "zurqx340", 0, 0, false},
      {"id filling the field without NUL", 1, kHost, "ZURQX340ZURQX340", 0, 0, false},
      {"filter names the host", 1, kHost, "ZURQX340", kHost, 0, true},
      {"filter names another host", 1, kHost, "ZURQX340", kOtherHost, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteSlot(m_host, 5, c.in_use, c.host, c.client_id, "Slot", c.client_window);
    m_client.SetWindowFilter(c.filter);
    EXPECT_EQ(Scan(), c.usable ? std::vector<int>{5} : std::vector<int>{});
  }
}

TEST_F(ExchangeAreaTest, LongClientIdOfOursMatchesOnlyItsOwnBytes) {
  m_client.SetClientId("ZURQX340ZURQX340");
  WriteSlot(m_host, 0, 1, kHost, "ZURQX340ZURQX340", "x");
  EXPECT_EQ(Scan(), std::vector<int>{0});
}

TEST_F(ExchangeAreaTest, SlotNamesAreReadWithinTheirFieldAndDecoded) {
  WriteSlot(m_host, 0, 1, kHost, "ZURQX340", "Slot 1");
  WriteSlot(m_host, 1, 1, kHost, "ZURQX340",
            "Pr\xFC"
            "fstand");
  const std::string full(32, 'N');
  WriteSlot(m_host, 2, 1, kHost, "ZURQX340", full);
  // The bytes after the name field are not part of the name.
  m_host.WithLockedArea([](std::span<std::byte> bytes) {
    PutText(SlotBytes(bytes, 2), kClientNameOffset, kClientNameSize, "TAIL", 30);
  });
  EXPECT_EQ(m_client.GetSlotName(0), "Slot 1");
  EXPECT_EQ(m_client.GetSlotName(1), "Pr\u00FCfstand");
  EXPECT_EQ(m_client.GetSlotName(2), full);
  EXPECT_EQ(m_client.GetSlotName(-1), "");
  EXPECT_EQ(m_client.GetSlotName(32), "");
}

TEST_F(ExchangeAreaTest, CreateOnAnExistingAreaClearsAllOfIt) {
  RQX340_POSIX_ONLY("the area is a file of the session directory");
  m_host.WithLockedArea(
      [](std::span<std::byte> bytes) { std::fill(bytes.begin(), bytes.end(), std::byte{0xEE}); });
  CQWExchange second{&m_messenger};
  ASSERT_EQ(second.Create("host"), 1);
  EXPECT_EQ(second.Name(), m_host.Name());
  bool all_zero = false;
  m_client.WithLockedArea([&](std::span<std::byte> bytes) {
    EXPECT_EQ(bytes.size(), 4096u);
    all_zero =
        std::all_of(bytes.begin(), bytes.end(), [](std::byte b) { return b == std::byte{0}; });
  });
  EXPECT_TRUE(all_zero);
  EXPECT_EQ(fs::file_size(m_session.Path() / m_host.Name()), 4096u);
  EXPECT_TRUE(fs::exists(m_session.Path() / (m_host.Name() + "MUX")));
}

TEST_F(ExchangeAreaTest, OpenFindsOnlyExistingAreas) {
  CQWExchange by_number{&m_messenger};
  EXPECT_EQ(by_number.OpenByNumber(0x12345678), 0);
  EXPECT_FALSE(by_number.IsOpen());
  EXPECT_NE(by_number.LastError().find("ZUL12345678"), std::string::npos);
  EXPECT_FALSE(fs::exists(m_session.Path() / "ZUL12345678"));

  const auto number = static_cast<std::uint32_t>(std::stoul(m_host.Name().substr(3), nullptr, 16));
  ASSERT_EQ(by_number.OpenByNumber(number), 1);
  EXPECT_TRUE(by_number.IsOpen());
  EXPECT_EQ(by_number.LastError(), "");
  by_number.SetCursor(3);
  by_number.Close();
  EXPECT_FALSE(by_number.IsOpen());
  EXPECT_EQ(by_number.Cursor(), -1);
  EXPECT_EQ(by_number.FindNextSlot(), -1);
  EXPECT_EQ(by_number.GetSlotName(0), "");
}

TEST_F(ExchangeAreaTest, AnAreaTooShortToMapIsNotOpened) {
  RQX340_POSIX_ONLY("the area is a file of the session directory");
  { std::ofstream(m_session.Path() / "ZUL0000BEEF", std::ios::binary) << std::string(128, '\1'); }
  CQWExchange area{&m_messenger};
  EXPECT_EQ(area.OpenByNumber(0xBEEF), 0);
  EXPECT_FALSE(area.IsOpen());
  EXPECT_NE(area.LastError().find("128 bytes"), std::string::npos) << area.LastError();
}

TEST(ExchangeAreaSessionTest, ARefusedSessionDirectoryMeansNoArea) {
  RQX340_POSIX_ONLY("modes of the session directory");
  test::TempDir temp;
  const auto open_dir = temp.Path() / "zul";
  fs::create_directory(open_dir);
  fs::permissions(open_dir, fs::perms::owner_all | fs::perms::group_all, fs::perm_options::replace);
  test::ScopedEnv env("RQX340_RUNTIME_DIR", open_dir.string().c_str());
  FakeMessenger messenger;
  CQWExchange area{&messenger};
  EXPECT_EQ(area.Create("host"), 0);
  EXPECT_EQ(area.Open("rqx340"), 0);
  EXPECT_NE(area.LastError().find("open to group or others"), std::string::npos)
      << area.LastError();
  EXPECT_TRUE(fs::is_empty(open_dir));
}

}  // namespace
}  // namespace rqx340
