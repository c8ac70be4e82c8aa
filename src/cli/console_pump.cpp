// Copies the signal handler's flag into the stop flag; nothing here ever
// clears a stop flag.
#include "cli/console_pump.h"

#include "platform/interrupt.h"

namespace rqx340::cli {

bool ConsolePump::PumpPendingMessages(std::int32_t* stop) {
  // Nothing here acts on a posted message; it is only answered and dropped.
  if (m_window != nullptr) {
    while (auto message = m_window->Peek()) message->Reply(0);
  }
  if (stop != nullptr && TerminationRequested()) *stop = 1;
  return !TerminationRequested();
}

}  // namespace rqx340::cli
