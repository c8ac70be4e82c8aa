// Progress sink and message pump that record their calls, in order, in one log.
#pragma once

#include <cstdint>
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

}  // namespace rqx340::test
