// The time-history rows as the exchange file's builders read them: in order,
// one float32 value per element of each row.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace rqx340 {

// One row: a value per element, 0.0 for an element that is not a number. A row
// that was not an array at all has no values; the conversion reads it like an
// empty one.
struct RowView {
  std::span<const float> values;
  bool isArray = true;
};

class RowSource {
 public:
  virtual ~RowSource() = default;
  // The number of rows: the length of the time history, 0 when it is no array.
  virtual std::uint64_t RowCount() const = 0;
  // Calls `visit` with each row in order while it returns true; false when it
  // stopped the walk.
  virtual bool ForEachRow(const std::function<bool(const RowView&)>& visit) const = 0;
  // Per element position, how many rows hold something other than a number
  // there (read as 0.0); positions past the end hold none.
  virtual std::span<const std::uint64_t> NotNumbersByElement() const { return {}; }
};

}  // namespace rqx340
