// Typed reads of a parsed measurement that never assert. A value of another
// JSON type than the read expects reads as missing: 0, 0.0, no text. RapidJSON's
// own accessors assert on the wrong type, so nothing else here calls them
// without checking the type first.
#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "measurement/json_reader.h"

namespace rqx340::json {

// The member `name` of `object` (first match; null when absent or `object` is
// not an object).
inline const rapidjson::Value& Member(const rapidjson::Value& object, std::string_view name) {
  return JsonMember(object, name);
}

// An integer in the signed 32-bit range, else 0.
std::int32_t GetInt(const rapidjson::Value& value);
// An integer in the signed 64-bit range, else 0.
std::int64_t GetInt64(const rapidjson::Value& value);
// Any number as a double (integers converted), else 0.0.
double GetDouble(const rapidjson::Value& value);
// A string up to its first NUL; nullopt for anything that is not a string.
inline std::optional<std::string_view> GetString(const rapidjson::Value& value) {
  return JsonString(value);
}
// A string up to its first NUL; empty for anything that is not a string.
std::string_view GetText(const rapidjson::Value& value);
// A setting flag: set only by the integer 1.
bool IsFlagSet(const rapidjson::Value& value);
// The element count of an array; 0 for anything else.
std::size_t ArraySize(const rapidjson::Value& value);

// The setting object "MeasurementProperties" -> "MeasProperties" of `root`.
const rapidjson::Value& MeasProperties(const rapidjson::Value& root);

// A member name up to its first NUL.
std::string_view MemberName(const rapidjson::Value& name);

}  // namespace rqx340::json
