// Code page tables from glibc's iconv, made to agree with Windows. Each byte,
// and on a double-byte page each lead byte with each second byte, is converted
// once (a row of pairs in one call), and what the characters are written as
// comes from one call over all of them. Where glibc's tables for 932, 936, 949
// and 950 differ from what Windows converts, Windows' mapping is put in: the
// host reads the bytes on Windows. The host's code page follows the locale
// unless RQX340_ANSI_CODEPAGE names another.
#include "platform/code_page.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string_view>

#include "platform/code_page_tables.h"
#include "platform/environment.h"

namespace rqx340 {
namespace code_page {
namespace {

constexpr std::size_t kFailed = static_cast<std::size_t>(-1);

class IconvHandle {
 public:
  IconvHandle(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (Valid()) iconv_close(m_handle);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  bool Valid() const { return m_handle != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return m_handle; }

  // Converts from the start of `in` until it ends, the output is full or an
  // error; `consumed` and `produced` count the bytes. Returns iconv's result,
  // with errno set on kFailed.
  std::size_t Convert(std::span<const char> in, std::span<char> out, std::size_t& consumed,
                      std::size_t& produced) {
    iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
    char* in_ptr = const_cast<char*>(in.data());
    std::size_t in_left = in.size();
    char* out_ptr = out.data();
    std::size_t out_left = out.size();
    std::size_t result = iconv(m_handle, &in_ptr, &in_left, &out_ptr, &out_left);
    // The converters of 1255 and 1258 hold a base letter back in case a
    // combining mark follows; ending the input hands it out.
    if (result != kFailed) result = iconv(m_handle, nullptr, nullptr, &out_ptr, &out_left);
    consumed = in.size() - in_left;
    produced = out.size() - out_left;
    return result;
  }

 private:
  iconv_t m_handle;
};

char32_t CodePointAt(std::span<const char> utf32, std::size_t index) {
  char32_t code_point = 0;
  for (std::size_t k = 0; k < 4; ++k) {
    code_point |= static_cast<char32_t>(static_cast<unsigned char>(utf32[4 * index + k]))
                  << (8 * k);
  }
  return code_point;
}

// What Windows converts and glibc does not, for one double-byte page.
struct ByteRange {
  unsigned first = 0;
  unsigned last = 0;  // 0: no range
};

// User-defined characters: the pairs from `first` to `last` whose second byte
// lies in `trails`, in order, stand for consecutive code points of the Private
// Use Area. `holes_only`: only the pairs still undefined.
struct EudcBlock {
  std::uint16_t first;
  std::uint16_t last;
  std::array<ByteRange, 2> trails;
  bool holes_only = false;
};

// What Windows writes for a character where glibc writes another encoding or
// none (a character some byte stands for only in that direction).
struct EncodingFix {
  char16_t code_point;
  std::uint16_t encoding;
};

struct WindowsDoubleByte {
  int number;
  std::array<ByteRange, 2> leads;
  std::span<const EudcBlock> eudc;
  std::span<const EncodingFix> encodings;
};

constexpr std::array<ByteRange, 2> kBig5Trails = {{{0x40, 0x7E}, {0xA1, 0xFE}}};
constexpr std::array<ByteRange, 2> kRowTrails = {{{0xA1, 0xFE}, {}}};

constexpr EudcBlock kEudc932[] = {{0xF040, 0xF9FC, {{{0x40, 0x7E}, {0x80, 0xFC}}}}};
// GBK's user-defined areas, then every other pair of the grid GBK leaves
// undefined, as the 2000 edition of GB 18030 maps them.
constexpr EudcBlock kEudc936[] = {{0xAAA1, 0xAFFE, kRowTrails},
                                  {0xF8A1, 0xFEFE, kRowTrails},
                                  {0xA140, 0xA7A0, {{{0x40, 0x7E}, {0x80, 0xA0}}}},
                                  {0x8140, 0xFEFE, {{{0x40, 0x7E}, {0x80, 0xFE}}}, true}};
constexpr EudcBlock kEudc949[] = {{0xC9A1, 0xC9FE, kRowTrails}, {0xFEA1, 0xFEFE, kRowTrails}};
constexpr EudcBlock kEudc950[] = {{0xFA40, 0xFEFE, kBig5Trails},
                                  {0x8E40, 0xA0FE, kBig5Trails},
                                  {0x8140, 0x8DFE, kBig5Trails},
                                  {0xC6A1, 0xC8FE, kBig5Trails}};

constexpr EncodingFix kEncodings932[] = {{0xF8F0, SingleByteEncoding(0xA0)},
                                         {0xF8F1, SingleByteEncoding(0xFD)},
                                         {0xF8F2, SingleByteEncoding(0xFE)},
                                         {0xF8F3, SingleByteEncoding(0xFF)}};
constexpr EncodingFix kEncodings936[] = {{0xF8F5, SingleByteEncoding(0xFF)}};
constexpr EncodingFix kEncodings949[] = {{0xF8F7, SingleByteEncoding(0xFF)}};
// Box drawing characters that Big5 holds twice: Windows writes the second.
constexpr EncodingFix kEncodings950[] = {{0x2550, PairEncoding(0xF9, 0xF9)},
                                         {0x255E, PairEncoding(0xF9, 0xE9)},
                                         {0x2561, PairEncoding(0xF9, 0xEB)},
                                         {0x256A, PairEncoding(0xF9, 0xEA)},
                                         {0xF8F8, SingleByteEncoding(0xFF)}};

constexpr WindowsDoubleByte kWindowsDoubleByte[] = {
    {932, {{{0x81, 0x9F}, {0xE0, 0xFC}}}, kEudc932, kEncodings932},
    {936, {{{0x81, 0xFE}, {}}}, kEudc936, kEncodings936},
    {949, {{{0x81, 0xFE}, {}}}, kEudc949, kEncodings949},
    {950, {{{0x81, 0xFE}, {}}}, kEudc950, kEncodings950},
};

bool InRanges(std::span<const ByteRange> ranges, unsigned byte) {
  for (const ByteRange& range : ranges) {
    if (range.last != 0 && byte >= range.first && byte <= range.last) return true;
  }
  return false;
}

// One pair on its own; 0 when it is no single character of the BMP.
char16_t ConvertPair(IconvHandle& to_unicode, unsigned lead, unsigned trail) {
  const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  char out[16];
  std::size_t consumed = 0, produced = 0;
  if (to_unicode.Convert(in, out, consumed, produced) == kFailed || consumed != 2 ||
      produced != 4) {
    return 0;
  }
  const char32_t code_point = CodePointAt(out, 0);
  return code_point < 0x10000 ? static_cast<char16_t>(code_point) : 0;
}

// Every pair of `lead` with a second byte of kFirstTrailByte to 0xFE, a row in
// one call where glibc converts it pair for pair, restarting after each pair
// it refuses; otherwise pair by pair.
void ReadPairRow(IconvHandle& to_unicode, unsigned lead, Tables& tables) {
  constexpr std::size_t kCount = 0xFF - kFirstTrailByte;
  std::array<char, 2 * kCount> in;
  for (std::size_t k = 0; k < kCount; ++k) {
    in[2 * k] = static_cast<char>(lead);
    in[2 * k + 1] = static_cast<char>(kFirstTrailByte + k);
  }
  std::array<char, 4 * kCount> out;
  const auto trail = [](std::size_t k) { return kFirstTrailByte + static_cast<unsigned>(k); };
  std::size_t k = 0;
  while (k < kCount) {
    std::size_t consumed = 0, produced = 0;
    const std::size_t result =
        to_unicode.Convert(std::span<const char>(in).subspan(2 * k), out, consumed, produced);
    const bool refused = result == kFailed && errno == EILSEQ;
    if (consumed != 2 * (produced / 4) || produced % 4 != 0 || (result == kFailed && !refused)) {
      for (; k < kCount; ++k) tables.Pair(lead, trail(k)) = ConvertPair(to_unicode, lead, trail(k));
      return;
    }
    for (std::size_t n = 0; n < produced / 4; ++n, ++k) {
      const char32_t code_point = CodePointAt(out, n);
      if (code_point < 0x10000) tables.Pair(lead, trail(k)) = static_cast<char16_t>(code_point);
    }
    if (!refused) return;
    ++k;  // the pair glibc refuses stays undefined
  }
}

// Characters to be written by glibc, in chunks: it writes each as one byte or
// as a lead byte and one more. An encoding is taken only when it reads back as
// the character.
class EncodingReader {
 public:
  EncodingReader(const std::string& name, Tables& tables)
      : m_fromUnicode(name.c_str(), "UTF-32LE"), m_tables(tables) {}

