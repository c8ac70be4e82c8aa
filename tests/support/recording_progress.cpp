// The texts the recording progress sink logs.
#include "support/recording_progress.h"

#include <algorithm>

namespace rqx340::test {

std::size_t CallLog::Count(const std::string& call) const {
  return static_cast<std::size_t>(std::count(m_calls.begin(), m_calls.end(), call));
}

void RecordingProgressSink::SetRange(std::int32_t low, std::int32_t high) {
  m_log.Add("range " + std::to_string(low) + " " + std::to_string(high));
}
void RecordingProgressSink::SetPos(std::int32_t pos) { m_log.Add("pos " + std::to_string(pos)); }
void RecordingProgressSink::SetStep(std::int32_t step) {
  m_log.Add("step " + std::to_string(step));
}

}  // namespace rqx340::test
