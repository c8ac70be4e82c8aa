// zul-refhost: a reference host. It creates the exchange area of the tool at
// --tool, offers slots in it, answers the tool's commands as a careful host
// would and keeps every measurement it receives in its inbox.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/byte_order.h"
#include "base/result.h"
#include "base/version.h"
#include "command_log.h"
#include "exchange/exchange_area.h"
#include "exchange/exchange_client.h"
#include "exchange/slot_layout.h"
#include "host.h"
#include "options.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/process.h"
#include "platform/program_main.h"
#include "platform/session_dir.h"
#include "platform/window.h"
#include "utf8_path.h"

namespace {

using namespace rqx340;
using namespace rqx340::refhost;

// Idle wake-ups to notice the launched tool's end and termination requests.
constexpr int kPollMs = 100;

int Fail(const std::string& text) {
  std::fprintf(stderr, "zul-refhost: %s\n", text.c_str());
  return 1;
}

// The dialog program that belongs with this host: beside it in a build folder
// (and on Windows, where one folder holds every program), or where the Debian
// package puts a program that only a host starts, ../lib/rqx340-import/ from
// the host's bin folder. Its name ends as the host's own does (".exe").
Result<std::string> DialogProgramOfThisInstallation() {
  const auto self = RunningExecutablePath();
  if (!self) return Failure("cannot find the dialog program: " + self.ErrorText());
  const std::filesystem::path host = PathOf(*self);
  const std::filesystem::path name = "rqx340-import" + host.extension().string();
  const std::filesystem::path dir = host.parent_path();
  const std::filesystem::path candidates[] = {dir / name,
                                              dir / ".." / "lib" / "rqx340-import" / name};
  for (const auto& candidate : candidates) {
    if (IsRegularFile(TextOf(candidate))) return TextOf(candidate.lexically_normal());
  }
  return Failure("no dialog program at " + TextOf(candidates[0]) + " or " +
                 TextOf(candidates[1].lexically_normal()) + "; give it with --tool");
}

// Claims `count` slots under the area's mutex: slots nobody offers, and slots
// of a host that is gone. A live host's slots are never touched. Fails, saying
// how many were free, when fewer are left.
Result<std::vector<int>> OfferSlots(CQWExchange& area, WindowMessenger& messenger,
                                    const Options& options, WindowHandle window) {
  const std::string client_id = ToAnsi(options.client_id);
  std::vector<int> free;
  const bool locked = area.WithLockedArea([&](std::span<std::byte> bytes) {
    for (int i = 0; i < kSlotCount; ++i) {
      const Slot slot = ReadSlot(SlotBytes(bytes, i));
      if (slot.inUse == 0 || !messenger.IsWindow(slot.hostWindow)) free.push_back(i);
    }
    if (free.size() < static_cast<std::size_t>(options.slots)) return;
    free.resize(static_cast<std::size_t>(options.slots));
    for (const int i : free) {
      const auto slot = SlotBytes(bytes, i);
      std::fill(slot.begin(), slot.end(), std::byte{0});
      PutUint32(slot, kInUseOffset, 1);
      PutUint32(slot, kHostWindowOffset, window);
      PutText(slot, kClientIdOffset, kClientIdSize, client_id, kClientIdSize);
      PutText(slot, kSlotNameOffset, kSlotNameSize, "Slot " + std::to_string(i + 1),
              kSlotNameSize - 1);
    }
  });
  if (!locked) return Failure(area.LastError());
  if (free.size() < static_cast<std::size_t>(options.slots)) {
    return Failure("exchange area " + area.Name() + " has " + std::to_string(free.size()) +
                   " free slots, " + std::to_string(options.slots) +
                   " wanted: other hosts offer the rest");
  }
  return free;
}

// The -i of a tool this host starts: the position of its first slot among the
// usable slots of the area, in the order a tool's scan finds them. A tool that
// takes only its -h window's slots needs no -i with one slot; one that counts
// over the whole area, as the original protocol does, finds this host's slot
// and not another host's.
int LaunchSlotIndex(CQWExchange& area, const Options& options, int first_slot) {
  area.SetClientId(ToAnsi(options.client_id));
  area.SetWindowFilter(0);
  area.SetCursor(0);
  int position = 0;
  for (int index; (index = area.FindNextSlot()) >= 0; ++position) {
    if (index == first_slot) return position;
  }
  return 0;
}

// What a host that goes leaves behind: nothing. Its slots are withdrawn and the
// area is removed when no other host offers a slot in it; the window's socket
// goes with the window. Held for the whole run, so every way out cleans up.
class AreaLease {
 public:
  AreaLease(CQWExchange& area, WindowHandle window) : m_area(area), m_window(window) {}
  ~AreaLease() {
    m_area.WithLockedArea([&](std::span<std::byte> bytes) {
      for (int i = 0; i < kSlotCount; ++i) {
        const auto slot = SlotBytes(bytes, i);
        if (GetUint32(slot, kHostWindowOffset) != m_window) continue;
        std::fill(slot.begin(), slot.end(), std::byte{0});
      }
    });
    m_area.RemoveIfUnused();
  }
  AreaLease(const AreaLease&) = delete;
  AreaLease& operator=(const AreaLease&) = delete;

