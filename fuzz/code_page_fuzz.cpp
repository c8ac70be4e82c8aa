// Code page conversion on arbitrary bytes: UTF-8 to a single-byte Windows code
// page and back, the UTF-8 decoder and the sanitizer.
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

const std::array<Result<CodePage>, 9>& Pages() {
  static const std::array<Result<CodePage>, 9> pages = {
      CodePage::Open(1252), CodePage::Open(1250), CodePage::Open(1251),
      CodePage::Open(1253), CodePage::Open(1254), CodePage::Open(1255),
      CodePage::Open(1257), CodePage::Open(1258), CodePage::Open(874)};
  return pages;
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

  // One byte or "?" per character or ill-formed subpart.
  const std::string ansi = page->FromUtf8(text);
  FUZZ_CHECK(ansi.size() <= text.size());
  FUZZ_CHECK(page->FromUtf8(sane).size() == ansi.size());

  // Every byte of the code page comes back as itself, or as "?" when the code
  // page leaves it undefined.
  const std::string utf8 = page->ToUtf8(text);
  FUZZ_CHECK(IsValidUtf8(utf8));
  const std::string back = page->FromUtf8(utf8);
  FUZZ_CHECK(back.size() == text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (back[i] == text[i]) continue;
    FUZZ_CHECK(back[i] == '?' && page->ToUtf8(text.substr(i, 1)) == kReplacement);
  }
  return 0;
}
