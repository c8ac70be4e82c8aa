// The time history of one measurement held in memory at 4 bytes per value, the
// form in which the full parse hands it over and the writer reads it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "format/row_source.h"
#include "measurement/row_sink.h"

namespace rqx340 {

// Values live in chunks that are never reallocated, so memory grows with the
// rows and nothing else: no buffer doubles and copies itself on the way. Every
// row stays in one piece within a chunk. Row lengths are kept as runs: the
// rows of a measurement are nearly always of one length, which is then kept
// once.
class PackedRows final : public RowSink, public RowSource {
 public:
  PackedRows() = default;
  PackedRows(const PackedRows&) = delete;
  PackedRows& operator=(const PackedRows&) = delete;

  void AddValues(std::span<const float> values) override;
  void EndRow(bool is_array) override;
  void NotANumber(std::uint64_t element) override;
  void Discard() override;

  std::uint64_t RowCount() const override { return m_nRows; }
  bool ForEachRow(const std::function<bool(const RowView&)>& visit) const override;
  std::span<const std::uint64_t> NotNumbersByElement() const override { return m_notNumbers; }

  // The bytes the rows take: their values and their runs of lengths.
  std::uint64_t PackedBytes() const;

 private:
  template <typename T>
  struct Chunk {
    std::unique_ptr<T[]> data;
    std::size_t capacity = 0;
    std::size_t used = 0;

    // Left uninitialised: a page is touched only when a value is stored in it.
    explicit Chunk(std::size_t size)
        : data(std::make_unique_for_overwrite<T[]>(size)), capacity(size) {}
  };
  static constexpr std::uint64_t kNotArray = ~std::uint64_t{0};
  // `rows` rows in a row of `length` values each (kNotArray: rows that are no array).
  struct Run {
    std::uint64_t length;
    std::uint64_t rows;
  };

  std::vector<Chunk<float>> m_values;
  std::vector<Chunk<Run>> m_runs;
  std::size_t m_nRowStart = 0;  // where the row in hand starts in the last value chunk
  std::uint64_t m_nRows = 0;
  // A count per element position, as long as the longest row with such an
  // element; a file of numbers, as the meter writes them, has none.
  std::vector<std::uint64_t> m_notNumbers;
};

}  // namespace rqx340
