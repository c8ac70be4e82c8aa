// The bar's own range holds the position; StepIt follows the one rule.
#include "ui/qt/progress_bar_sink.h"

#include <algorithm>

namespace rqx340 {

void ProgressBarSink::SetRange(std::int32_t low, std::int32_t high) {
  m_bar.setRange(low, std::max(high, low + 1));
  m_bar.setValue(low);
}

void ProgressBarSink::SetPos(std::int32_t pos) {
  m_bar.setValue(std::clamp(pos, m_bar.minimum(), m_bar.maximum()));
}

void ProgressBarSink::StepIt() {
  m_bar.setValue(SteppedPosition(m_bar.value(), m_nStep, m_bar.minimum(), m_bar.maximum()));
}

}  // namespace rqx340