  void Add(char16_t code_point) {
    m_characters[m_count++] = code_point;
    if (m_count == kChunk) Flush();
  }

  void Flush() {
    std::size_t next = 0;
    while (m_fromUnicode.Valid() && next < m_count) next = Convert(next);
    m_count = 0;
  }

 private:
  static constexpr std::size_t kChunk = 1024;

  // Converts the characters from `first` on; returns where to go on from.
  std::size_t Convert(std::size_t first) {
    std::array<char, 4 * kChunk> in;
    for (std::size_t i = first; i < m_count; ++i) {
      for (std::size_t k = 0; k < 4; ++k) {
        in[4 * (i - first) + k] = static_cast<char>(m_characters[i] >> (8 * k));
      }
    }
    std::array<char, 2 * kChunk + 16> out;
    std::size_t consumed = 0, produced = 0;
    const std::size_t result = m_fromUnicode.Convert(
        std::span<const char>(in.data(), 4 * (m_count - first)), out, consumed, produced);
    const bool refused = result == kFailed && errno == EILSEQ;
    if (consumed % 4 != 0 || (result == kFailed && !refused)) return m_count;
    const std::string_view written(out.data(), produced);
    std::size_t at = 0;
    for (std::size_t i = first; i < first + consumed / 4 && at < written.size(); ++i) {
      const std::uint16_t encoding = m_tables.TakeEncoding(written, at);
      if (m_tables.Decode(encoding) == m_characters[i]) m_tables.encode[m_characters[i]] = encoding;
    }
    // Past the character glibc refuses.
    return refused ? first + consumed / 4 + 1 : m_count;
  }

