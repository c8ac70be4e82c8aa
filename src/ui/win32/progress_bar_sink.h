// The progress bar control (msctls_progress32) as the core drives it: the one
// adapter of every Win32 bar.
#pragma once

#include <cstdint>
#include <functional>

#include "base/progress.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

class ProgressBarSink final : public ProgressSink {
 public:
  explicit ProgressBarSink(HWND bar = nullptr) : m_hBar(bar) {}
  void Attach(HWND bar) { m_hBar = bar; }
  // Called with true after the bar shows, false after it hides: what stands in
  // its place while it is hidden follows it.
  void SetVisibilityHandler(std::function<void(bool)> handler) {
    m_visibility = std::move(handler);
  }

  void SetRange(std::int32_t low, std::int32_t high) override;
  void SetPos(std::int32_t pos) override;
  void SetStep(std::int32_t step) override;
  // By the rule of every sink (SteppedPosition).
  void StepIt() override;
  void Show() override;
  void Hide() override;

 private:
  HWND m_hBar;
  std::int32_t m_nStep = 10;
  std::function<void(bool)> m_visibility;
};

}  // namespace rqx340
