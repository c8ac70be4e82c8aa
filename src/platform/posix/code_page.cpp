// Code page tables come from glibc's iconv: each byte is converted once to find
// the character it stands for, and the reverse table is built from that. The
// host's code page can be chosen with RQX340_ANSI_CODEPAGE.
#include "platform/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace rqx340 {

namespace {

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

 private:
  iconv_t m_handle;
};

}  // namespace

Result<CodePage> CodePage::Open(int number) {
  const auto unknown = [number] {
    return Failure("code page " + std::to_string(number) +
                   " is not a single-byte code page this system knows");
  };
  if (number <= 0) return unknown();
  const std::string name = "CP" + std::to_string(number);
  IconvHandle to_unicode("UTF-32LE", name.c_str());
  if (!to_unicode.Valid()) return unknown();

  CodePage page;
  page.m_nNumber = number;
  auto from_unicode = std::make_shared<std::array<std::uint16_t, 0x10000>>();
  from_unicode->fill(0);
  for (int byte = 0; byte < 256; ++byte) {
    iconv(to_unicode.Get(), nullptr, nullptr, nullptr, nullptr);
    char in = static_cast<char>(byte);
    char* in_ptr = &in;
    std::size_t in_left = 1;
    unsigned char out[8] = {};
    char* out_ptr = reinterpret_cast<char*>(out);
    std::size_t out_left = sizeof out;
    const std::size_t result = iconv(to_unicode.Get(), &in_ptr, &in_left, &out_ptr, &out_left);
    if (result == static_cast<std::size_t>(-1)) {
      // A lead byte waiting for more input: a multi-byte code page.
      if (errno == EINVAL) return unknown();
      page.m_toUnicode[byte] = kReplacementCharacter;
      continue;
    }
    // The converters of 1255 and 1258 hold a base letter back in case a
    // combining mark follows; ending the input hands it out.
    if (iconv(to_unicode.Get(), nullptr, nullptr, &out_ptr, &out_left) ==
        static_cast<std::size_t>(-1)) {
      return unknown();
    }
    if (sizeof out - out_left != 4) return unknown();
    const char32_t code_point =
        static_cast<char32_t>(out[0]) | (static_cast<char32_t>(out[1]) << 8) |
        (static_cast<char32_t>(out[2]) << 16) | (static_cast<char32_t>(out[3]) << 24);
    page.m_toUnicode[byte] = code_point;
    if (code_point < 0x10000 && (*from_unicode)[code_point] == 0) {
      (*from_unicode)[code_point] = static_cast<std::uint16_t>(byte + 1);
    }
  }
  page.m_fromUnicode = std::move(from_unicode);
  return page;
}

Result<CodePage> SystemAnsiCodePage() {
  auto page = CodePage::Open(1252);
  if (!page) return Failure("the system's iconv does not know code page 1252");
  return page;
}

}  // namespace rqx340
