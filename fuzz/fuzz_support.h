// Helpers shared by the fuzz targets.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "format/byte_sink.h"
#include "platform/file_system.h"

// Aborts with the failed condition, so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

namespace rqx340::fuzz {

// The bytes as a file open for reading; null for no bytes, which the read
// streams take as an empty file.
inline UniqueFile OpenBytes(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return nullptr;
  UniqueFile file(fmemopen(const_cast<std::uint8_t*>(data), size, "rb"));
  FUZZ_CHECK(file != nullptr);
  return file;
}

// Keeps what is written in memory up to a limit, then refuses, as a full disk
// does; the writer must end in its write-error path then.
class CappedSink final : public ByteSink {
 public:
  explicit CappedSink(std::size_t limit) : m_nLimit(limit) {}

  bool Write(std::span<const std::byte> bytes) override {
    if (bytes.size() > m_nLimit - m_bytes.size()) {
      m_bRefused = true;
      return false;
    }
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return true;
  }
  bool WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    if (offset > m_bytes.size() || bytes.size() > m_bytes.size() - offset) return false;
    std::memcpy(m_bytes.data() + offset, bytes.data(), bytes.size());
    return true;
  }

  std::span<const std::byte> Bytes() const { return m_bytes; }
  bool Refused() const { return m_bRefused; }

 private:
  std::size_t m_nLimit;
  std::vector<std::byte> m_bytes;
  bool m_bRefused = false;
};

}  // namespace rqx340::fuzz
