// Windows and window messages between the processes of one user.
//
// A window is a message endpoint named by a non-zero 32-bit handle. Sending to
// it waits until its owner has handled the message and returns the owner's
// 32-bit result; posting only queues the message. Whether a handle still names a
// window is answered by the endpoint itself, independently of its owner, so a
// busy owner (or one that holds some lock) still counts as a window.
//
// On POSIX an endpoint is a Unix-domain socket "wnd-XXXXXXXX" in the session
// directory; the private wire format is described in docs/protocol.md.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/result.h"
#include "platform/native_handle.h"
#include "platform/session_dir.h"

namespace rqx340 {

using WindowHandle = std::uint32_t;

inline constexpr std::uint32_t kWmUser = 0x0400;
// The result of sending to something that is not a window, or to a window that
// went away before it answered: status 255 with nothing in the upper bits.
inline constexpr std::uint32_t kSendFailed = 0x000000FF;

struct WindowMessage {
  std::uint32_t message = 0;
  std::uint32_t wparam = 0;
  std::int32_t lparam = 0;
};

// A message taken from an endpoint's queue. A sent message's sender waits until
// Reply; destroying the object unanswered gives the sender kSendFailed.
class IncomingMessage {
 public:
  // `reply` carries the answer to the sender; none for a posted message.
  IncomingMessage(const WindowMessage& message, UniqueNativeHandle reply)
      : m_message(message), m_reply(std::move(reply)) {}

  const WindowMessage& Message() const { return m_message; }
  bool IsSent() const { return m_reply.Valid(); }
  // Answers a sent message; does nothing for a posted one or a second time.
  void Reply(std::uint32_t result);

 private:
  WindowMessage m_message;
  UniqueNativeHandle m_reply;
};

// A window of this process: it exists from Create until destruction.
class MessageEndpoint {
 public:
  // A new window with a fresh random handle.
  static Result<std::unique_ptr<MessageEndpoint>> Create(const SessionDir& dir);
  // A new window with a given handle; fails when a live window already has it.
  // A leftover of a window that died is replaced.
  static Result<std::unique_ptr<MessageEndpoint>> CreateWithHandle(const SessionDir& dir,
                                                                   WindowHandle handle);
  ~MessageEndpoint();
  MessageEndpoint(const MessageEndpoint&) = delete;
  MessageEndpoint& operator=(const MessageEndpoint&) = delete;

  WindowHandle Handle() const;

  // The next queued message, without waiting.
  std::optional<IncomingMessage> Peek();
  // The next queued message, waiting at most `timeout_ms` (negative: forever).
  std::optional<IncomingMessage> Wait(int timeout_ms);

  // `arrived` runs on the endpoint's own thread after each message it queues, so
  // an owner that waits in another event loop can be woken; it must not call
  // into the endpoint. Once this returns, the previous callback is not running
  // and never runs again. An empty function removes it.
  void SetArrivalCallback(std::function<void()> arrived);

  struct State;

 private:
  explicit MessageEndpoint(std::unique_ptr<State> state);
  std::unique_ptr<State> m_state;
};

// Talks to windows by handle. The exchange code reaches windows only through
// this interface, so tests can stand in for the host.
class WindowMessenger {
 public:
  virtual ~WindowMessenger() = default;
  // True when `window` answers within one second. 0 is never a window.
  virtual bool IsWindow(WindowHandle window) = 0;
  // Waits, without a time limit, until the window's owner has handled the
  // message; kSendFailed when it is not a window or goes away first.
  virtual std::uint32_t Send(WindowHandle window, const WindowMessage& message) = 0;
  // Queues the message; false when it is not a window or its queue is full.
  virtual bool Post(WindowHandle window, const WindowMessage& message) = 0;
};

// The windows of the session directory.
class SessionMessenger final : public WindowMessenger {
 public:
  // Keeps its own handle on `dir`.
  static Result<std::unique_ptr<SessionMessenger>> Open(const SessionDir& dir);

  bool IsWindow(WindowHandle window) override;
  std::uint32_t Send(WindowHandle window, const WindowMessage& message) override;
  bool Post(WindowHandle window, const WindowMessage& message) override;

 private:
  explicit SessionMessenger(SessionDir dir) : m_dir(std::move(dir)) {}
  SessionDir m_dir;
};

// "wnd-XXXXXXXX": the name of a window's endpoint in the session directory.
std::string WindowEndpointName(WindowHandle window);

}  // namespace rqx340
