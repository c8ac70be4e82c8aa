// Helpers shared by the fuzz targets.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "format/byte_sink.h"
#include "platform/input_file.h"

// Aborts with the failed condition, so that libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (false)

namespace rqx340::fuzz {

// The bytes as a file open for reading (a memory file); none for no bytes,
// which the read streams take as an empty file.
inline std::optional<InputFile> OpenBytes(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return std::nullopt;
  const int fd = memfd_create("fuzz-input", MFD_CLOEXEC);
  FUZZ_CHECK(fd >= 0);
  for (std::size_t done = 0; done < size;) {
    const ssize_t put = write(fd, data + done, size - done);
    FUZZ_CHECK(put > 0);
    done += static_cast<std::size_t>(put);
  }
  auto file = InputFile::Open("/proc/self/fd/" + std::to_string(fd));
  close(fd);
  FUZZ_CHECK(file.Ok());
  return std::move(*file);
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
