// A console control handler that only records the first event, as the POSIX
// signal handlers do. It runs on a thread of its own; returning TRUE lets the
// main thread clean up. For a console close, a logoff or a shutdown the system
// ends the process once the handler returns, so the handler waits there for
// the main thread to finish its cleanup (the system allows a few seconds).
#include "platform/interrupt.h"

#include <atomic>

#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

// The exit codes match the POSIX signals: Ctrl-C and Ctrl-Break as SIGINT,
// closing the console as SIGHUP, logoff and shutdown as SIGTERM.
std::atomic<int> g_exitCode{0};

BOOL WINAPI OnConsoleControl(DWORD event) {
  int code = 0;
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      code = 130;
      break;
    case CTRL_CLOSE_EVENT:
      code = 129;
      break;
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      code = 143;
      break;
    default:
      return FALSE;
  }
  int none = 0;
  g_exitCode.compare_exchange_strong(none, code);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    Sleep(INFINITE);
  }
  return TRUE;
}

}  // namespace

void CatchTerminationRequests() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

bool TerminationRequested() { return g_exitCode.load() != 0; }

int TerminationExitCode() { return g_exitCode.load(); }

}  // namespace rqx340
