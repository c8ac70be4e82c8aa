// The buffered writer: small writes go to one buffer, large ones straight
// through, and the first failure stops everything after it.
#include "format/byte_sink.h"

#include <algorithm>
#include <cstring>

#include "base/byte_order.h"

namespace rqx340 {

BufferedWriter::BufferedWriter(ByteSink& sink, std::size_t capacity)
    : m_sink(sink), m_buffer(std::max<std::size_t>(capacity, 16)) {}

void BufferedWriter::Write(std::span<const std::byte> bytes) {
  if (m_bFailed) return;
  if (bytes.size() > m_buffer.size() - m_nUsed) {
    if (!Flush()) return;
    if (bytes.size() >= m_buffer.size()) {
      // Too large to gain from the buffer: straight through.
      if (!m_sink.Write(bytes)) {
        m_bFailed = true;
        return;
      }
      m_nPosition += bytes.size();
      return;
    }
  }
  std::memcpy(m_buffer.data() + m_nUsed, bytes.data(), bytes.size());
  m_nUsed += bytes.size();
  m_nPosition += bytes.size();
}

std::span<std::byte> BufferedWriter::Reserve(std::size_t size) {
  if (m_bFailed || size > m_buffer.size()) return {};
  if (m_buffer.size() - m_nUsed < size && !Flush()) return {};
  return std::span<std::byte>(m_buffer).subspan(m_nUsed, size);
}

void BufferedWriter::StoreFloat32(float value) {
  PutFloat32(m_buffer, m_nUsed, value);
  m_nUsed += 4;
  m_nPosition += 4;
}

bool BufferedWriter::Flush() {
  if (m_bFailed) return false;
  if (m_nUsed == 0) return true;
  if (!m_sink.Write(std::span<const std::byte>(m_buffer.data(), m_nUsed))) {
    m_bFailed = true;
    return false;
  }
  m_nUsed = 0;
  return true;
}

bool BufferedWriter::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  if (!Flush()) return false;
  if (!m_sink.WriteAt(offset, bytes)) m_bFailed = true;
  return !m_bFailed;
}

}  // namespace rqx340
