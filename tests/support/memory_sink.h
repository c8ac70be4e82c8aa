// Byte sinks for the exchange-file writer: one that keeps everything in memory,
// and one that fails once a given number of bytes has been written. Header-only
// because only the programs that link the format library use them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "format/byte_sink.h"

namespace rqx340::test {

class MemorySink : public ByteSink {
 public:
  bool Write(std::span<const std::byte> bytes) override {
    ++m_nWrites;
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return true;
  }
  bool WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    ++m_nWrites;
    if (offset > m_bytes.size() || bytes.size() > m_bytes.size() - offset) return false;
    std::memcpy(m_bytes.data() + offset, bytes.data(), bytes.size());
    return true;
  }
  const std::vector<std::byte>& Bytes() const { return m_bytes; }
  std::span<const std::byte> Span() const { return m_bytes; }
  std::size_t Writes() const { return m_nWrites; }

 protected:
  std::vector<std::byte> m_bytes;
  std::size_t m_nWrites = 0;
};

// Accepts the first `limit` bytes in total (a write that crosses the limit
// keeps its bytes up to it, as a full disk does), then refuses every write.
class FailingSink final : public MemorySink {
 public:
  explicit FailingSink(std::uint64_t limit) : m_nLimit(limit) {}
  bool Write(std::span<const std::byte> bytes) override {
    const std::uint64_t room = m_nLimit - std::min<std::uint64_t>(m_nLimit, m_nWritten);
    const std::size_t taken = static_cast<std::size_t>(std::min<std::uint64_t>(room, bytes.size()));
    MemorySink::Write(bytes.first(taken));
    m_nWritten += taken;
    return taken == bytes.size();
  }
  bool WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) override {
    if (m_nWritten + bytes.size() > m_nLimit) return false;
    m_nWritten += bytes.size();
    return MemorySink::WriteAt(offset, bytes);
  }

 private:
  std::uint64_t m_nLimit;
  std::uint64_t m_nWritten = 0;
};

}  // namespace rqx340::test
