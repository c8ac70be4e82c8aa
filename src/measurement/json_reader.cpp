// The full parse of a measurement and lookups that never assert.
#include "measurement/json_reader.h"

#include <rapidjson/error/en.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

#include "measurement/measurement_handler.h"

namespace rqx340 {

namespace {

template <typename InputStream>
rapidjson::ParseResult ParseInto(InputStream& stream, rapidjson::Document& document,
                                 RowSink& rows) {
  // A reused document must not keep its old value when this parse fails.
  document.SetNull();
  MeasurementHandler handler(document, rows);
  rapidjson::ParseResult result;
  // The document takes the events through the handler and keeps the root only
  // when the whole input parsed. The iterative parser keeps its nesting on the
  // heap, so no input, however deep, can overflow the call stack.
  const auto generate = [&](rapidjson::Document&) {
    rapidjson::Reader reader;
    result = reader.Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(stream,
                                                                                          handler);
    return !result.IsError();
  };
  document.Populate(generate);
  if (result.IsError()) {
    document.SetNull();
    rows.Discard();
  }
  return result;
}

}  // namespace

rapidjson::ParseResult ParseMeasurement(ProgressFileReadStream& stream,
                                        rapidjson::Document& document, RowSink& rows) {
  stream.Read();
  return ParseInto(stream, document, rows);
}

rapidjson::ParseResult ParseMeasurementText(std::string_view text, rapidjson::Document& document,
                                            RowSink& rows) {
  rapidjson::MemoryStream bytes(text.data(), text.size());
  return ParseInto(bytes, document, rows);
}

std::string_view DescribeParseError(rapidjson::ParseErrorCode error) {
  // The handler ends the parse only at the nesting limit.
  static_assert(kMaxNestingDepth == 100000);
  if (error == rapidjson::kParseErrorTermination) {
    return "arrays and objects nested more than 100000 deep";
  }
  return rapidjson::GetParseError_En(error);
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
