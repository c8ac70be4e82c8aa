// rqx340-testclient: a second process for the exchange tests.
//
//   window                         make a window, print "window XXXXXXXX", answer sent
//                                  messages with wParam + lParam until standard input ends
//   silent-window                  the same, but never look at a message
//   hold-lock NAME                 lock the named mutex, print "locked", hold it until
//                                  standard input ends
//   increment NUMBER COUNT         COUNT times, under the lock of area ZUL<NUMBER>, add
//                                  one to the counter in the unused bytes of slot 31
//   connect [--slot I] [--exe NAME] [--id ID] [--hold] STEP...
//                                  open the area of this program's directory, connect,
//                                  and run the steps: a command number, "transfer"
//                                  (26, 2, 27, 22) or "transfer-raw" (with three 20s);
//                                  --hold waits for the end of standard input first
//
// Started by a host with a command line beginning "-h", it prints "launched" and
// its arguments, and ends.
//
// Lines on standard output: "open STATUS LASTREPLY SLOT", "cmd C STATUS LASTREPLY",
// "transfer STATUS LASTREPLY", "message ID TEXT", "detail TEXT", "error TEXT".
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/byte_order.h"
#include "exchange/exchange_area.h"
#include "exchange/rqx340_client.h"
#include "exchange/slot_layout.h"
#include "platform/named_mutex.h"
#include "platform/session_dir.h"
#include "platform/window.h"

namespace {

using namespace rqx340;

class PrintingSink final : public MessageSink {
 public:
  void ShowMessage(int id, std::string_view text) override {
    std::printf("message %d %.*s\n", id, static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
  }
  void ShowDetail(std::string_view text) override {
    std::printf("detail %.*s\n", static_cast<int>(text.size()), text.data());
    std::fflush(stdout);
  }
};

void WaitForEndOfInput() {
  std::string line;
  while (std::getline(std::cin, line)) {
  }
}

int Fail(const std::string& text) {
  std::printf("error %s\n", text.c_str());
  return 1;
}

int HoldLock(const std::string& name) {
  auto dir = SessionDir::Open();
  if (!dir) return Fail(dir.ErrorText());
  auto mutex = NamedMutex::Open(*dir, name);
  if (!mutex) return Fail(mutex.ErrorText());
  mutex->Lock();
  std::printf("locked\n");
  std::fflush(stdout);
  WaitForEndOfInput();
  mutex->Unlock();
  return 0;
}

int Window(bool answer) {
  auto dir = SessionDir::Open();
  if (!dir) return Fail(dir.ErrorText());
  auto created = MessageEndpoint::Create(*dir);
  if (!created) return Fail(created.ErrorText());
  std::unique_ptr<MessageEndpoint> window = std::move(*created);
  std::thread answerer([&window, answer] {
    if (!answer) return;
    for (;;) {
      auto message = window->Wait(-1);
      if (message->Message().message == 0) return;
      message->Reply(message->Message().wparam +
                     static_cast<std::uint32_t>(message->Message().lparam));
    }
  });
  std::printf("window %08X\n", window->Handle());
  std::fflush(stdout);
  WaitForEndOfInput();
  (*SessionMessenger::Open(*dir))->Post(window->Handle(), {});
  answerer.join();
  return 0;
}

int Increment(std::uint32_t number, int count) {
  CQWExchange area;
  if (!area.OpenByNumber(number)) return Fail(area.LastError());
  const std::size_t offset = 31 * kSlotSize + 0x5C;
  for (int i = 0; i < count; ++i) {
    area.WithLockedArea([&](std::span<std::byte> bytes) {
      const std::uint32_t value = GetUint32(bytes, offset);
      // Give the other process every chance to slip in between read and write.
      std::this_thread::yield();
      PutUint32(bytes, offset, value + 1);
    });
  }
  std::printf("done\n");
  return 0;
}

int Connect(const std::vector<std::string_view>& args) {
  int slot = -1;
  std::string exe_name = "rqx340-testclient";
  std::string id(kExchangeId);
  bool hold = false;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--slot" && i + 1 < args.size()) {
      slot = std::atoi(std::string(args[++i]).c_str());
    } else if (args[i] == "--exe" && i + 1 < args.size()) {
      exe_name = args[++i];
    } else if (args[i] == "--id" && i + 1 < args.size()) {
      id = args[++i];
    } else if (args[i] == "--hold") {
      hold = true;
    } else {
      break;
    }
  }
  // Like the tool: without a usable session directory there is no window, and
  // opening the area tells why.
  auto dir = SessionDir::Open();
  std::unique_ptr<MessageEndpoint> window;
  if (dir) {
    auto created = MessageEndpoint::Create(*dir);
    if (!created) return Fail(created.ErrorText());
    window = std::move(*created);
  }

  PrintingSink sink;
  CRQX340Client client(sink, slot);
  if (!client.Open(exe_name)) {
    client.ReportError(kStatusNoSlot);
    std::printf("open %d 0 -1\n", kStatusNoSlot);
    return 1;
  }
  const int status = client.OpenConnection(exe_name, id, window ? window->Handle() : 0);
  std::printf("open %d %d %d\n", status, client.LastReply(), client.SlotIndex());
  std::fflush(stdout);
  if (status != 0) {
    if (status != kStatusChoiceDeclined) client.ReportError(status);
    return 1;
  }
  if (hold) WaitForEndOfInput();
  for (; i < args.size(); ++i) {
    if (args[i] == "transfer" || args[i] == "transfer-raw") {
      const bool raw = args[i] == "transfer-raw";
      const int result = client.TransferMeasurement([&] {
        if (raw) {
          for (int axis = 0; axis < 3; ++axis) client.SendRawSignalCommand();
        }
        return true;
      });
      std::printf("transfer %d %d\n", result, client.LastReply());
    } else {
      const auto command = static_cast<std::uint32_t>(std::atoi(std::string(args[i]).c_str()));
      const int result = client.SendCommand(command);
      std::printf("cmd %u %d %d\n", command, result, client.LastReply());
    }
    std::fflush(stdout);
  }
  client.CloseConnection();
  std::printf("closed %d\n", client.LastReply());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (!args.empty() && args[0].rfind("-h", 0) == 0) {
    std::string line = "launched";
    for (const auto arg : args) {
      line += ' ';
      line.append(arg);
    }
    std::printf("%s\n", line.c_str());
    return 0;
  }
  if (args.size() == 1 && args[0] == "window") return Window(true);
  if (args.size() == 1 && args[0] == "silent-window") return Window(false);
  if (args.size() == 2 && args[0] == "hold-lock") return HoldLock(std::string(args[1]));
  if (args.size() == 3 && args[0] == "increment") {
    return Increment(
        static_cast<std::uint32_t>(std::strtoul(std::string(args[1]).c_str(), nullptr, 16)),
        std::atoi(std::string(args[2]).c_str()));
  }
  if (!args.empty() && args[0] == "connect") {
    return Connect(std::vector<std::string_view>(args.begin() + 1, args.end()));
  }
  std::fputs(
      "usage: rqx340-testclient window | silent-window | hold-lock NAME | increment NUMBER COUNT | "
      "connect ...\n",
      stderr);
  return 2;
}
