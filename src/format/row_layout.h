// How a time-history row of the measurement file becomes a data row of the
// exchange file: which element holds each broadband value, where the octave
// spectra stand, and the band sums the file carries beside them. The writer,
// the CSV export and the measurement's numbers all read rows through this one
// reader, so they cannot disagree about a value.
#pragma once

#include <rapidjson/document.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "format/record_blocks.h"
#include "format/record_tables.h"

namespace rqx340 {

// Element `index` of a row as the conversion reads it; whatever lies outside
// the row reads as 0.0, so no column index or octave range can read past it.
inline float ValueAt(std::span<const float> row, std::int64_t index) {
  return index >= 0 && static_cast<std::uint64_t>(index) < row.size()
             ? row[static_cast<std::size_t>(index)]
             : 0.0f;
}

// The vector sum of one octave band, in the host's arithmetic: squares and sums
// in single precision, (x² + y²) + z², the root in double precision.
inline float BandSum(float x, float y, float z) {
  float squares = x * x + y * y;
  squares = squares + z * z;
  return static_cast<float>(std::sqrt(static_cast<double>(squares)));
}

// The position of broadband value (`quantity`, `axis`) in a data row: axis by
// axis, rms, peak, vdv, min, max, with no vdv on the sum axis.
constexpr std::size_t BroadbandIndex(std::size_t quantity, std::size_t axis) {
  return 5 * axis + quantity - (axis == kSumAxis && quantity > kVdvQuantity ? 1 : 0);
}

class RowLayout {
 public:
  struct OctaveSet {
    std::int64_t start = 0;
    std::int64_t bands = 0;  // never below 0
  };

  // The columns and octave sets `document` gives; any part missing reads as
  // the conversion reads it.
  explicit RowLayout(const rapidjson::Value& document);

  const ChannelLayout& Channels() const { return m_channels; }
  // The element of each broadband value, in data-row order.
  const std::array<std::int32_t, kBroadbandValues>& Columns() const { return m_columns; }
  const OctaveSet& FullOctave() const { return m_full; }
  const OctaveSet& ThirdOctave() const { return m_third; }
  // float32 values per data row.
  std::uint64_t RowValues() const { return m_nRowValues; }

  // Hands `put` the values of the data row made from `row`, in the file's
  // order: the broadband values, then per octave set (1/1, then 1/3) X rms of
  // every band, Y, Z and SUM rms, then the same for peak. Band j of a set
  // occupies the six elements from start + 6j: X, Y, Z rms, then X, Y, Z peak.
  // An octave value for which `put` returns false ends the row there.
  template <typename Put>
  void ExpandRow(std::span<const float> row, Put&& put) const {
    for (const std::int32_t column : m_columns) put(ValueAt(row, column));
    for (const OctaveSet* set : {&m_full, &m_third}) {
      for (int statistic = 0; statistic < 2; ++statistic) {
        const std::int64_t first = set->start + 3 * statistic;
        for (int axis = 0; axis < 4; ++axis) {
          for (std::int64_t j = 0; j < set->bands; ++j) {
            const std::int64_t base = first + 6 * j;
            if (!put(axis < 3 ? ValueAt(row, base + axis)
                              : BandSum(ValueAt(row, base), ValueAt(row, base + 1),
                                        ValueAt(row, base + 2)))) {
              return;
            }
          }
        }
      }
    }
  }

  // The name of each value of a data row, in ExpandRow's order, appended to
  // `name` (which is cleared first) one at a time: "rms_x" ... "max_sum", then
  // "oct1_<band>_<axis>_<rms|peak>" and "oct3_...". `visit(name)` returns false
  // to stop.
  template <typename Visit>
  void ForEachValueName(Visit&& visit) const {
    std::string name;
    for (std::size_t axis = 0; axis < kAxes; ++axis) {
      for (std::size_t q = 0; q < kQuantities.size(); ++q) {
        if (q == kVdvQuantity && axis == kSumAxis) continue;
        name.assign(kQuantities[q].name);
        name += kAxisSuffixes[axis];
        if (!visit(std::string_view(name))) return;
      }
    }
    constexpr std::array<std::string_view, 2> kStatistics = {"rms", "peak"};
    constexpr std::array<std::string_view, 2> kSets = {"oct1_", "oct3_"};
    const OctaveSet* sets[] = {&m_full, &m_third};
    for (std::size_t s = 0; s < 2; ++s) {
      for (const std::string_view statistic : kStatistics) {
        for (std::size_t axis = 0; axis < kAxes; ++axis) {
          for (std::int64_t j = 0; j < sets[s]->bands; ++j) {
            name.assign(kSets[s]);
            name += std::to_string(j);
            name += kAxisSuffixes[axis];
            name += '_';
            name += statistic;
            if (!visit(std::string_view(name))) return;
          }
        }
      }
    }
  }

 private:
  ChannelLayout m_channels;
  std::array<std::int32_t, kBroadbandValues> m_columns{};
  OctaveSet m_full;
  OctaveSet m_third;
  std::uint64_t m_nRowValues = 0;
};

}  // namespace rqx340
