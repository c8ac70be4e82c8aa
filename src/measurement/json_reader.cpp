// The full parse of a measurement and lookups that never assert.
#include "measurement/json_reader.h"

#include <rapidjson/reader.h>

namespace rqx340 {

void ParseMeasurement(ProgressFileReadStream& stream, rapidjson::Document& document) {
  stream.Read();
  // A reused document must not keep its old value when this parse fails.
  document.SetNull();
  // The iterative parser keeps its nesting on the heap, so no input, however
  // deep, can overflow the call stack.
  document.ParseStream<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag,
                       rapidjson::UTF8<>>(stream);
}

namespace {

const rapidjson::Value& NullValue() {
  static const rapidjson::Value null_value;
  return null_value;
}

}  // namespace

std::optional<std::string_view> JsonString(const rapidjson::Value& value) {
  if (!value.IsString()) return std::nullopt;
  const std::string_view text(value.GetString(), value.GetStringLength());
  return text.substr(0, text.find('\0'));
}

const rapidjson::Value& JsonMember(const rapidjson::Value& object, std::string_view name) {
  if (!object.IsObject()) return NullValue();
  for (auto it = object.MemberBegin(); it != object.MemberEnd(); ++it) {
    if (JsonString(it->name) == name) return it->value;
  }
  return NullValue();
}

}  // namespace rqx340
