// Chunks that grow to a fixed size and are never moved; a row that outgrows
// the last chunk moves, alone, to a new one.
#include "format/packed_rows.h"

#include <algorithm>
#include <cstring>

namespace rqx340 {

namespace {

// Small measurements take little; large ones go in chunks of 4 MiB.
constexpr std::size_t kFirstValueChunk = std::size_t{1} << 12;
constexpr std::size_t kLargestValueChunk = std::size_t{1} << 20;
constexpr std::size_t kFirstLengthChunk = std::size_t{1} << 10;
constexpr std::size_t kLargestLengthChunk = std::size_t{1} << 16;

template <typename Chunk>
std::size_t NextCapacity(const std::vector<Chunk>& chunks, std::size_t first, std::size_t largest) {
  return chunks.empty() ? first : std::min(chunks.back().capacity * 2, largest);
}

}  // namespace

void PackedRows::AddValues(std::span<const float> values) {
  if (values.empty()) return;
  if (m_values.empty() || m_values.back().capacity - m_values.back().used < values.size()) {
    // The row in hand moves to a new chunk with room for it and these values,
    // so that it stays in one piece.
    const std::size_t in_hand = m_values.empty() ? 0 : m_values.back().used - m_nRowStart;
    const std::size_t needed = in_hand + values.size();
    std::size_t capacity = NextCapacity(m_values, kFirstValueChunk, kLargestValueChunk);
    if (capacity < needed) capacity = std::max(needed, 2 * in_hand);
    Chunk<float> chunk(capacity);
    if (in_hand > 0) {
      Chunk<float>& last = m_values.back();
      std::memcpy(chunk.data.get(), last.data.get() + m_nRowStart, in_hand * sizeof(float));
      last.used = m_nRowStart;
    }
    chunk.used = in_hand;
    // A chunk that held nothing but the row in hand is of no use any more.
    if (!m_values.empty() && m_values.back().used == 0) m_values.pop_back();
    m_values.push_back(std::move(chunk));
    m_nRowStart = 0;
  }
  Chunk<float>& last = m_values.back();
  std::memcpy(last.data.get() + last.used, values.data(), values.size() * sizeof(float));
  last.used += values.size();
}

void PackedRows::EndRow(bool is_array) {
  std::uint64_t length = kNotArray;
  if (is_array) length = m_values.empty() ? 0 : m_values.back().used - m_nRowStart;
  if (m_lengths.empty() || m_lengths.back().used == m_lengths.back().capacity) {
    m_lengths.emplace_back(NextCapacity(m_lengths, kFirstLengthChunk, kLargestLengthChunk));
  }
  Chunk<std::uint64_t>& lengths = m_lengths.back();
  lengths.data[lengths.used++] = length;
  if (!m_values.empty()) m_nRowStart = m_values.back().used;
  ++m_nRows;
}

void PackedRows::Discard() {
  m_values.clear();
  m_lengths.clear();
  m_nRowStart = 0;
  m_nRows = 0;
}

bool PackedRows::ForEachRow(const std::function<bool(const RowView&)>& visit) const {
  std::size_t chunk = 0;
  std::size_t position = 0;
  for (const auto& lengths : m_lengths) {
    for (std::size_t i = 0; i < lengths.used; ++i) {
      const std::uint64_t length = lengths.data[i];
      RowView row;
      if (length == kNotArray) {
        row.isArray = false;
      } else if (length > 0) {
        // A row that did not fit the rest of a chunk starts the next one.
        while (chunk < m_values.size() && position + length > m_values[chunk].used) {
          ++chunk;
          position = 0;
        }
        if (chunk == m_values.size()) return false;  // cannot happen: every row was stored
        row.values = std::span<const float>(m_values[chunk].data.get() + position,
                                            static_cast<std::size_t>(length));
        position += static_cast<std::size_t>(length);
      }
      if (!visit(row)) return false;
    }
  }
  return true;
}

std::uint64_t PackedRows::PackedBytes() const {
  std::uint64_t bytes = m_nRows * sizeof(std::uint64_t);
  for (const auto& chunk : m_values) bytes += chunk.used * sizeof(float);
  return bytes;
}

}  // namespace rqx340
