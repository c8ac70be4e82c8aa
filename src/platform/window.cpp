// What windows do alike on every system: the names of endpoints, the queue of
// messages an endpoint holds for its owner, and how the owner takes them.
#include "platform/window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "platform/window_impl.h"

namespace rqx340 {

std::string WindowEndpointName(WindowHandle window) {
  char name[16];
  std::snprintf(name, sizeof name, "wnd-%08X", static_cast<unsigned>(window));
  return name;
}

bool MessageQueue::Push(const WindowMessage& message, UniqueNativeHandle reply) {
  std::lock_guard lock(m_mutex);
  if (m_bClosed || m_queue.size() >= m_nCapacity) return false;
  m_queue.push_back({message, std::move(reply)});
  return true;
}

void MessageQueue::NotifyArrival() {
  m_arrived.notify_all();
  std::lock_guard lock(m_callbackMutex);
  if (m_arrivalCallback) m_arrivalCallback();
}

void MessageQueue::Close() {
  std::lock_guard lock(m_mutex);
  m_bClosed = true;
  m_queue.clear();
}

std::size_t MessageQueue::QueuedSenders() {
  std::lock_guard lock(m_mutex);
  return static_cast<std::size_t>(
      std::count_if(m_queue.begin(), m_queue.end(),
                    [](const Pending& pending) { return pending.reply.Valid(); }));
}

IncomingMessage MessageQueue::TakeFront() {
  Pending pending = std::move(m_queue.front());
  m_queue.pop_front();
  return IncomingMessage(pending.message, std::move(pending.reply));
}

std::optional<IncomingMessage> MessageQueue::Take() {
  std::lock_guard lock(m_mutex);
  if (m_queue.empty()) return std::nullopt;
  return TakeFront();
}

std::optional<IncomingMessage> MessageQueue::Wait(int timeout_ms) {
  std::unique_lock lock(m_mutex);
  const auto has_message = [this] { return !m_queue.empty(); };
  if (timeout_ms < 0) {
    m_arrived.wait(lock, has_message);
  } else if (!m_arrived.wait_for(lock, std::chrono::milliseconds(timeout_ms), has_message)) {
    return std::nullopt;
  }
  return TakeFront();
}

void MessageQueue::SetArrivalCallback(std::function<void()> arrived) {
  std::lock_guard lock(m_callbackMutex);
  m_arrivalCallback = std::move(arrived);
}

// The import pumps once per row: no system call here, not even a wait of 0 ms,
// which sleeps for the timer slack. A message is found once the endpoint's
// thread has taken it in.
std::optional<IncomingMessage> MessageEndpoint::Peek() { return sys::QueueOf(*m_state).Take(); }

std::optional<IncomingMessage> MessageEndpoint::Wait(int timeout_ms) {
  return sys::QueueOf(*m_state).Wait(timeout_ms);
}

void MessageEndpoint::SetArrivalCallback(std::function<void()> arrived) {
  sys::QueueOf(*m_state).SetArrivalCallback(std::move(arrived));
}

Result<std::unique_ptr<SessionMessenger>> SessionMessenger::Open(const SessionDir& dir) {
  auto session = dir.Duplicate();
  if (!session) return Failure(session.ErrorText());
  return std::unique_ptr<SessionMessenger>(new SessionMessenger(std::move(*session)));
}

}  // namespace rqx340