  IconvHandle m_fromUnicode;
  Tables& m_tables;
  std::array<char16_t, kChunk> m_characters{};
  std::size_t m_count = 0;
};

// glibc's choice among a character's encodings, for every character the
// page's bytes stand for. Each is offered once: where it first occurs, which
// its encoding marks until glibc's choice replaces it.
void ReadEncodings(const std::string& name, Tables& tables) {
  EncodingReader reader(name, tables);
  const auto offer = [&](char32_t code_point, std::uint16_t encoding) {
    if (code_point == 0 || code_point >= 0x10000 || tables.encode[code_point] != kNoEncoding) {
      return;
    }
    tables.encode[code_point] = encoding;
    reader.Add(static_cast<char16_t>(code_point));
  };
  for (unsigned byte = 0; byte < 256; ++byte) {
    if (!tables.IsLead(byte) && tables.single[byte] != kReplacementCharacter) {
      offer(tables.single[byte], SingleByteEncoding(byte));
    }
  }
  for (unsigned lead = 0; lead < 256; ++lead) {
    if (!tables.IsLead(lead)) continue;
    for (unsigned trail = kFirstTrailByte; trail < 256; ++trail) {
      offer(tables.Pair(lead, trail), PairEncoding(lead, trail));
    }
  }
  reader.Flush();
}

void PutWindowsMappings(const WindowsDoubleByte& windows, Tables& tables) {
  char16_t user_defined = 0xE000;
  for (const EudcBlock& block : windows.eudc) {
    for (unsigned pair = block.first; pair <= block.last; ++pair) {
      if (!InRanges(block.trails, pair & 0xFF)) continue;
      char16_t& code_point = tables.Pair(pair >> 8, pair & 0xFF);
      if (block.holes_only && code_point != 0) continue;
      // What glibc had here is no longer written so.
      if (code_point != 0 && tables.encode[code_point] == pair) {
        tables.encode[code_point] = kNoEncoding;
      }
      code_point = user_defined;
      tables.encode[user_defined] = static_cast<std::uint16_t>(pair);
      ++user_defined;
    }
  }
  for (const EncodingFix& fix : windows.encodings) tables.encode[fix.code_point] = fix.encoding;
}

}  // namespace

std::unique_ptr<Tables> ReadSystemTables(int number) {
  const std::string name = "CP" + std::to_string(number);
  IconvHandle to_unicode("UTF-32LE", name.c_str());
  if (!to_unicode.Valid()) return nullptr;

  const WindowsDoubleByte* windows = nullptr;
  for (const auto& page : kWindowsDoubleByte) {
    if (page.number == number) windows = &page;
  }
  auto tables = std::make_unique<Tables>();
  tables->number = number;
  for (unsigned byte = 0; byte < 256; ++byte) {
    tables->single[byte] = kReplacementCharacter;
    if (windows != nullptr && InRanges(windows->leads, byte)) {
      tables->AddLead(byte);
      continue;
    }
    const char in = static_cast<char>(byte);
    char out[16];
    std::size_t consumed = 0, produced = 0;
    if (to_unicode.Convert(std::span<const char>(&in, 1), out, consumed, produced) == kFailed) {
      // A byte waiting for more input starts a character of a multi-byte page.
      if (errno == EINVAL && windows == nullptr) return nullptr;
      continue;
    }
    if (produced != 4) return nullptr;
    tables->single[byte] = CodePointAt(out, 0);
  }
  if (windows == nullptr) return tables;

  tables->double_byte = true;
  tables->AllocatePairs();
  for (unsigned lead = 0; lead < 256; ++lead) {
    if (tables->IsLead(lead)) ReadPairRow(to_unicode, lead, *tables);
  }
  ReadEncodings(name, *tables);
  PutWindowsMappings(*windows, *tables);
  return tables;
}

}  // namespace code_page

Result<CodePage> SystemAnsiCodePage() {
  std::string locale;
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    if (auto value = GetEnvironment(variable); value && !value->empty()) {
      locale = std::move(*value);
      break;
    }
  }
  const int number = AnsiCodePageOfLocale(locale);
  auto page = CodePage::Open(number);
  if (!page) {
    return Failure("the system's iconv does not know code page " + std::to_string(number) +
                   ", the ANSI code page of the locale " + (locale.empty() ? "C" : locale));
  }
  return page;
}

}  // namespace rqx340
