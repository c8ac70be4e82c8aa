// The UTF-8 codec, the conversions through a code page's tables, the cut of a
// text at a character boundary and the code page of a locale. No system calls:
// the tables come from the system's half (posix/ or win32/code_page.cpp).
#include "platform/code_page.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/code_page_tables.h"
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

namespace code_page {

bool IsDoubleByteAnsiCodePage(int number) {
  return number == 932 || number == 936 || number == 949 || number == 950;
}

namespace {

// Windows maps some bytes 0x80-0x9F of its ANSI code pages to the C1 control
// of the same number (0x81 of 1252, 0x80 of 932); the published tables leave
// them undefined, and so does glibc. They are holes on every system, so both
// builds write the same bytes.
bool HasC1Holes(int number) {
  return number == 874 || (number >= 1250 && number <= 1258) || IsDoubleByteAnsiCodePage(number);
}

void Complete(Tables& tables) {
  if (HasC1Holes(tables.number)) {
    for (unsigned byte = 0x80; byte <= 0x9F; ++byte) {
      if (tables.IsLead(byte) || tables.single[byte] != byte) continue;
      tables.single[byte] = kReplacementCharacter;
      if (tables.encode[byte] == SingleByteEncoding(byte)) tables.encode[byte] = kNoEncoding;
    }
  }
  for (unsigned byte = 0; byte < 256; ++byte) {
    const char32_t code_point = tables.single[byte];
    if (tables.IsLead(byte) || code_point == kReplacementCharacter || code_point >= 0x10000) {
      continue;
    }
    if (tables.encode[code_point] == kNoEncoding) {
      tables.encode[code_point] = SingleByteEncoding(byte);
    }
  }
  for (unsigned lead = 0; lead < 256; ++lead) {
    if (!tables.IsLead(lead)) continue;
    for (unsigned trail = kFirstTrailByte; trail < 256; ++trail) {
      const char16_t code_point = tables.Pair(lead, trail);
      if (code_point != 0 && tables.encode[code_point] == kNoEncoding) {
        tables.encode[code_point] = PairEncoding(lead, trail);
      }
    }
  }
}

}  // namespace
}  // namespace code_page

using code_page::kFirstTrailByte;
using code_page::kNoEncoding;
using code_page::PairEncoding;

CodePage::CodePage(std::shared_ptr<const code_page::Tables> tables) : m_tables(std::move(tables)) {}

Result<CodePage> CodePage::Open(int number) {
  std::unique_ptr<code_page::Tables> tables;
  if (number > 0) tables = code_page::ReadSystemTables(number);
  if (!tables) {
    return Failure("code page " + std::to_string(number) +
                   " is not an ANSI code page this system knows");
  }
  code_page::Complete(*tables);
  return CodePage(std::move(tables));
}

int CodePage::Number() const { return m_tables->number; }

bool CodePage::IsDoubleByte() const { return m_tables->double_byte; }

bool CodePage::IsLeadByte(char byte) const {
  return m_tables->IsLead(static_cast<unsigned char>(byte));
}

std::string CodePage::FromUtf8(std::string_view utf8) const {
  std::string out;
  out.reserve(utf8.size());
  const auto& encode = m_tables->encode;
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80 && encode[b] == code_page::SingleByteEncoding(b)) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    std::size_t length = 0;
    const auto code_point = DecodeUtf8(utf8.substr(i), length);
    i += length;
    const std::uint16_t encoding =
        code_point && *code_point < 0x10000 ? encode[*code_point] : kNoEncoding;
    if (encoding == kNoEncoding) {
      out += '?';
    } else if (code_page::IsPairEncoding(encoding)) {
      out += static_cast<char>(encoding >> 8);
      out += static_cast<char>(encoding & 0xFF);
    } else {
      out += static_cast<char>(encoding - 1);
    }
  }
  return out;
}

namespace {

// The length of the character at `bytes[i]`: 2 for a lead byte and its second
// byte, else 1; `whole` is false for a lead byte without one.
std::size_t CharacterLength(const code_page::Tables& tables, std::string_view bytes, std::size_t i,
                            bool& whole) {
  whole = true;
  if (!tables.IsLead(static_cast<unsigned char>(bytes[i]))) return 1;
  if (i + 1 < bytes.size() && static_cast<unsigned char>(bytes[i + 1]) >= kFirstTrailByte) {
    return 2;
  }
  whole = false;
  return 1;
}

}  // namespace

