#include "exchange_check.h"

namespace rqx340::refhost {

CheckOutcome CheckStructure(std::string_view file, std::int32_t) {
  return {0, {"structure: " + std::to_string(file.size()) + " bytes, not examined"}};
}

CheckOutcome CheckTimeAndData(std::string_view) { return {0, {"time data: not examined"}}; }

std::string MeasurementName(std::string_view) { return {}; }

}  // namespace rqx340::refhost
