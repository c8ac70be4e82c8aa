// The user interface thread's window messages. The application's pump takes a
// turn here (PeekMessageW, without waiting); the dialogs run their modal loops
// here; and the tool's window, which lives on a thread of its own, hands the
// host's messages over through a message-only window of this thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "app/rqx340_app.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

class Win32MessageLoop final : public UserInterfaceEvents {
 public:
  // Becomes `app`'s user interface and its arrival callback.
  explicit Win32MessageLoop(CRQX340App& app);
  ~Win32MessageLoop() override;
  Win32MessageLoop(const Win32MessageLoop&) = delete;
  Win32MessageLoop& operator=(const Win32MessageLoop&) = delete;

  // Dialogs whose keyboard messages go through IsDialogMessageW (Tab, Esc,
  // mnemonics): the main dialog and the previews.
  void AddDialog(HWND dialog);
  void RemoveDialog(HWND dialog);

  // Takes every message waiting in the thread's queue and dispatches it. The
  // host's stop request (kHostMessage, wParam kHostStopRequest) is removed
  // undispatched and ends the turn with true; so does a quit message, which
  // is posted again for the loop that waits for it.
  bool ProcessPendingEvents() override;

  // Dispatches messages, waiting for each, until `done` says so after one
  // of them, or a quit message comes (posted again). False after a quit.
  bool RunUntil(const std::function<bool()>& done);

 private:
  static LRESULT CALLBACK ArrivalProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Dispatch(MSG& message);

  CRQX340App& m_app;
  HWND m_hArrival = nullptr;
  std::vector<HWND> m_dialogs;
  // Set while an arrival is posted, so a burst of messages posts one.
  std::shared_ptr<std::atomic<bool>> m_pPending;
};

}  // namespace rqx340
