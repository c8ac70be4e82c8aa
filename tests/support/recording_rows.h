// A row sink that keeps what the full parse hands it, for tests of the parse.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "measurement/row_sink.h"

namespace rqx340::test {

class RecordingRowSink final : public RowSink {
 public:
  struct Row {
    std::vector<float> values;
    bool isArray = true;
    std::size_t parts = 0;  // AddValues calls that made it
    bool operator==(const Row&) const = default;
  };

  void AddValues(std::span<const float> values) override {
    m_current.values.insert(m_current.values.end(), values.begin(), values.end());
    ++m_current.parts;
  }
  void EndRow(bool is_array) override {
    m_current.isArray = is_array;
    rows.push_back(std::move(m_current));
    m_current = {};
  }
  void NotANumber(std::uint64_t element) override { notNumbers.emplace_back(rows.size(), element); }
  void Discard() override {
    rows.clear();
    notNumbers.clear();
    m_current = {};
    ++discards;
  }

  std::vector<Row> rows;
  // (row, element) of each element that is not a number.
  std::vector<std::pair<std::size_t, std::uint64_t>> notNumbers;
  int discards = 0;

 private:
  Row m_current;
};

}  // namespace rqx340::test
