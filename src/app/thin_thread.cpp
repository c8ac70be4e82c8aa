// The worker thread and its events.
#include "app/thin_thread.h"

namespace rqx340 {

void ThreadEvent::Set() {
  {
    const std::lock_guard lock(m_mutex);
    m_bSignalled = true;
  }
  m_changed.notify_all();
}

void ThreadEvent::Reset() {
  const std::lock_guard lock(m_mutex);
  m_bSignalled = false;
}

void ThreadEvent::Wait() { WaitFor(std::nullopt); }

bool ThreadEvent::WaitFor(std::optional<std::chrono::milliseconds> timeout) {
  std::unique_lock lock(m_mutex);
  const auto signalled = [this] { return m_bSignalled; };
  if (timeout) {
    if (!m_changed.wait_for(lock, *timeout, signalled)) return false;
  } else {
    m_changed.wait(lock, signalled);
  }
  if (!m_bManualReset) m_bSignalled = false;
  return true;
}

bool ThreadEvent::IsSignalled() const {
  const std::lock_guard lock(m_mutex);
  return m_bSignalled;
}

CThinThread::~CThinThread() { Stop(); }

void CThinThread::Start() {
  if (Started()) return;
  m_endEvent.Reset();
  m_bStop.exchange(0);
  try {
    m_hThread = std::thread([this] { Run(); });
  } catch (...) {
    m_endEvent.Set();
    throw;
  }
}

void CThinThread::Run() {
  OnStart();
  while (m_bStop.load() == 0) {
    // After a timed-out wait the work runs as well.
    m_workEvent.WaitFor(m_dwTimeout);
    if (m_bStop.load() != 0) break;
    OnWork();
  }
  OnEnd();
  m_endEvent.Set();
}

void CThinThread::Stop() {
  if (!m_hThread.joinable()) return;
  m_bStop.exchange(1);
  m_workEvent.Set();
  m_endEvent.Wait();
  m_hThread.join();
}

}  // namespace rqx340
