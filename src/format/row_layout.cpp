#include "format/row_layout.h"

#include <algorithm>
#include <string_view>

#include "format/json_access.h"

namespace rqx340 {

RowLayout::RowLayout(const rapidjson::Value& document) : m_channels(ReadChannelLayout(document)) {
  const auto& columns = json::Member(document, "TimeHistoryColumns");
  std::size_t i = 0;
  std::string name;
  for (std::size_t axis = 0; axis < kAxes; ++axis) {
    for (std::size_t q = 0; q < kQuantities.size(); ++q) {
      if (q == kVdvQuantity && axis == kSumAxis) continue;
      name.assign(kQuantities[q].name);
      name += kAxisSuffixes[axis];
      m_columns[i++] = json::GetInt(json::Member(columns, name));
    }
  }
  const auto octave_set = [&](std::string_view start_key, std::string_view count_key) {
    return OctaveSet{json::GetInt(json::Member(columns, start_key)),
                     std::max<std::int64_t>(0, json::GetInt(json::Member(columns, count_key)))};
  };
  if (m_channels.fullOctave) m_full = octave_set("OBA1_1_Start", "OBA1_1_Count");
  if (m_channels.thirdOctave) m_third = octave_set("OBA1_3_Start", "OBA1_3_Count");
  // Each band takes 8 values: X, Y, Z and SUM, for rms and for peak.
  m_nRowValues = kBroadbandValues + 8 * static_cast<std::uint64_t>(m_full.bands) +
                 8 * static_cast<std::uint64_t>(m_third.bands);
}

}  // namespace rqx340
