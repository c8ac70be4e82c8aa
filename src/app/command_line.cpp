// sscanf's rules for the host's command-line pattern, written out so that they
// do not depend on the C runtime (and saturate where glibc would wrap).
#include "app/command_line.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>

namespace rqx340 {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::optional<int> HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return std::nullopt;
}

class Scanner {
 public:
  explicit Scanner(std::string_view text) : m_text(text) {}

  void SkipBlanks() {
    while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) ++m_pos;
  }

  bool Literal(char c) {
    if (m_pos >= m_text.size() || m_text[m_pos] != c) return false;
    ++m_pos;
    return true;
  }

  // %8X: an optional sign, an optional "0x", hexadecimal digits, all within
  // `width` characters. As glibc does, a "0x" without digits after it reads as 0.
  std::optional<std::uint32_t> Hex(std::size_t width) {
    SkipBlanks();
    const std::size_t end = m_pos + std::min(width, m_text.size() - m_pos);
    std::size_t pos = m_pos;
    bool negative = false;
    if (pos < end && (m_text[pos] == '+' || m_text[pos] == '-')) {
      negative = m_text[pos] == '-';
      ++pos;
    }
    bool have_digits = false;
    if (pos < end && m_text[pos] == '0') {
      // The 0 of a "0x" is a digit of its own.
      ++pos;
      have_digits = true;
      if (pos < end && (m_text[pos] == 'x' || m_text[pos] == 'X')) ++pos;
    }
    std::uint32_t value = 0;
    while (pos < end) {
      const auto digit = HexDigit(m_text[pos]);
      if (!digit) break;
      value = value * 16 + static_cast<std::uint32_t>(*digit);
      have_digits = true;
      ++pos;
    }
    if (!have_digits) return std::nullopt;
    m_pos = pos;
    return negative ? 0u - value : value;
  }

  // %d: an optional sign and decimal digits, saturating at the 32-bit limits.
  std::optional<std::int32_t> Decimal() {
    SkipBlanks();
    std::size_t pos = m_pos;
    bool negative = false;
    if (pos < m_text.size() && (m_text[pos] == '+' || m_text[pos] == '-')) {
      negative = m_text[pos] == '-';
      ++pos;
    }
    const std::int64_t limit =
        negative ? -static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::min())
                 : std::numeric_limits<std::int32_t>::max();
    std::int64_t magnitude = 0;
    const std::size_t first_digit = pos;
    while (pos < m_text.size() && m_text[pos] >= '0' && m_text[pos] <= '9') {
      magnitude = std::min<std::int64_t>(magnitude * 10 + (m_text[pos] - '0'), limit);
      ++pos;
    }
    if (pos == first_digit) return std::nullopt;
    m_pos = pos;
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  }

 private:
  std::string_view m_text;
  std::size_t m_pos = 0;
};

}  // namespace

std::string JoinArguments(std::span<const std::string> arguments) {
  std::string line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (i > 0) line += ' ';
    line += arguments[i];
  }
  return line;
}

int MatchCommandLine(std::string_view text, CommandLineFields& fields) {
  Scanner scanner(text);
  if (!scanner.Literal('-') || !scanner.Literal('h')) return 0;
  const auto host = scanner.Hex(8);
  if (!host) return 0;
  fields.host_window = *host;

  std::int32_t* const decimals[] = {&fields.language, &fields.ignored, &fields.exchange_index};
  constexpr char kSwitches[] = {'l', 'k', 'i'};
  int stored = 1;
  for (int i = 0; i < 3; ++i) {
    scanner.SkipBlanks();
    if (!scanner.Literal('-') || !scanner.Literal(kSwitches[i])) return stored;
    const auto value = scanner.Decimal();
    if (!value) return stored;
    *decimals[i] = *value;
    ++stored;
  }
  return stored;
}

}  // namespace rqx340
