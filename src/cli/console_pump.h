// The command line's message pump. It hands an interrupt or a termination
// request to the core through the caller's stop flag, and takes off the queue
// whatever the host posted to the tool's own window.
#pragma once

#include <cstdint>

#include "base/progress.h"
#include "platform/window.h"

namespace rqx340::cli {

class ConsolePump final : public MessagePump {
 public:
  // `window`, when given, is the tool's own window; the host may post to it.
  explicit ConsolePump(MessageEndpoint* window = nullptr) : m_window(window) {}

  bool PumpPendingMessages(std::int32_t* stop) override;

 private:
  MessageEndpoint* m_window;
};

}  // namespace rqx340::cli
