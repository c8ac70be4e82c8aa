// Progress sink and message pumps that record their calls, in order, in one
// log, and a pump that stops the work as Ctrl-C on the command line does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/progress.h"

namespace rqx340::test {

class CallLog {
 public:
  void Add(std::string call) { m_calls.push_back(std::move(call)); }
  const std::vector<std::string>& Calls() const { return m_calls; }
  // How often `call` was logged.
  std::size_t Count(const std::string& call) const;

 private:
  std::vector<std::string> m_calls;
};

// Logs "range 0 25", "pos 0", "step 1", "stepit", "show", "hide".
class RecordingProgressSink final : public ProgressSink {
 public:
  explicit RecordingProgressSink(CallLog& log) : m_log(log) {}
  void SetRange(std::int32_t low, std::int32_t high) override;
  void SetPos(std::int32_t pos) override;
  void SetStep(std::int32_t step) override;
  void StepIt() override { m_log.Add("stepit"); }
  void Show() override { m_log.Add("show"); }
  void Hide() override { m_log.Add("hide"); }

 private:
  CallLog& m_log;
};

// Logs "pump"; checks that the stop flag it is handed is 0.
class RecordingMessagePump final : public MessagePump {
 public:
  explicit RecordingMessagePump(CallLog& log) : m_log(log) {}
  bool PumpPendingMessages(std::int32_t* stop) override {
    m_log.Add(stop != nullptr && *stop == 0 ? "pump" : "pump(stop set)");
    return true;
  }

 private:
  CallLog& m_log;
};

// Sets the stop flag from the call on which `stop_now` (asked with the call's
// number, 1 for the first) first says so, and on every call after. Logs "pump"
// before that, then "pump: stop".
class StoppingMessagePump final : public MessagePump {
 public:
  StoppingMessagePump(CallLog& log, std::function<bool(std::size_t call)> stop_now)
      : m_log(log), m_stopNow(std::move(stop_now)) {}
  bool PumpPendingMessages(std::int32_t* stop) override {
    m_bStopping = m_bStopping || m_stopNow(++m_nCalls);
    m_log.Add(m_bStopping ? "pump: stop" : "pump");
    if (m_bStopping && stop != nullptr) *stop = 1;
    return !m_bStopping;
  }

 private:
  CallLog& m_log;
  std::function<bool(std::size_t)> m_stopNow;
  std::size_t m_nCalls = 0;
  bool m_bStopping = false;
};

}  // namespace rqx340::test
