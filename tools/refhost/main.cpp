// zul-refhost: a reference host. It creates the exchange area of the tool at
// --tool, offers slots in it, answers the tool's commands as a careful host
// would and keeps every measurement it receives in its inbox.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_order.h"
#include "command_log.h"
#include "exchange/exchange_area.h"
#include "exchange/exchange_client.h"
#include "exchange/slot_layout.h"
#include "host.h"
#include "options.h"
#include "platform/code_page.h"
#include "platform/interrupt.h"
#include "platform/process.h"
#include "platform/session_dir.h"
#include "platform/window.h"

namespace {

using namespace rqx340;
using namespace rqx340::refhost;

// Idle wake-ups to notice the launched tool's end and termination requests.
constexpr int kPollMs = 100;

int Fail(const std::string& text) {
  std::fprintf(stderr, "zul-refhost: %s\n", text.c_str());
  return 1;
}

void OfferSlots(CQWExchange& area, const Options& options, WindowHandle window) {
  const std::string client_id = ToAnsi(options.client_id);
  area.WithLockedArea([&](std::span<std::byte> bytes) {
    for (int i = 0; i < options.slots; ++i) {
      const auto slot = SlotBytes(bytes, i);
      PutUint32(slot, kInUseOffset, 1);
      PutUint32(slot, kHostWindowOffset, window);
      PutText(slot, kClientIdOffset, kClientIdSize, client_id, kClientIdSize);
      PutText(slot, kSlotNameOffset, kSlotNameSize, "Slot " + std::to_string(i + 1),
              kSlotNameSize - 1);
    }
  });
}

// Takes back the slots this host still offers, as a host that goes away does.
void WithdrawSlots(CQWExchange& area, const Options& options, WindowHandle window) {
  area.WithLockedArea([&](std::span<std::byte> bytes) {
    for (int i = 0; i < options.slots; ++i) {
      const auto slot = SlotBytes(bytes, i);
      if (GetUint32(slot, kHostWindowOffset) != window) continue;
      PutUint32(slot, kInUseOffset, 0);
      PutUint32(slot, kHostWindowOffset, 0);
      PutText(slot, kClientIdOffset, kClientIdSize, {}, 0);
      PutText(slot, kSlotNameOffset, kSlotNameSize, {}, 0);
    }
  });
}

int Run(const Options& options) {
  auto session = SessionDir::Open();
  if (!session) return Fail(session.ErrorText());
  auto created = MessageEndpoint::Create(*session);
  if (!created) return Fail(created.ErrorText());
  std::unique_ptr<MessageEndpoint> window = std::move(*created);

  CQWExchange area;
  area.SetExecutablePath(options.tool);
  if (!area.Create(std::filesystem::path(options.tool).stem().string())) {
    return Fail("cannot create the exchange area: " + area.LastError());
  }
  auto log = CommandLog::Open(options.log);
  if (!log) return Fail(log.ErrorText());
  OfferSlots(area, options, window->Handle());

  char window_text[16];
  std::snprintf(window_text, sizeof window_text, "%08X", window->Handle());
  std::printf("window %s\n", window_text);
  std::fflush(stdout);

  std::optional<ChildProcess> tool;
  if (options.launch) {
    std::vector<std::string> arguments = options.launch_arguments;
    if (arguments.empty()) arguments = {std::string("-h") + window_text, "-l0", "-k0", "-i0"};
    auto spawned = ChildProcess::Spawn(options.tool, arguments, {});
    if (!spawned) {
      WithdrawSlots(area, options, window->Handle());
      return Fail(spawned.ErrorText());
    }
    tool = std::move(*spawned);
  }

  Host host(options, area, *session, *log);
  int exit_code = 0;
  for (;;) {
    if (auto message = window->Wait(kPollMs); message && message->IsSent()) {
      const WindowMessage& m = message->Message();
      message->Reply(m.message == kHostMessage ? host.HandleCommand(m.wparam, m.lparam) : 0);
    }
    if (tool) {
      if (const auto code = tool->TryWait()) {
        exit_code = *code;
        break;
      }
    }
    if (TerminationRequested()) break;
  }
  WithdrawSlots(area, options, window->Handle());
  return exit_code;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage.data(), stdout);
    return 0;
  }
  const auto options = ParseOptions(args);
  if (!options) {
    std::fprintf(stderr, "zul-refhost: %s\n%s", options.ErrorText().c_str(), kUsage.data());
    return 2;
  }
  if (const auto& setting = AnsiCodePageSetting(); !setting) {
    std::fprintf(stderr, "zul-refhost: %s\n", setting.ErrorText().c_str());
    return 2;
  }
  CatchTerminationRequests();
  return Run(*options);
}
