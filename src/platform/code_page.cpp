// The UTF-8 codec and the conversions through a code page's tables. No system
// calls: the tables come from the system's half (posix/code_page.cpp).
#include "platform/code_page.h"

#include <cerrno>
#include <cstdlib>

#include "platform/environment.h"

namespace rqx340 {

std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& length) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  length = 0;
  if (text.empty()) return std::nullopt;  // nothing to consume; text[0] would not exist
  const unsigned char lead = byte(0);
  length = 1;
  if (lead < 0x80) return lead;

  std::size_t need;
  unsigned char low = 0x80, high = 0xBF;
  char32_t code_point;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 2;
    code_point = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 3;
    code_point = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 4;
    code_point = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return std::nullopt;
  }
  for (std::size_t i = 1; i < need; ++i) {
    if (i >= text.size()) return std::nullopt;
    const unsigned char next = byte(i);
    if (next < low || next > high) return std::nullopt;
    low = 0x80;
    high = 0xBF;
    code_point = (code_point << 6) | (next & 0x3F);
    length = i + 1;
  }
  return code_point;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  std::string out;
  out.reserve(utf8.size());
  const auto& table = *m_fromUnicode;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80 && table[b] == b + 1u) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    std::size_t length = 0;
    const auto code_point = DecodeUtf8(utf8.substr(i), length);
    i += length;
    if (code_point && *code_point < 0x10000 && table[*code_point] != 0) {
      out += static_cast<char>(table[*code_point] - 1);
    } else {
      out += '?';
    }
  }
  return out;
}

std::string CodePage::ToUtf8(std::string_view bytes) const {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) AppendUtf8(out, m_toUnicode[static_cast<unsigned char>(c)]);
  return out;
}

std::string SanitizeUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::size_t length = 0;
    const auto code_point = DecodeUtf8(text.substr(i), length);
    if (code_point) {
      out.append(text.substr(i, length));
    } else {
      AppendUtf8(out, kReplacementCharacter);
    }
    i += length;
  }
  return out;
}

const Result<CodePage>& AnsiCodePageSetting() {
  static const Result<CodePage> setting = []() -> Result<CodePage> {
    const auto value = GetEnvironment("RQX340_ANSI_CODEPAGE");
    if (!value || value->empty()) return SystemAnsiCodePage();
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(value->c_str(), &end, 10);
    if (errno == 0 && *end == '\0' && number > 0 && number < 100000) {
      if (auto page = CodePage::Open(static_cast<int>(number))) return page;
    }
    return Failure("RQX340_ANSI_CODEPAGE=" + *value +
                   " is not a single-byte code page this system knows");
  }();
  return setting;
}

const CodePage& AnsiCodePage() {
  static const CodePage fallback = [] {
    const auto& setting = AnsiCodePageSetting();
    if (setting) return *setting;
    if (auto page = CodePage::Open(1252)) return *page;
    std::abort();  // glibc always ships CP1252; without it no text can be written
  }();
  return fallback;
}

}  // namespace rqx340
