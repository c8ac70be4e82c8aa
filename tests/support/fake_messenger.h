// Stands in for the windows of a session: a set of live handles, scripted
// replies per command, and a record of everything sent.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <vector>

#include "platform/window.h"

namespace rqx340::test {

class FakeMessenger final : public WindowMessenger {
 public:
  struct Sent {
    WindowHandle window;
    WindowMessage message;
  };

  bool IsWindow(WindowHandle window) override {
    ++pings;
    return live.count(window) != 0;
  }
  std::uint32_t Send(WindowHandle window, const WindowMessage& message) override {
    if (!live.count(window)) return kSendFailed;
    sent.push_back({window, message});
    auto& queue = replies[message.wparam];
    if (queue.empty()) return 0;
    const std::uint32_t reply = queue.front();
    queue.pop_front();
    return reply;
  }
  bool Post(WindowHandle window, const WindowMessage& message) override {
    if (!live.count(window)) return false;
    posted.push_back({window, message});
    return true;
  }

  // The commands (wParam) sent so far, in order.
  std::vector<std::uint32_t> Commands() const {
    std::vector<std::uint32_t> result;
    for (const auto& entry : sent) result.push_back(entry.message.wparam);
    return result;
  }

  std::set<WindowHandle> live;
  // Replies per command, used once each in order; 0 when none is left.
  std::map<std::uint32_t, std::deque<std::uint32_t>> replies;
  std::vector<Sent> sent;
  std::vector<Sent> posted;
  int pings = 0;
};

}  // namespace rqx340::test
