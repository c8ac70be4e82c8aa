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
constexpr std::size_t kFirstRunChunk = std::size_t{1} << 6;
constexpr std::size_t kLargestRunChunk = std::size_t{1} << 16;

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
  if (!m_runs.empty() && m_runs.back().data[m_runs.back().used - 1].length == length) {
    ++m_runs.back().data[m_runs.back().used - 1].rows;
  } else {
    if (m_runs.empty() || m_runs.back().used == m_runs.back().capacity) {
      m_runs.emplace_back(NextCapacity(m_runs, kFirstRunChunk, kLargestRunChunk));
    }
    m_runs.back().data[m_runs.back().used++] = Run{length, 1};
  }
  if (!m_values.empty()) m_nRowStart = m_values.back().used;
  ++m_nRows;
}

void PackedRows::NotANumber(std::uint64_t element) {
  // The element is about to be stored, so the count never outgrows the row.
  if (element >= m_notNumbers.size()) m_notNumbers.resize(static_cast<std::size_t>(element) + 1);
  ++m_notNumbers[static_cast<std::size_t>(element)];
}

void PackedRows::Discard() {
  m_notNumbers.clear();
  m_values.clear();
  m_runs.clear();
  m_nRowStart = 0;
  m_nRows = 0;
}

bool PackedRows::ForEachRow(const std::function<bool(const RowView&)>& visit) const {
  std::size_t chunk = 0;
  std::size_t position = 0;
  for (const auto& runs : m_runs) {
    for (std::size_t i = 0; i < runs.used; ++i) {
      const std::uint64_t length = runs.data[i].length;
      for (std::uint64_t n = 0; n < runs.data[i].rows; ++n) {
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
  }
  return true;
}

std::uint64_t PackedRows::PackedBytes() const {
  std::uint64_t bytes = 0;
  for (const auto& runs : m_runs) bytes += runs.used * sizeof(Run);
  for (const auto& chunk : m_values) bytes += chunk.used * sizeof(float);
  return bytes;
}

}  // namespace rqx340
