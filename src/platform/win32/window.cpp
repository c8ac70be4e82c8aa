// Windows as real message-only windows (HWND_MESSAGE), the kind the host
// talks to. Each endpoint has a thread of its own that owns the window and
// pumps its messages, so the system answers IsWindow for it whatever its owner
// is doing. A message is queued for the owner; for a sent one the window
// procedure then waits on a pipe for the owner's reply, so the sender waits
// exactly until Reply, and gets 0x000000FF when the message is dropped
// unanswered (the pipe's write end closes). Handles cross the 32-bit fields
// with sign extension, as the system defines it.
#include "platform/window.h"

#include <future>
#include <thread>

#include "platform/win32/win32_util.h"
#include "platform/window_impl.h"

namespace rqx340 {

namespace {

constexpr wchar_t kClassName[] = L"rqx340.MessageEndpoint";
// Asks the window thread to end; private to this file.
constexpr UINT kQuitMessage = WM_APP + 0x3A0;

HWND WindowOf(WindowHandle handle) {
  return static_cast<HWND>(LongToHandle(static_cast<LONG>(handle)));
}

WindowHandle HandleOfWindow(HWND window) { return static_cast<WindowHandle>(HandleToLong(window)); }

}  // namespace

void IncomingMessage::Reply(std::uint32_t result) {
  if (!m_reply.Valid()) return;
  DWORD put = 0;
  WriteFile(win32::HandleOf(m_reply), &result, sizeof result, &put, nullptr);
  m_reply.Reset();
}

struct MessageEndpoint::State {
  MessageQueue queue;
  std::thread thread;
  HWND window = nullptr;
  DWORD thread_id = 0;

  // False, and the message dropped, once the endpoint is going.
  bool Queue(const WindowMessage& message, UniqueNativeHandle reply) {
    if (!queue.Push(message, std::move(reply))) return false;
    queue.NotifyArrival();
    return true;
  }

  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* state = reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (state == nullptr || message < WM_USER || message == kQuitMessage) {
      return DefWindowProcW(window, message, wparam, lparam);
    }
    const WindowMessage incoming{message, static_cast<std::uint32_t>(wparam),
                                 static_cast<std::int32_t>(lparam)};
    if (!InSendMessage()) {
      state->Queue(incoming, {});
      return 0;
    }
    HANDLE read_end = nullptr;
    HANDLE write_end = nullptr;
    if (CreatePipe(&read_end, &write_end, nullptr, 0) == 0) return kSendFailed;
    UniqueNativeHandle reader = win32::OwnHandle(read_end);
    if (!state->Queue(incoming, win32::OwnHandle(write_end))) return kSendFailed;
    std::uint32_t result = kSendFailed;
    DWORD got = 0;
    if (ReadFile(win32::HandleOf(reader), &result, sizeof result, &got, nullptr) == 0 ||
        got != sizeof result) {
      result = kSendFailed;
    }
    return static_cast<LRESULT>(result);
  }

  // The window thread: creates the window, reports it, pumps until told to end.
  void Run(std::promise<std::string>& started) {
    thread_id = GetCurrentThreadId();
    window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
      started.set_value("cannot create a window: " + win32::LastErrorText());
      return;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    started.set_value({});
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.hwnd == window && message.message == kQuitMessage) break;
      DispatchMessageW(&message);
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
  }

  void Stop() {
    if (!thread.joinable()) return;
    // Queued sends answer kSendFailed as their write ends close, and sends that
    // arrive from now on are answered so at once.
    queue.Close();
    PostMessageW(window, kQuitMessage, 0, 0);
    // A send whose message the owner still holds keeps the thread in ReadFile.
    HANDLE native = OpenThread(THREAD_TERMINATE, FALSE, thread_id);
    if (native != nullptr) {
      CancelSynchronousIo(native);
      CloseHandle(native);
    }
    thread.join();
  }
};

MessageQueue& sys::QueueOf(MessageEndpoint::State& state) { return state.queue; }

MessageEndpoint::MessageEndpoint(std::unique_ptr<State> state) : m_state(std::move(state)) {}

MessageEndpoint::~MessageEndpoint() {
  if (m_state) m_state->Stop();
}

Result<std::unique_ptr<MessageEndpoint>> MessageEndpoint::Create(const SessionDir&) {
  static const ATOM registered = [] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = State::Procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kClassName;
    return RegisterClassExW(&window_class);
  }();
  if (registered == 0)
    return Failure("cannot register the window class: " + win32::LastErrorText());
  auto state = std::make_unique<State>();
  std::promise<std::string> started;
  auto result = started.get_future();
  try {
    State* raw = state.get();
    state->thread = std::thread([raw, &started] { raw->Run(started); });
  } catch (const std::system_error& failure) {
    return Failure(std::string("cannot start the window thread: ") + failure.what());
  }
  if (std::string failure = result.get(); !failure.empty()) {
    state->thread.join();
    return Failure(std::move(failure));
  }
  return std::unique_ptr<MessageEndpoint>(new MessageEndpoint(std::move(state)));
}

// The system chooses window handles: only a handle it happens to give is met.
Result<std::unique_ptr<MessageEndpoint>> MessageEndpoint::CreateWithHandle(const SessionDir& dir,
                                                                           WindowHandle handle) {
  if (handle == 0) return Failure("0 is not a window handle");
  if (::IsWindow(WindowOf(handle)))
    return Failure("window " + WindowEndpointName(handle) + " is alive");
  auto endpoint = Create(dir);
  if (!endpoint) return endpoint;
  if ((*endpoint)->Handle() != handle) {
    return Failure("the system chooses window handles on Windows; " + WindowEndpointName(handle) +
                   " cannot be asked for");
  }
  return endpoint;
}

WindowHandle MessageEndpoint::Handle() const { return HandleOfWindow(m_state->window); }

bool SessionMessenger::IsWindow(WindowHandle window) {
  return window != 0 && ::IsWindow(WindowOf(window)) != 0;
}

// A plain SendMessageW returns 0, "done", for a window that died: the timeout
// form tells the failure apart.
std::uint32_t SessionMessenger::Send(WindowHandle window, const WindowMessage& message) {
  if (window == 0) return kSendFailed;
  DWORD_PTR result = 0;
  if (SendMessageTimeoutW(WindowOf(window), message.message, message.wparam,
                          static_cast<LPARAM>(message.lparam), SMTO_NORMAL, 0x7FFFFFFF,
                          &result) == 0) {
    return kSendFailed;
  }
  return static_cast<std::uint32_t>(result);
}

bool SessionMessenger::Post(WindowHandle window, const WindowMessage& message) {
  if (window == 0) return false;
  return PostMessageW(WindowOf(window), message.message, message.wparam,
                      static_cast<LPARAM>(message.lparam)) != 0;
}

}  // namespace rqx340
