// Costs of talking to the host: a ping (IsWindow), a command round trip
// (SendMessageW to a window whose owner answers at once), and a full slot scan of
// an area whose 32 slots are all offered (one ping per slot, under the lock).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <thread>

#include "base/byte_order.h"
#include "exchange/exchange_area.h"
#include "exchange/slot_layout.h"
#include "platform/process.h"
#include "platform/session_dir.h"
#include "platform/window.h"

namespace {

using namespace rqx340;
namespace fs = std::filesystem;

// A private session directory for the benchmark, removed at the end.
class BenchSession {
 public:
  BenchSession()
      : m_path(fs::temp_directory_path() / ("rqx340-bench-" + std::to_string(CurrentProcessId()))) {
    fs::remove_all(m_path);
    if (auto dir = SessionDir::OpenPath(m_path.string())) m_dir = std::move(*dir);
  }
  ~BenchSession() {
    m_dir.reset();
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  const SessionDir& Dir() const { return *m_dir; }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
  std::optional<SessionDir> m_dir;
};

// A window whose owner thread answers every sent message with 0.
class AnsweringWindow {
 public:
  explicit AnsweringWindow(const SessionDir& dir) {
    if (auto window = MessageEndpoint::Create(dir)) m_window = std::move(*window);
    m_thread = std::thread([this] {
      for (;;) {
        auto message = m_window->Wait(-1);
        if (message->Message().message == 0) return;
        message->Reply(0);
      }
    });
  }
  ~AnsweringWindow() {
    m_messenger->Post(m_window->Handle(), {});
    m_thread.join();
  }
  WindowHandle Handle() const { return m_window->Handle(); }
  void SetMessenger(WindowMessenger& messenger) { m_messenger = &messenger; }

 private:
  std::unique_ptr<MessageEndpoint> m_window;
  std::thread m_thread;
  WindowMessenger* m_messenger = nullptr;
};

void BM_IsWindow(benchmark::State& state) {
  BenchSession session;
  auto messenger = std::move(*SessionMessenger::Open(session.Dir()));
  AnsweringWindow window(session.Dir());
  window.SetMessenger(*messenger);
  for (auto _ : state) benchmark::DoNotOptimize(messenger->IsWindow(window.Handle()));
}
BENCHMARK(BM_IsWindow);

void BM_SendRoundTrip(benchmark::State& state) {
  BenchSession session;
  auto messenger = std::move(*SessionMessenger::Open(session.Dir()));
  AnsweringWindow window(session.Dir());
  window.SetMessenger(*messenger);
  for (auto _ : state) {
    benchmark::DoNotOptimize(messenger->Send(window.Handle(), {kWmUser + 1, 26, 0}));
  }
}
BENCHMARK(BM_SendRoundTrip);

void BM_ScanThirtyTwoSlots(benchmark::State& state) {
  BenchSession session;
  auto messenger = std::move(*SessionMessenger::Open(session.Dir()));
  AnsweringWindow window(session.Dir());
  window.SetMessenger(*messenger);
  setenv("RQX340_RUNTIME_DIR", session.Path().c_str(), 1);
  CQWExchange host;
  host.Create("bench");
  host.WithLockedArea([&](std::span<std::byte> bytes) {
    for (int i = 0; i < kSlotCount; ++i) {
      const auto slot = SlotBytes(bytes, i);
      PutUint32(slot, kInUseOffset, 1);
      PutUint32(slot, kHostWindowOffset, window.Handle());
      PutText(slot, kClientIdOffset, kClientIdSize, "ZURQX340", kClientIdSize);
    }
  });
  CQWExchange client;
  client.Open("bench");
  client.SetClientId("ZURQX340");
  for (auto _ : state) {
    client.SetCursor(0);
    int found = 0;
    while (client.FindNextSlot() >= 0) ++found;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_ScanThirtyTwoSlots);

}  // namespace

BENCHMARK_MAIN();
