// What the two halves of window.cpp share with its portable part: the queue in
// which a window's messages wait for its owner, and how the portable part finds
// an endpoint's queue in the system's state.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>

#include "platform/native_handle.h"
#include "platform/window.h"

namespace rqx340 {

// Filled by the endpoint's own thread, emptied by its owner.
class MessageQueue {
 public:
  // At most `capacity` messages wait at once.
  explicit MessageQueue(std::size_t capacity = std::numeric_limits<std::size_t>::max())
      : m_nCapacity(capacity) {}

  // Queues `message` with the handle its answer goes to (none for a posted
  // one). False, and both dropped, when the queue is full or closed: a dropped
  // reply handle answers the sender kSendFailed. The owner is told by
  // NotifyArrival, which the caller may put off until it has answered a poster.
  bool Push(const WindowMessage& message, UniqueNativeHandle reply);
  void NotifyArrival();

  // Drops what waits and refuses everything from now on: a sender must not
  // wait for an owner that will never look again.
  void Close();

  // Messages whose senders wait for an answer.
  std::size_t QueuedSenders();

  std::optional<IncomingMessage> Take();
  // Waits at most `timeout_ms` (negative: forever) for a message.
  std::optional<IncomingMessage> Wait(int timeout_ms);

  void SetArrivalCallback(std::function<void()> arrived);

 private:
  struct Pending {
    WindowMessage message;
    UniqueNativeHandle reply;  // none for a posted message
  };

  // With m_mutex held and a message waiting.
  IncomingMessage TakeFront();

  const std::size_t m_nCapacity;
  std::mutex m_mutex;
  std::condition_variable m_arrived;
  std::deque<Pending> m_queue;
  bool m_bClosed = false;
  // Held while the callback runs, so replacing it waits for a running call.
  std::mutex m_callbackMutex;
  std::function<void()> m_arrivalCallback;
};

namespace sys {

// The queue of an endpoint, which lives in the system's state of it.
MessageQueue& QueueOf(MessageEndpoint::State& state);

}  // namespace sys

}  // namespace rqx340