std::string CodePage::ToUtf8(std::string_view bytes) const {
  const code_page::Tables& tables = *m_tables;
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const unsigned char b = static_cast<unsigned char>(bytes[i]);
    bool whole = true;
    const std::size_t length = CharacterLength(tables, bytes, i, whole);
    char32_t code_point = tables.single[b];
    if (length == 2) {
      code_point = tables.Pair(b, static_cast<unsigned char>(bytes[i + 1]));
      if (code_point == 0) code_point = kReplacementCharacter;
    } else if (!whole) {
      code_point = kReplacementCharacter;
    }
    AppendUtf8(out, code_point);
    i += length;
  }
  return out;
}

std::string_view CodePage::Prefix(std::string_view bytes, std::size_t limit) const {
  if (!m_tables->double_byte) return bytes.substr(0, limit);
  std::size_t end = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    bool whole = true;
    const std::size_t length = CharacterLength(*m_tables, bytes, i, whole);
    if (length > limit - i) break;
    i += length;
    if (whole) end = i;
  }
  return bytes.substr(0, end);
}

bool CodePage::CanExpress(std::string_view utf8) const {
  const code_page::Tables& tables = *m_tables;
  for (std::size_t i = 0; i < utf8.size();) {
    std::size_t length = 0;
    const auto code_point = DecodeUtf8(utf8.substr(i), length);
    if (!code_point || *code_point >= 0x10000) return false;
    const std::uint16_t encoding = tables.encode[*code_point];
    if (encoding == kNoEncoding) return false;
    // Some characters are written as a byte that does not read back as them.
    if (tables.Decode(encoding) != *code_point) return false;
    i += length;
  }
  return true;
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

std::string_view AnsiFieldText(std::string_view ansi, std::size_t limit) {
  return AnsiCodePage().Prefix(ansi.substr(0, ansi.find('\0')), limit);
}

namespace {

struct LanguageCodePage {
  std::string_view language;
  int code_page;
};

// The ANSI code page of each language that has one other than 1252, as
// Windows sets it for the language's locales.
constexpr LanguageCodePage kLanguageCodePages[] = {
    {"th", 874},   {"ja", 932},  {"ko", 949},  {"cs", 1250}, {"hu", 1250}, {"pl", 1250},
    {"ro", 1250},  {"sk", 1250}, {"sl", 1250}, {"hr", 1250}, {"bs", 1250}, {"sq", 1250},
    {"tk", 1250},  {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"mk", 1251},
    {"sr", 1251},  {"kk", 1251}, {"ky", 1251}, {"tt", 1251}, {"mn", 1251}, {"ba", 1251},
    {"sah", 1251}, {"tg", 1251}, {"el", 1253}, {"tr", 1254}, {"az", 1254}, {"uz", 1254},
    {"he", 1255},  {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"ug", 1256}, {"et", 1257},
    {"lt", 1257},  {"lv", 1257}, {"vi", 1258},
};

}  // namespace

int AnsiCodePageOfLocale(std::string_view locale_name) {
  // language[_territory][.codeset][@modifier]
  const std::size_t language_end = std::min(locale_name.find_first_of("_.@"), locale_name.size());
  const std::string_view language = locale_name.substr(0, language_end);
  std::string_view territory;
  if (language_end < locale_name.size() && locale_name[language_end] == '_') {
    territory = locale_name.substr(language_end + 1);
    territory = territory.substr(0, std::min(territory.find_first_of(".@"), territory.size()));
  }
  const std::size_t at = locale_name.find('@');
  const std::string_view modifier =
      at == std::string_view::npos ? std::string_view() : locale_name.substr(at + 1);

  if (language == "zh") {
    return territory == "TW" || territory == "HK" || territory == "MO" ? 950 : 936;
  }
  // Serbian and Uzbek are written in two scripts; glibc names the other one by
  // the modifier.
  if (language == "sr" && modifier == "latin") return 1250;
  if (language == "uz" && modifier == "cyrillic") return 1251;
  for (const auto& entry : kLanguageCodePages) {
    if (entry.language == language) return entry.code_page;
  }
  return 1252;
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
                   " is not an ANSI code page this system knows");
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
