// The escapes of shown text. The characters escaped as "\uNNNN" are all two-
// or three-byte UTF-8 sequences, matched as bytes: UTF-8 is self-synchronising,
// so a match never starts inside another character.
#include "base/display_text.h"

namespace rqx340 {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendByteEscape(std::string& out, unsigned char c) {
  out += "\\x";
  out += kHexDigits[c >> 4];
  out += kHexDigits[c & 0x0F];
}

void AppendCodePointEscape(std::string& out, unsigned code_point) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(code_point >> shift) & 0x0F];
}

// The code point of the escaped character that starts `text`, and its length
// in bytes; 0 when none starts there.
std::size_t EscapedCharacterAt(std::string_view text, unsigned& code_point) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  if (text.size() >= 2) {
    // C1 controls U+0080 to U+009F, and the Arabic letter mark U+061C.
    if (byte(0) == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F) {
      code_point = byte(1);
      return 2;
    }
    if (byte(0) == 0xD8 && byte(1) == 0x9C) {
      code_point = 0x061C;
      return 2;
    }
  }
  if (text.size() >= 3 && byte(0) == 0xE2 && (byte(1) == 0x80 || byte(1) == 0x81)) {
    const unsigned value = 0x2000u + ((byte(1) & 0x3Fu) << 6) + (byte(2) & 0x3Fu);
    if ((byte(2) & 0xC0) != 0x80) return 0;
    const bool escaped = value == 0x200E || value == 0x200F || value == 0x2028 || value == 0x2029 ||
                         (value >= 0x202A && value <= 0x202E) ||
                         (value >= 0x2066 && value <= 0x2069);
    if (!escaped) return 0;
    code_point = value;
    return 3;
  }
  return 0;
}

}  // namespace

std::string EscapeForDisplay(std::string_view text, Backslashes backslashes) {
  std::string escaped;
  escaped.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
      AppendByteEscape(escaped, c);
      ++i;
      continue;
    }
    if (c == '\\' && backslashes == Backslashes::kDoubled) {
      escaped += "\\\\";
      ++i;
      continue;
    }
    unsigned code_point = 0;
    if (const std::size_t length = EscapedCharacterAt(text.substr(i), code_point); length > 0) {
      AppendCodePointEscape(escaped, code_point);
      i += length;
      continue;
    }
    escaped += text[i];
    ++i;
  }
  return escaped;
}

}  // namespace rqx340
