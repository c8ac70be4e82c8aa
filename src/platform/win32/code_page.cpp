// Code page tables from the system's own converter: each byte, and on a
// double-byte page each lead byte with each second byte, is converted once
// (MultiByteToWideChar), and what each character is written as comes from
// WideCharToMultiByte over the whole BMP without best-fit characters, a few
// thousand characters per call. So text leaves and enters the process as the
// host converts it, without a system call per text. The host's code page is the
// system's ANSI code page unless RQX340_ANSI_CODEPAGE names another.
#include "platform/code_page.h"

#include <array>
#include <string_view>

#include "platform/code_page_tables.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {
namespace code_page {
namespace {

// The character `in` stands for; 0 when it is none, or not one of the BMP.
char16_t Decode(UINT page, const char* in, int size) {
  wchar_t out[4] = {};
  const int got = MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in, size, out, 4);
  if (got != 1 || (out[0] >= 0xD800 && out[0] <= 0xDFFF)) return 0;
  return static_cast<char16_t>(out[0]);
}

// What the system writes for each character of the BMP: each comes out as one
// byte, or as a lead byte and one more; one it cannot write as the default
// character "?". An encoding is taken when it reads back as the character, or
// as nothing: Windows writes a few characters as bytes it reads as no
// character (U+F8F0 as 0xA0 in 932).
void ReadEncodings(UINT page, Tables& tables) {
  constexpr std::size_t kChunk = 4096;
  std::array<wchar_t, kChunk> characters;
  std::array<char, 2 * kChunk> out;
  for (char32_t first = 1; first < 0x10000;) {
    std::size_t count = 0;
    for (; first < 0x10000 && count < kChunk; ++first) {
      if (first < 0xD800 || first > 0xDFFF) characters[count++] = static_cast<wchar_t>(first);
    }
    const int written =
        WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, characters.data(), static_cast<int>(count),
                            out.data(), static_cast<int>(out.size()), "?", nullptr);
    const std::string_view bytes(out.data(), static_cast<std::size_t>(written > 0 ? written : 0));
    std::size_t at = 0;
    for (std::size_t i = 0; i < count && at < bytes.size(); ++i) {
      const std::uint16_t encoding = tables.TakeEncoding(bytes, at);
      const char32_t back = tables.Decode(encoding);
      if (back == static_cast<char32_t>(characters[i]) || back == kReplacementCharacter) {
        tables.encode[characters[i]] = encoding;
      }
    }
  }
}

}  // namespace

std::unique_ptr<Tables> ReadSystemTables(int number) {
  if (number == CP_UTF8 || number == CP_UTF7) return nullptr;
  const auto page = static_cast<UINT>(number);
  CPINFO info{};
  if (GetCPInfo(page, &info) == 0) return nullptr;
  const bool double_byte = info.MaxCharSize == 2 && IsDoubleByteAnsiCodePage(number);
  if (info.MaxCharSize != 1 && !double_byte) return nullptr;

  auto tables = std::make_unique<Tables>();
  tables->number = number;
  tables->double_byte = double_byte;
  for (int i = 0; i + 1 < MAX_LEADBYTES && info.LeadByte[i] != 0; i += 2) {
    for (unsigned byte = info.LeadByte[i]; byte <= info.LeadByte[i + 1]; ++byte) {
      tables->AddLead(byte);
    }
  }
  for (unsigned byte = 0; byte < 256; ++byte) {
    const char in = static_cast<char>(byte);
    const char16_t code_point = tables->IsLead(byte) ? 0 : Decode(page, &in, 1);
    tables->single[byte] = code_point != 0 || byte == 0 ? code_point : kReplacementCharacter;
  }
  if (!double_byte) return tables;

  tables->AllocatePairs();
  for (unsigned lead = 0; lead < 256; ++lead) {
    if (!tables->IsLead(lead)) continue;
    for (unsigned trail = kFirstTrailByte; trail < 0xFF; ++trail) {
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      tables->Pair(lead, trail) = Decode(page, in, 2);
    }
  }
  ReadEncodings(page, *tables);
  return tables;
}

}  // namespace code_page

Result<CodePage> SystemAnsiCodePage() {
  const auto number = static_cast<int>(GetACP());
  auto page = CodePage::Open(number);
  if (!page) {
    return Failure("the system's ANSI code page " + std::to_string(number) +
                   " is not one this program can write; set RQX340_ANSI_CODEPAGE to one");
  }
  return page;
}

}  // namespace rqx340
