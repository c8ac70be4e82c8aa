// Progress bar messages. The position is the control's; the step is kept here.
#include "ui/win32/progress_bar_sink.h"

namespace rqx340 {

void ProgressBarSink::SetRange(std::int32_t low, std::int32_t high) {
  SendMessageW(m_hBar, PBM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

void ProgressBarSink::SetPos(std::int32_t pos) {
  SendMessageW(m_hBar, PBM_SETPOS, static_cast<WPARAM>(pos), 0);
}

void ProgressBarSink::SetStep(std::int32_t step) { m_nStep = step; }

void ProgressBarSink::StepIt() {
  // The control's own PBM_STEPIT wraps by another rule.
  PBRANGE range{};
  SendMessageW(m_hBar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const auto pos = static_cast<std::int32_t>(SendMessageW(m_hBar, PBM_GETPOS, 0, 0));
  SetPos(SteppedPosition(pos, m_nStep, range.iLow, range.iHigh));
}

void ProgressBarSink::Show() {
  ShowWindow(m_hBar, SW_SHOW);
  if (m_visibility) m_visibility(true);
  UpdateWindow(m_hBar);
}

void ProgressBarSink::Hide() {
  ShowWindow(m_hBar, SW_HIDE);
  if (m_visibility) m_visibility(false);
}

}  // namespace rqx340
