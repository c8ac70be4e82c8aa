// A progress bar drawn on standard error, for commands that convert or import.
// It draws only when standard error is a terminal, so logs and pipes stay clean.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/progress.h"

namespace rqx340::cli {

class TerminalProgress final : public ProgressSink {
 public:
  // On standard error, when it is a terminal.
  TerminalProgress();
  // On `out`, when `enabled`, `columns` wide.
  TerminalProgress(std::FILE* out, bool enabled, int columns);
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  // The text before the bar, such as the phase and the file.
  void SetLabel(std::string label);

  void SetRange(std::int32_t low, std::int32_t high) override;
  void SetPos(std::int32_t pos) override;
  void SetStep(std::int32_t step) override;
  void StepIt() override;
  void Show() override;
  void Hide() override;

  // Clears the bar's line while `print` writes, then draws the bar again, so
  // that a message never shares its line.
  template <typename Print>
  void Interrupt(Print&& print) {
    const bool shown = m_bVisible;
    if (shown) Hide();
    print();
    if (shown) Show();
  }

 private:
  void Draw(bool force);

  std::FILE* m_out;
  bool m_bEnabled;
  int m_nColumns;
  bool m_bVisible = false;
  std::string m_strLabel;
  std::int32_t m_nLow = 0;
  std::int32_t m_nHigh = 100;
  std::int32_t m_nPos = 0;
  std::int32_t m_nStep = 10;
  int m_nDrawnPermille = -1;
};

}  // namespace rqx340::cli
