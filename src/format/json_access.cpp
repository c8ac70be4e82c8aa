// Typed reads that check the JSON type before every RapidJSON accessor.
#include "format/json_access.h"

namespace rqx340::json {

std::int32_t GetInt(const rapidjson::Value& value) { return value.IsInt() ? value.GetInt() : 0; }

std::int64_t GetInt64(const rapidjson::Value& value) {
  return value.IsInt64() ? value.GetInt64() : 0;
}

double GetDouble(const rapidjson::Value& value) {
  return value.IsNumber() ? value.GetDouble() : 0.0;
}

std::string_view GetText(const rapidjson::Value& value) {
  return GetString(value).value_or(std::string_view());
}

bool IsFlagSet(const rapidjson::Value& value) { return value.IsInt() && value.GetInt() == 1; }

std::size_t ArraySize(const rapidjson::Value& value) { return value.IsArray() ? value.Size() : 0; }

const rapidjson::Value& MeasProperties(const rapidjson::Value& root) {
  return Member(Member(root, "MeasurementProperties"), "MeasProperties");
}

std::string_view MemberName(const rapidjson::Value& name) { return GetText(name); }

}  // namespace rqx340::json