 private:
  CQWExchange& m_area;
  WindowHandle m_window;
};

int Run(const Options& options) {
  auto session = SessionDir::Open();
  if (!session) return Fail(session.ErrorText());
  auto messenger = SessionMessenger::Open(*session);
  if (!messenger) return Fail(messenger.ErrorText());
  auto created = MessageEndpoint::Create(*session);
  if (!created) return Fail(created.ErrorText());
  std::unique_ptr<MessageEndpoint> window = std::move(*created);

  CQWExchange area(messenger->get());
  area.SetExecutablePath(options.tool);
  // Another host may already offer slots in the area: it is opened as it is.
  if (!area.OpenOrCreate(TextOf(PathOf(options.tool).stem()))) {
    return Fail("cannot create the exchange area: " + area.LastError());
  }
  const AreaLease lease(area, window->Handle());
  auto slots = OfferSlots(area, **messenger, options, window->Handle());
  if (!slots) return Fail(slots.ErrorText());
  auto log = CommandLog::Open(options.log);
  if (!log) return Fail(log.ErrorText());

  char window_text[16];
  std::snprintf(window_text, sizeof window_text, "%08X", window->Handle());
  std::printf("window %s\n", window_text);
  std::fflush(stdout);

  std::optional<ChildProcess> tool;
  if (options.launch) {
    std::vector<std::string> arguments = options.launch_arguments;
    if (arguments.empty()) {
      const int slot_index = slots->empty() ? 0 : LaunchSlotIndex(area, options, slots->front());
      arguments = {std::string("-h") + window_text, "-l" + std::to_string(options.language), "-k0",
                   "-i" + std::to_string(slot_index)};
    }
    auto spawned = ChildProcess::Spawn(options.tool, arguments, {});
    if (!spawned) return Fail(spawned.ErrorText());
    tool = std::move(*spawned);
  }

  Host host(options, area, *session, *log, std::move(*slots));
  for (;;) {
    if (auto message = window->Wait(kPollMs); message && message->IsSent()) {
      const WindowMessage& m = message->Message();
      if (m.message != kHostMessage) {
        message->Reply(0);
      } else if (const auto reply = host.HandleCommand(m.wparam, m.lparam)) {
        message->Reply(*reply);
      } else {
        // --exit-on: the sender sees the host go without an answer.
        return kExitOnCommandCode;
      }
    }
    if (tool) {
      if (const auto code = tool->TryWait()) return *code;
    }
    if (TerminationRequested()) return 0;
    // A file that shrank under the mapping would fault at the next touch.
    if (!area.IsIntact()) return Fail(area.LastError() + "; stopping");
  }
}

}  // namespace

int rqx340::ProgramMain(std::span<const std::string_view> args) {
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kUsage.data(), stdout);
    return 0;
  }
  if (!args.empty() && args[0] == "--version") {
    std::printf("%s\n", VersionText("zul-refhost").c_str());
    return 0;
  }
  auto options = ParseOptions(args);
  if (!options) {
    std::fprintf(stderr, "zul-refhost: %s\n%s", options.ErrorText().c_str(), kUsage.data());
    return 2;
  }
  if (options->launch && !DialogLaunchSupported()) {
    std::fputs(
        "zul-refhost: --launch is not available on this system: there is no dialog "
        "program to start; start the tool yourself\n",
        stderr);
    return 2;
  }
  if (const auto& setting = AnsiCodePageSetting(); !setting) {
    std::fprintf(stderr, "zul-refhost: %s\n", setting.ErrorText().c_str());
    return 2;
  }
  if (options->tool.empty()) {
    auto dialog = DialogProgramOfThisInstallation();
    if (!dialog) return Fail(dialog.ErrorText());
    options->tool = std::move(*dialog);
  }
  CatchTerminationRequests();
  return Run(*options);
}
