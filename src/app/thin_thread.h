// A worker thread that waits for a signal and then does one unit of work, with
// the stop protocol of the application's shutdown: the stop flag, a signal to
// wake the worker, the wait for its end event, then the join.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

#include "platform/worker_thread.h"

namespace rqx340 {

class CThinThread {
 public:
  CThinThread() = default;
  // A derived class stops the worker in its own destructor, while its OnEnd
  // still exists; this one only stops a worker that is still running.
  virtual ~CThinThread();
  CThinThread(const CThinThread&) = delete;
  CThinThread& operator=(const CThinThread&) = delete;

  // Starts the worker: the end event reset, the stop flag cleared. Throws
  // std::system_error when the thread cannot be made.
  void Start();
  // Ends the worker and waits for it; returns at once when none was started.
  void Stop();
  bool Started() const { return m_hThread.Joinable(); }
  // Lets the worker run OnWork once.
  void SignalWork() { m_workEvent.Set(); }
  bool Ended() const { return m_endEvent.IsSignalled(); }

 protected:
  virtual void OnStart() {}
  virtual void OnWork() = 0;
  virtual void OnEnd() {}

  // How long the worker waits for work; nullopt: without limit.
  std::optional<std::chrono::milliseconds> m_dwTimeout;

 private:
  void Run();

  ThreadEvent m_workEvent{false, false};
  ThreadEvent m_endEvent{true, true};
  std::atomic<std::int32_t> m_bStop{0};
  WorkerThread m_hThread;
};

}  // namespace rqx340
