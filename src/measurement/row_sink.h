// Where the full parse puts the time history. The rows are nearly all of a
// large measurement, so they never enter the document: the parse hands them,
// already reduced to the values the conversion reads, to a sink that the
// exchange-file layer keeps as compactly as it can.
#pragma once

#include <cstdint>
#include <span>

namespace rqx340 {

// One value per element of a row: a number's value, 0.0 for every other
// element (a string, a literal, a nested array or object). Values are float32
// because the exchange file holds float32 and every use of a row value rounds
// it to float32 first; 4 bytes keep it exactly.
class RowSink {
 public:
  virtual ~RowSink() = default;
  // The next values of the row in hand, in element order; a long row comes in
  // several parts.
  virtual void AddValues(std::span<const float> values) = 0;
  // Ends the row in hand. `is_array` is false for an element of the time
  // history that is not an array; such a row has no values.
  virtual void EndRow(bool is_array) = 0;
  // Element `element` (from 0) of the row in hand is not a number: its 0.0
  // stands for something else. Called before that element's value arrives.
  virtual void NotANumber(std::uint64_t /*element*/) {}
  // The parse failed after all: the document is null and has no rows, so
  // every row handed over so far goes.
  virtual void Discard() = 0;
};

}  // namespace rqx340
