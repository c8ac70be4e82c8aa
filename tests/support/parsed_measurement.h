// A measurement parsed from text the way the import parses a file: everything
// but the time history as a document, and the rows packed.
#pragma once

#include <rapidjson/document.h>

#include <string_view>

#include "format/packed_rows.h"
#include "measurement/json_reader.h"

namespace rqx340::test {

struct ParsedMeasurement {
  explicit ParsedMeasurement(std::string_view text) {
    parse = ParseMeasurementText(text, document, rows);
  }

  rapidjson::Document document;
  PackedRows rows;
  rapidjson::ParseResult parse;
};

}  // namespace rqx340::test
