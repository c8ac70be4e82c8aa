// Conversion between the program's UTF-8 text and the host's ANSI code page,
// single-byte (1252, 1251, ...) or double-byte (932, 936, 949, 950). Everything
// the host reads as text goes through here, in one place, and so does every cut
// of such a text to a field's length.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/result.h"

namespace rqx340 {

// U+FFFD, for what a text cannot carry.
inline constexpr char32_t kReplacementCharacter = 0xFFFD;

namespace code_page {
struct Tables;
}

class CodePage {
 public:
  // A single-byte Windows code page (1252, 1250, 874, ...) or one of the
  // double-byte ANSI code pages 932, 936, 949 and 950, with the mappings of the
  // Windows system; fails when this system does not know it, or it is another
  // multi-byte code page. The tables are built here, once per call.
  static Result<CodePage> Open(int number);

  int Number() const;
  bool IsDoubleByte() const;
  // A byte that starts a two-byte character (none on a single-byte page).
  bool IsLeadByte(char byte) const;

  // The code page's default character ("?") for every character the code page
  // lacks and for every maximal ill-formed UTF-8 subpart; no transliteration.
  std::string FromUtf8(std::string_view utf8) const;

  // Bytes the code page leaves undefined become U+FFFD. On a double-byte page a
  // lead byte and a following byte of 0x40 or more are one character (U+FFFD
  // when the pair is undefined); a lead byte before anything else, or at the
  // end, is U+FFFD on its own.
  std::string ToUtf8(std::string_view bytes) const;

  // The longest prefix of `bytes` (text in this code page) of at most `limit`
  // bytes that holds whole characters only: never the lead byte of a
  // character without its second byte. On a single-byte page the plain cut.
  std::string_view Prefix(std::string_view bytes, std::size_t limit) const;

  // Every character of `utf8` has a place in the code page and comes back as
  // itself: a file name the host can spell.
  bool CanExpress(std::string_view utf8) const;

 private:
  explicit CodePage(std::shared_ptr<const code_page::Tables> tables);

  std::shared_ptr<const code_page::Tables> m_tables;
};

// The ANSI code page Windows gives a system of this POSIX locale name
// ("ja_JP.UTF-8" gives 932, "sr_RS@latin" 1250): by language and region; 1252
// for C, POSIX, an empty name and every language without a code page of its own.
int AnsiCodePageOfLocale(std::string_view locale_name);

// The system's own ANSI code page, the one in force when RQX340_ANSI_CODEPAGE
// is unset: on POSIX the one of the locale (LC_ALL, else LC_CTYPE, else LANG),
// on Windows the system's (GetACP). Fails, saying why for the user, when it is
// not usable.
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

// `ansi` as a text field of the host holds it: up to its first NUL, then cut
// to at most `limit` bytes without splitting a character of the ANSI code page.
std::string_view AnsiFieldText(std::string_view ansi, std::size_t limit);

// Decodes one UTF-8 sequence at the front of `text`. Returns the code point, or
// nullopt for a maximal ill-formed subpart; `length` receives the bytes consumed
// (at least 1 for non-empty text; 0, with nullopt, for empty text).
std::optional<char32_t> DecodeUtf8(std::string_view text, std::size_t& length);

// Appends the UTF-8 form of `code_point`.
void AppendUtf8(std::string& out, char32_t code_point);

// Valid UTF-8 with every ill-formed subpart replaced by U+FFFD.
std::string SanitizeUtf8(std::string_view text);

}  // namespace rqx340
