// Conversion between the program's UTF-8 text and the host's single-byte ANSI
// code page. Everything the host reads as text goes through here, in one place.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"

namespace rqx340 {

// U+FFFD, for what a text cannot carry.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

class CodePage {
 public:
  // A single-byte Windows code page (1252, 1250, ...) as the system defines it;
  // fails when the system does not know it or it is not single-byte.
  static Result<CodePage> Open(int number);

  int Number() const { return m_nNumber; }

  // One "?" for every character the code page lacks and for every maximal
  // ill-formed UTF-8 subpart; no transliteration.
  std::string FromUtf8(std::string_view utf8) const;

  // Bytes the code page leaves undefined become U+FFFD.
  std::string ToUtf8(std::string_view bytes) const;

 private:
  CodePage() = default;

  int m_nNumber = 0;
  std::array<char32_t, 256> m_toUnicode{};
  // Index: a BMP code point; value: byte + 1, or 0 when the code page lacks it.
  std::shared_ptr<const std::array<std::uint16_t, 0x10000>> m_fromUnicode;
};

// The system's own ANSI code page, the one in force when RQX340_ANSI_CODEPAGE
// is unset: 1252 on POSIX, the system's (GetACP) on Windows. Fails, saying why
// for the user, when it is not usable.
Result<CodePage> SystemAnsiCodePage();

// The host's ANSI code page: RQX340_ANSI_CODEPAGE (an empty value counts as
// unset) or else the system's. Read once; fails, saying why for the user, when the
// variable names an unusable code page.
const Result<CodePage>& AnsiCodePageSetting();

// The ANSI code page in force; Windows-1252 when the setting is unusable (the
// programs refuse to start in that case, see AnsiCodePageSetting).
const CodePage& AnsiCodePage();

inline std::string ToAnsi(std::string_view utf8) { return AnsiCodePage().FromUtf8(utf8); }
inline std::string FromAnsi(std::string_view ansi) { return AnsiCodePage().ToUtf8(ansi); }

// Decodes one UTF-8 sequence at the front of `text`. Returns the code point, or
// nullopt for a maximal ill-formed subpart; `length` receives the bytes consumed
// (at least 1 for non-empty text; 0, with nullopt, for empty text).
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& length);

// Appends the UTF-8 form of `code_point`.
void AppendUtf8(std::string& out, char32_t code_point);

// Valid UTF-8 with every ill-formed subpart replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view text);

}  // namespace rqx340
