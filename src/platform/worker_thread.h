// A thread of this process and the events it waits on, as the system has them:
// on Windows event objects and a thread of the C runtime (_beginthreadex), on
// POSIX a condition variable and std::thread. The folder browser's worker is
// the one user.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace rqx340 {

// An event: manual-reset (stays signalled until reset) or auto-reset (one
// waiter takes the signal and clears it).
class ThreadEvent {
 public:
  // Throws std::system_error when the system has no event to give.
  ThreadEvent(bool manualReset, bool signalled);
  ~ThreadEvent();
  ThreadEvent(const ThreadEvent&) = delete;
  ThreadEvent& operator=(const ThreadEvent&) = delete;

  void Set();
  void Reset();
  void Wait() { WaitFor(std::nullopt); }
  // False when `timeout` passed first; nullopt waits without limit.
  bool WaitFor(std::optional<std::chrono::milliseconds> timeout);
  bool IsSignalled() const;

  struct State;

 private:
  std::unique_ptr<State> m_state;
};

// One thread, started once and joined once.
class WorkerThread {
 public:
  WorkerThread();
  // Joins a thread that is still running.
  ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Runs `body` on a new thread. Throws std::system_error when the thread
  // cannot be made, or when one was started and not joined.
  void Start(std::function<void()> body);
  bool Joinable() const;
  // Waits until the thread has ended and lets it go; nothing without one.
  void Join();

  struct State;

 private:
  std::unique_ptr<State> m_state;
};

}  // namespace rqx340
