// The worker thread's loop and its stop protocol.
#include "app/thin_thread.h"

namespace rqx340 {

CThinThread::~CThinThread() { Stop(); }

void CThinThread::Start() {
  if (Started()) return;
  m_endEvent.Reset();
  m_bStop.exchange(0);
  try {
    m_hThread.Start([this] { Run(); });
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
  if (!m_hThread.Joinable()) return;
  m_bStop.exchange(1);
  m_workEvent.Set();
  m_endEvent.Wait();
  m_hThread.Join();
}

}  // namespace rqx340
