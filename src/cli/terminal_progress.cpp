// Draws the bar on one line with a carriage return and redraws it only when
// the shown tenth of a percent changes, so a fast loop costs no terminal output.
#include "cli/terminal_progress.h"

#include <algorithm>

#include "cli/terminal_text.h"
#include "platform/terminal.h"

namespace rqx340::cli {

TerminalProgress::TerminalProgress()
    : TerminalProgress(stderr, StandardErrorIsTerminal(),
                       StandardErrorIsTerminal() ? StandardErrorColumns() : 80) {}

TerminalProgress::TerminalProgress(std::FILE* out, bool enabled, int columns)
    : m_out(out), m_bEnabled(enabled), m_nColumns(std::max(columns, 20)) {}

TerminalProgress::~TerminalProgress() { Hide(); }

void TerminalProgress::SetLabel(std::string label) {
  // A file name may hold control characters; the terminal must not see them.
  m_strLabel = EscapeControls(label);
  Draw(true);
}

void TerminalProgress::SetRange(std::int32_t low, std::int32_t high) {
  m_nLow = low;
  m_nHigh = high;
  Draw(false);
}

void TerminalProgress::SetPos(std::int32_t pos) {
  m_nPos = pos;
  Draw(false);
}

void TerminalProgress::SetStep(std::int32_t step) { m_nStep = step; }

void TerminalProgress::StepIt() {
  m_nPos = SteppedPosition(m_nPos, m_nStep, m_nLow, m_nHigh);
  Draw(false);
}

void TerminalProgress::Show() {
  m_bVisible = true;
  Draw(true);
}

void TerminalProgress::Hide() {
  if (m_bEnabled && m_bVisible) {
    std::fputs("\r\033[K", m_out);
    std::fflush(m_out);
  }
  m_bVisible = false;
  m_nDrawnPermille = -1;
}

void TerminalProgress::Draw(bool force) {
  if (!m_bEnabled || !m_bVisible) return;
  const std::int64_t span = static_cast<std::int64_t>(m_nHigh) - m_nLow;
  const std::int64_t done = std::clamp<std::int64_t>(static_cast<std::int64_t>(m_nPos) - m_nLow, 0,
                                                     std::max<std::int64_t>(span, 0));
  const int permille = span > 0 ? static_cast<int>(done * 1000 / span) : 1000;
  if (!force && permille == m_nDrawnPermille) return;
  m_nDrawnPermille = permille;

  std::string label = m_strLabel;
  const int bar_width = std::clamp(m_nColumns - 10 - static_cast<int>(label.size()), 10, 50);
  if (static_cast<int>(label.size()) > m_nColumns - bar_width - 10) {
    label.resize(static_cast<std::size_t>(std::max(0, m_nColumns - bar_width - 10)));
  }
  const int filled = permille * bar_width / 1000;
  std::string line = "\r" + label + (label.empty() ? "[" : " [");
  line.append(static_cast<std::size_t>(filled), '#');
  line.append(static_cast<std::size_t>(bar_width - filled), '.');
  char percent[16];
  std::snprintf(percent, sizeof percent, "] %3d%%", permille / 10);
  line += percent;
  line += "\033[K";
  std::fputs(line.c_str(), m_out);
  std::fflush(m_out);
}

}  // namespace rqx340::cli
