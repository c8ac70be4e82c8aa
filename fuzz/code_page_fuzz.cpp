// Code page conversion on arbitrary bytes: UTF-8 to a Windows code page, single-
// or double-byte, and back, the cut at a character boundary, the UTF-8 decoder
// and the sanitizer.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "platform/code_page.h"

namespace {

using namespace rqx340;

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

const std::array<Result<CodePage>, 13>& Pages() {
  static const std::array<Result<CodePage>, 13> pages = {
      CodePage::Open(1252), CodePage::Open(1250), CodePage::Open(1251), CodePage::Open(1253),
      CodePage::Open(1254), CodePage::Open(1255), CodePage::Open(1257), CodePage::Open(1258),
      CodePage::Open(874),  CodePage::Open(932),  CodePage::Open(936),  CodePage::Open(949),
      CodePage::Open(950)};
  return pages;
}

// The length of the character at the front of `bytes` as the code page reads it.
std::size_t CharacterLength(const CodePage& page, std::string_view bytes) {
  return page.IsLeadByte(bytes[0]) && bytes.size() > 1 &&
                 static_cast<unsigned char>(bytes[1]) >= 0x40
             ? 2
             : 1;
}

bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    std::size_t length = 0;
    if (!DecodeUtf8(text, length)) return false;
    text.remove_prefix(length);
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    std::size_t length = 99;
    DecodeUtf8({}, length);
    return 0;
  }
  const auto& page = Pages()[data[0] % Pages().size()];
  FUZZ_CHECK(page.Ok());
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  // The decoder consumes 1 to 4 bytes, never more than there are.
  std::size_t decoded_bytes = 0;
  bool valid = true;
  for (std::string_view rest = text; !rest.empty();) {
    std::size_t length = 0;
    const auto code_point = DecodeUtf8(rest, length);
    FUZZ_CHECK(length >= 1 && length <= 4 && length <= rest.size());
    if (code_point) {
      FUZZ_CHECK(*code_point <= 0x10FFFF && (*code_point < 0xD800 || *code_point > 0xDFFF));
      std::string again;
      AppendUtf8(again, *code_point);
      FUZZ_CHECK(again == rest.substr(0, length));
    } else {
      valid = false;
    }
    decoded_bytes += length;
    rest.remove_prefix(length);
  }
  FUZZ_CHECK(decoded_bytes == text.size());

  const std::string sane = SanitizeUtf8(text);
  FUZZ_CHECK(IsValidUtf8(sane));
  FUZZ_CHECK(valid ? sane == text : sane != text);
  FUZZ_CHECK(SanitizeUtf8(sane) == sane);

  // At most one byte per byte of UTF-8: "?" per character or ill-formed
  // subpart, two bytes only for a character of two or more.
  const std::string ansi = page->FromUtf8(text);
  FUZZ_CHECK(ansi.size() <= text.size());
  FUZZ_CHECK(page->FromUtf8(sane).size() == ansi.size());

  const std::string utf8 = page->ToUtf8(text);
  FUZZ_CHECK(IsValidUtf8(utf8));
  if (!page->IsDoubleByte()) {
    // Every byte of the code page comes back as itself, or as "?" when the code
    // page leaves it undefined.
    const std::string back = page->FromUtf8(utf8);
    FUZZ_CHECK(back.size() == text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (back[i] == text[i]) continue;
      FUZZ_CHECK(back[i] == '?' && page->ToUtf8(text.substr(i, 1)) == kReplacement);
    }
  } else {
    // Every character reads back as itself (its bytes, or the other code of a
    // character held twice), or is "?" where the code page leaves it undefined.
    std::string pieces;
    for (std::string_view rest = text; !rest.empty();) {
      const std::string_view character = rest.substr(0, CharacterLength(*page, rest));
      const std::string read = page->ToUtf8(character);
      const std::string back = page->FromUtf8(read);
      FUZZ_CHECK(read == kReplacement ? back == "?" : page->ToUtf8(back) == read);
      pieces += read;
      rest.remove_prefix(character.size());
    }
    FUZZ_CHECK(pieces == utf8);
  }

  // A cut keeps whole characters: the prefix reads as the start of the text,
  // and at most the one byte of a character that does not fit is lost.
  const std::size_t limit =
      text.empty() ? 0 : static_cast<unsigned char>(text.back()) % (text.size() + 2);
  const std::string_view prefix = page->Prefix(text, limit);
  FUZZ_CHECK(prefix.size() <= limit && text.substr(0, prefix.size()) == prefix);
  FUZZ_CHECK(prefix.size() + (page->IsDoubleByte() ? 1 : 0) >= std::min(limit, text.size()));
  FUZZ_CHECK(utf8.substr(0, page->ToUtf8(prefix).size()) == page->ToUtf8(prefix));
  return 0;
}
