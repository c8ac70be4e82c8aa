// The exchange area shared by real processes.
#include <gtest/gtest.h>

#include <thread>

#include "base/byte_order.h"
#include "exchange/exchange_area.h"
#include "exchange/slot_layout.h"
#include "platform/named_mutex.h"
#include "platform/process.h"
#include "support/session.h"

namespace rqx340 {
namespace {

using test::TestSession;

std::uint32_t AreaNumber(const CQWExchange& area) {
  return static_cast<std::uint32_t>(std::stoul(area.Name().substr(3), nullptr, 16));
}

TEST(ExchangeProcessTest, ClientsRacingForTheAreaLoseNoUpdate) {
  TestSession session;
  CQWExchange area;
  ASSERT_EQ(area.Create("host"), 1) << area.LastError();
  char number[9];
  std::snprintf(number, sizeof number, "%08X", AreaNumber(area));

  constexpr int kClients = 3;
  constexpr int kRounds = 20000;
  std::vector<ChildProcess> clients;
  for (int i = 0; i < kClients; ++i) {
    auto child =
        ChildProcess::Spawn(test::ProgramPath("rqx340-testclient"),
                            {"increment", number, std::to_string(kRounds)}, session.ChildOptions());
    ASSERT_TRUE(child) << child.ErrorText();
    clients.push_back(std::move(*child));
  }
  for (auto& child : clients) {
    EXPECT_EQ(child.ReadLine(60000), "done");
    EXPECT_EQ(child.Wait(), 0);
  }
  std::uint32_t count = 0;
  area.WithLockedArea(
      [&](std::span<std::byte> bytes) { count = GetUint32(bytes, 31 * 128 + 0x5C); });
  EXPECT_EQ(count, static_cast<std::uint32_t>(kClients * kRounds));
}

TEST(ExchangeProcessTest, AClientKilledWhileHoldingTheLockBlocksNobody) {
  TestSession session;
  CQWExchange area;
  ASSERT_EQ(area.Create("host"), 1) << area.LastError();
  auto holder = ChildProcess::Spawn(test::ProgramPath("rqx340-testclient"),
                                    {"hold-lock", area.Name() + "MUX"}, session.ChildOptions());
  ASSERT_TRUE(holder) << holder.ErrorText();
  ASSERT_EQ(holder->ReadLine(60000), "locked");

  const SessionDir dir = session.Open();
  auto probe = NamedMutex::Open(dir, area.Name() + "MUX");
  ASSERT_TRUE(probe) << probe.ErrorText();
  EXPECT_FALSE(probe->TryLock());

  // A scan waits for the lock, and gets it when the holder dies.
  int found = 0;
  std::thread scan([&] {
    area.SetCursor(0);
    found = area.FindNextSlot();
  });
  holder->Kill();
  EXPECT_EQ(holder->Wait(), 128 + 9);
  scan.join();
  EXPECT_EQ(found, -1);
  EXPECT_TRUE(probe->TryLock());
  probe->Unlock();
}

}  // namespace
}  // namespace rqx340
