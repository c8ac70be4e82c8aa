// Events on a mutex and a condition variable; the thread is a std::thread.
#include "platform/worker_thread.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace rqx340 {

struct ThreadEvent::State {
  bool manual_reset;
  bool signalled;
  mutable std::mutex mutex;
  std::condition_variable changed;
};

ThreadEvent::ThreadEvent(bool manualReset, bool signalled)
    : m_state(new State{manualReset, signalled, {}, {}}) {}

ThreadEvent::~ThreadEvent() = default;

void ThreadEvent::Set() {
  {
    const std::lock_guard lock(m_state->mutex);
    m_state->signalled = true;
  }
  m_state->changed.notify_all();
}

void ThreadEvent::Reset() {
  const std::lock_guard lock(m_state->mutex);
  m_state->signalled = false;
}

bool ThreadEvent::WaitFor(std::optional<std::chrono::milliseconds> timeout) {
  std::unique_lock lock(m_state->mutex);
  const auto signalled = [this] { return m_state->signalled; };
  if (timeout) {
    if (!m_state->changed.wait_for(lock, *timeout, signalled)) return false;
  } else {
    m_state->changed.wait(lock, signalled);
  }
  if (!m_state->manual_reset) m_state->signalled = false;
  return true;
}

bool ThreadEvent::IsSignalled() const {
  const std::lock_guard lock(m_state->mutex);
  return m_state->signalled;
}

struct WorkerThread::State {
  std::thread thread;
};

WorkerThread::WorkerThread() : m_state(std::make_unique<State>()) {}

WorkerThread::~WorkerThread() { Join(); }

void WorkerThread::Start(std::function<void()> body) {
  if (Joinable())
    throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
  m_state->thread = std::thread(std::move(body));
}

bool WorkerThread::Joinable() const { return m_state->thread.joinable(); }

void WorkerThread::Join() {
  if (m_state->thread.joinable()) m_state->thread.join();
}

}  // namespace rqx340
