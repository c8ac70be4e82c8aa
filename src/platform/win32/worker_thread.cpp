// Events are event objects; the thread is one of the C runtime
// (_beginthreadex), so the runtime's per-thread data is set up and freed with it.
#include "platform/worker_thread.h"

#include <process.h>

#include <system_error>

#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

std::system_error LastSystemError() {
  return std::system_error(static_cast<int>(GetLastError()), std::system_category());
}

}  // namespace

struct ThreadEvent::State {
  HANDLE event = nullptr;
  bool manual_reset = false;
};

ThreadEvent::ThreadEvent(bool manualReset, bool signalled) : m_state(std::make_unique<State>()) {
  m_state->manual_reset = manualReset;
  m_state->event = CreateEventW(nullptr, manualReset, signalled, nullptr);
  if (m_state->event == nullptr) throw LastSystemError();
}

ThreadEvent::~ThreadEvent() { CloseHandle(m_state->event); }

void ThreadEvent::Set() { SetEvent(m_state->event); }

void ThreadEvent::Reset() { ResetEvent(m_state->event); }

bool ThreadEvent::WaitFor(std::optional<std::chrono::milliseconds> timeout) {
  DWORD wait = INFINITE;
  if (timeout) {
    // INFINITE is the largest count: anything at or above it waits that long.
    const auto count = timeout->count();
    wait = count <= 0 ? 0 : count >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(count);
  }
  return WaitForSingleObject(m_state->event, wait) == WAIT_OBJECT_0;
}

bool ThreadEvent::IsSignalled() const {
  // A manual-reset event is left as it is by a zero wait; an auto-reset one
  // would be taken, so it is put back.
  if (WaitForSingleObject(m_state->event, 0) != WAIT_OBJECT_0) return false;
  if (!m_state->manual_reset) SetEvent(m_state->event);
  return true;
}

struct WorkerThread::State {
  HANDLE thread = nullptr;
  std::function<void()> body;

  static unsigned __stdcall Entry(void* state) {
    static_cast<State*>(state)->body();
    return 0;
  }
};

WorkerThread::WorkerThread() : m_state(std::make_unique<State>()) {}

WorkerThread::~WorkerThread() { Join(); }

void WorkerThread::Start(std::function<void()> body) {
  if (Joinable())
    throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
  m_state->body = std::move(body);
  const auto thread = _beginthreadex(nullptr, 0, &State::Entry, m_state.get(), 0, nullptr);
  if (thread == 0) {
    m_state->body = nullptr;
    throw std::system_error(errno, std::generic_category());
  }
  m_state->thread = reinterpret_cast<HANDLE>(thread);
}

bool WorkerThread::Joinable() const { return m_state->thread != nullptr; }

void WorkerThread::Join() {
  if (m_state->thread == nullptr) return;
  SetThreadPriority(m_state->thread, THREAD_PRIORITY_NORMAL);
  WaitForSingleObject(m_state->thread, INFINITE);
  CloseHandle(m_state->thread);
  m_state->thread = nullptr;
  m_state->body = nullptr;
}

}  // namespace rqx340
