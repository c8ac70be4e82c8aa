// SIGINT and SIGTERM handlers that only record the first signal: a
// sig_atomic_t is all a handler may safely touch.
#include "platform/interrupt.h"

#include <signal.h>

#include <csignal>

namespace rqx340 {

namespace {

volatile std::sig_atomic_t g_signal = 0;

void OnTerminationSignal(int number) {
  if (g_signal == 0) g_signal = number;
}

}  // namespace

void CatchTerminationRequests() {
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  // One handler at a time, so the first signal is the one that stays.
  sigaddset(&action.sa_mask, SIGINT);
  sigaddset(&action.sa_mask, SIGTERM);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool TerminationRequested() { return g_signal != 0; }

int TerminationExitCode() { return g_signal != 0 ? 128 + g_signal : 0; }

}  // namespace rqx340
