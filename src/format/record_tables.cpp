// Lookups in the fixed tables of the record blocks, clamped to their ends.
#include "format/record_tables.h"

#include <algorithm>

namespace rqx340 {

std::string_view WeightingName(std::int32_t value) {
  const auto last = static_cast<std::int32_t>(kWeightingNames.size()) - 1;
  return kWeightingNames[static_cast<std::size_t>(std::clamp(value, 0, last))];
}

std::string_view OperatingModeName(std::int32_t value) {
  const auto last = static_cast<std::int32_t>(kOperatingModeNames.size()) - 1;
  return kOperatingModeNames[static_cast<std::size_t>(std::clamp(value, 0, last))];
}

std::string KeyToTag(std::string_view key) {
  constexpr std::size_t kMaxTag = 31;
  const std::size_t first = key.find('_');
  const std::size_t last = key.rfind('_');
  if (first == std::string_view::npos || last <= first) return {};
  return std::string(key.substr(first + 1, std::min(last - first - 1, kMaxTag)));
}

}  // namespace rqx340
