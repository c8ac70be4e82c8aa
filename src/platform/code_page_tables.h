// The tables behind a CodePage: each system's half reads them from the system's
// own converter, the portable part completes them and converts with them, so
// that text leaves the process the same way on every system.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "platform/code_page.h"

namespace rqx340::code_page {

// On the double-byte pages the second byte of a character is 0x40 or more; a
// lead byte before a smaller byte (or at the end) is no character.
inline constexpr unsigned kFirstTrailByte = 0x40;

// An entry of Tables::encode: 0 none; 1 to 0x100 the single byte b as b + 1;
// above that a lead and a trail byte as lead << 8 | trail.
inline constexpr std::uint16_t kNoEncoding = 0;
constexpr std::uint16_t SingleByteEncoding(unsigned byte) {
  return static_cast<std::uint16_t>(byte + 1);
}
constexpr std::uint16_t PairEncoding(unsigned lead, unsigned trail) {
  return static_cast<std::uint16_t>(lead << 8 | trail);
}
constexpr bool IsPairEncoding(std::uint16_t encoding) { return encoding > 0x100; }

struct Tables {
  int number = 0;
  bool double_byte = false;
  // Byte to code point; U+FFFD where undefined and for lead bytes.
  std::array<char32_t, 256> single{};
  // Double-byte pages: each lead byte's row in `pairs`, plus one; 0 for the
  // other bytes.
  std::array<std::uint8_t, 256> lead_row{};
  // A row of 256 BMP code points per lead byte, by second byte; 0 where the
  // pair is undefined.
  std::vector<char16_t> pairs;
  // BMP code point to its encoding. The system's half sets what the system
  // writes for a character; completing the tables adds the rest of what the
  // bytes decode to (the first encoding in byte order).
  std::array<std::uint16_t, 0x10000> encode{};

  bool IsLead(unsigned byte) const { return lead_row[byte] != 0; }
  // Makes `byte` a lead byte; all of them before AllocatePairs.
  void AddLead(unsigned byte) {
    if (lead_row[byte] == 0) lead_row[byte] = static_cast<std::uint8_t>(++m_rows);
  }
  void AllocatePairs() { pairs.assign(static_cast<std::size_t>(m_rows) * 256, 0); }
  // The code point of a lead byte and a second byte.
  char16_t& Pair(unsigned lead, unsigned trail) {
    return pairs[(lead_row[lead] - 1u) * 256u + trail];
  }
  char16_t Pair(unsigned lead, unsigned trail) const {
    return pairs[(lead_row[lead] - 1u) * 256u + trail];
  }
  // The code point of an encoding in `encode`; U+FFFD where its bytes read as
  // no character.
  char32_t Decode(std::uint16_t encoding) const {
    if (!IsPairEncoding(encoding)) return single[encoding - 1u];
    const unsigned lead = encoding >> 8;
    if (!IsLead(lead)) return kReplacementCharacter;
    const char16_t code_point = Pair(lead, encoding & 0xFF);
    return code_point != 0 ? code_point : kReplacementCharacter;
  }
  // The encoding of the character a converter wrote at `written[at]`: one byte,
  // or a lead byte and the next; `at` moves past it.
  std::uint16_t TakeEncoding(std::string_view written, std::size_t& at) const {
    const auto first = static_cast<unsigned char>(written[at++]);
    if (!IsLead(first) || at >= written.size()) return SingleByteEncoding(first);
    return PairEncoding(first, static_cast<unsigned char>(written[at++]));
  }

 private:
  unsigned m_rows = 0;
};

// 932, 936, 949 and 950: the double-byte code pages Windows uses as ANSI code
// pages, the only multi-byte ones a CodePage takes.
bool IsDoubleByteAnsiCodePage(int number);

// The system's half: the tables of `number` as the system converts; nullptr
// when the system does not know it, or it is multi-byte and not one of the
// double-byte ANSI code pages.
std::unique_ptr<Tables> ReadSystemTables(int number);

}  // namespace rqx340::code_page
