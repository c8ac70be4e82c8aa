// The thread's message queue.
#include "ui/win32/message_loop.h"

#include <algorithm>

#include "exchange/exchange_client.h"

namespace rqx340 {

namespace {

constexpr wchar_t kArrivalClass[] = L"rqx340.Arrival";
constexpr UINT kArrived = WM_APP + 1;

}  // namespace

Win32MessageLoop::Win32MessageLoop(CRQX340App& app)
    : m_app(app), m_pPending(std::make_shared<std::atomic<bool>>(false)) {
  static const ATOM registered = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = ArrivalProcedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kArrivalClass;
    return RegisterClassExW(&window_class);
  }();
  if (registered != 0) {
    m_hArrival = CreateWindowExW(0, kArrivalClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
  }
  if (m_hArrival != nullptr) {
    SetWindowLongPtrW(m_hArrival, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const HWND arrival = m_hArrival;
    m_app.SetArrivalCallback([arrival, pending = m_pPending] {
      if (!pending->exchange(true)) PostMessageW(arrival, kArrived, 0, 0);
    });
  }
  m_app.SetUserInterface(this);
}

Win32MessageLoop::~Win32MessageLoop() {
  // Waits for a running callback; none runs after this.
  m_app.SetArrivalCallback({});
  m_app.SetUserInterface(nullptr);
  if (m_hArrival != nullptr) DestroyWindow(m_hArrival);
}

LRESULT CALLBACK Win32MessageLoop::ArrivalProcedure(HWND window, UINT message, WPARAM wparam,
                                                    LPARAM lparam) {
  auto* loop = reinterpret_cast<Win32MessageLoop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (loop == nullptr || message != kArrived) {
    return DefWindowProcW(window, message, wparam, lparam);
  }
  loop->m_pPending->store(false);
  loop->m_app.DispatchClientMessages();
  return 0;
}

void Win32MessageLoop::AddDialog(HWND dialog) { m_dialogs.push_back(dialog); }

void Win32MessageLoop::RemoveDialog(HWND dialog) {
  m_dialogs.erase(std::remove(m_dialogs.begin(), m_dialogs.end(), dialog), m_dialogs.end());
}

void Win32MessageLoop::Dispatch(MSG& message) {
  for (const HWND dialog : m_dialogs) {
    if (IsWindow(dialog) && IsDialogMessageW(dialog, &message)) return;
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool Win32MessageLoop::ProcessPendingEvents() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
    if (message.message == kHostMessage && message.wParam == kHostStopRequest) {
      PeekMessageW(&message, message.hwnd, message.message, message.message, PM_REMOVE);
      return true;
    }
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
    if (message.message == WM_QUIT) {
      PostQuitMessage(0);
      return true;
    }
    Dispatch(message);
  }
  return false;
}

bool Win32MessageLoop::RunUntil(const std::function<bool()>& done) {
  MSG message{};
  while (!done()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (got < 0) return false;
    Dispatch(message);
  }
  return true;
}

}  // namespace rqx340
