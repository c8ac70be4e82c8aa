// SIGINT, SIGTERM and SIGHUP handlers that only record the first signal: a
// sig_atomic_t is all a handler may safely touch.
#include "platform/interrupt.h"

#include <signal.h>

#include <csignal>
#include <initializer_list>

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
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, number);
  for (const int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &action, nullptr);
  // A file size limit (ulimit -f) then fails the write with EFBIG, which every
  // writer reports and cleans up after, instead of ending the process with a
  // temporary file left behind.
  signal(SIGXFSZ, SIG_IGN);
}

bool TerminationRequested() { return g_signal != 0; }

int TerminationExitCode() { return g_signal != 0 ? 128 + g_signal : 0; }

}  // namespace rqx340
