// The progress bar as the core drives it: the one adapter of every Qt bar.
#pragma once

#include <QProgressBar>
#include <cstdint>

#include "base/progress.h"

namespace rqx340 {

class ProgressBarSink final : public ProgressSink {
 public:
  explicit ProgressBarSink(QProgressBar& bar) : m_bar(bar) {}
  // An empty range (a file below one block) would turn the bar into a busy
  // indicator: it gets one step.
  void SetRange(std::int32_t low, std::int32_t high) override;
  void SetPos(std::int32_t pos) override;
  void SetStep(std::int32_t step) override { m_nStep = step; }
  void StepIt() override;
  void Show() override { m_bar.show(); }
  void Hide() override { m_bar.hide(); }

 private:
  QProgressBar& m_bar;
  std::int32_t m_nStep = 10;
};

}  // namespace rqx340
