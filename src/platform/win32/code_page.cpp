// Code page tables from the system's own converter: each byte is converted
// once to find the character it stands for, and the reverse table is built
// from that, so text leaves and enters the process exactly as on POSIX. The
// host's code page is the system's ANSI code page unless RQX340_ANSI_CODEPAGE
// names another. Double-byte code pages are refused with a clear error.
#include "platform/code_page.h"

#include "platform/win32/win32_util.h"

namespace rqx340 {

Result<CodePage> CodePage::Open(int number) {
  const auto unknown = [number] {
    return Failure("code page " + std::to_string(number) +
                   " is not a single-byte code page this system knows");
  };
  if (number <= 0 || number == CP_UTF8 || number == CP_UTF7) return unknown();
  // Windows fills the holes of its 874 and 125x tables (0x81 of 1252 ...) with
  // the C1 control of the same number, which the published tables, and so the
  // POSIX layer, leave undefined: treated as holes here too, both builds write
  // the same bytes.
  const bool c1_holes = number == 874 || (number >= 1250 && number <= 1258);
  CPINFO info{};
  if (GetCPInfo(static_cast<UINT>(number), &info) == 0 || info.MaxCharSize != 1) return unknown();

  CodePage page;
  page.m_nNumber = number;
  auto from_unicode = std::make_shared<std::array<std::uint16_t, 0x10000>>();
  from_unicode->fill(0);
  for (int byte = 0; byte < 256; ++byte) {
    const char in = static_cast<char>(byte);
    wchar_t out[4] = {};
    const int got = MultiByteToWideChar(static_cast<UINT>(number), MB_ERR_INVALID_CHARS, &in, 1,
                                        out, 4);
    const bool hole = c1_holes && byte >= 0x80 && byte <= 0x9F && out[0] == byte;
    if (got != 1 || hole || (out[0] >= 0xD800 && out[0] <= 0xDFFF)) {
      page.m_toUnicode[byte] = kReplacementCharacter;
      continue;
    }
    const auto code_point = static_cast<char32_t>(out[0]);
    page.m_toUnicode[byte] = code_point;
    if ((*from_unicode)[code_point] == 0) {
      (*from_unicode)[code_point] = static_cast<std::uint16_t>(byte + 1);
    }
  }
  page.m_fromUnicode = std::move(from_unicode);
  return page;
}

Result<CodePage> SystemAnsiCodePage() {
  const auto number = static_cast<int>(GetACP());
  auto page = CodePage::Open(number);
  if (!page) {
    return Failure("the system's ANSI code page " + std::to_string(number) +
                   " is not a single-byte code page; set RQX340_ANSI_CODEPAGE to one");
  }
  return page;
}

}  // namespace rqx340
