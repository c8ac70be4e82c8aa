// A little-endian byte archive in the manner of the framework's CArchive: one
// object's Serialize both stores and loads, and the archive knows which.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "base/byte_order.h"

namespace rqx340 {

class ByteArchive {
 public:
  // Storing: the bytes are appended and read back through Bytes().
  ByteArchive() = default;
  // Loading from `bytes`, which must outlive the archive.
  explicit ByteArchive(std::span<const std::uint8_t> bytes) : m_source(bytes), m_bStoring(false) {}

  bool IsStoring() const { return m_bStoring; }
  // False once a load has asked for more bytes than there are; such a load
  // leaves its target alone.
  bool Good() const { return m_bGood; }
  const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

  ByteArchive& operator<<(std::uint8_t value) {
    m_bytes.push_back(value);
    return *this;
  }
  ByteArchive& operator<<(std::uint16_t value) {
    m_bytes.resize(m_bytes.size() + 2);
    PutUint16(std::as_writable_bytes(std::span(m_bytes)), m_bytes.size() - 2, value);
    return *this;
  }
  ByteArchive& operator>>(std::uint8_t& value) {
    if (Take(1)) value = m_source[m_nOffset - 1];
    return *this;
  }
  ByteArchive& operator>>(std::uint16_t& value) {
    if (Take(2)) value = GetUint16(std::as_bytes(m_source), m_nOffset - 2);
    return *this;
  }

 private:
  bool Take(std::size_t count) {
    if (!m_bGood || m_source.size() - m_nOffset < count) {
      m_bGood = false;
      return false;
    }
    m_nOffset += count;
    return true;
  }

  std::vector<std::uint8_t> m_bytes;
  std::span<const std::uint8_t> m_source;
  std::size_t m_nOffset = 0;
  bool m_bStoring = true;
  bool m_bGood = true;
};

}  // namespace rqx340
