#include "measurement/measurement_handler.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "measurement/json_reader.h"
#include "support/recording_rows.h"

namespace rqx340 {
namespace {

using Row = test::RecordingRowSink::Row;

Row Values(std::vector<float> values) { return Row{std::move(values), true, 0}; }
Row NotArray() { return Row{{}, false, 0}; }

struct Parsed {
  rapidjson::Document document;
  test::RecordingRowSink rows;
  rapidjson::ParseResult result;
};

void Parse(const std::string& text, Parsed& parsed) {
  parsed.result = ParseMeasurementText(text, parsed.document, parsed.rows);
}

// Rows as values and shapes, without how they arrived.
std::vector<Row> Shapes(const std::vector<Row>& rows) {
  std::vector<Row> shapes = rows;
  for (auto& row : shapes) row.parts = 0;
  return shapes;
}

// What the document keeps as the root's first "TimeHistory" member.
std::string Kept(const rapidjson::Value& document) {
  if (!document.IsObject()) return "missing";
  for (auto it = document.MemberBegin(); it != document.MemberEnd(); ++it) {
    if (JsonString(it->name) != "TimeHistory") continue;
    const auto& value = it->value;
    return value.IsNull()     ? "null"
           : value.IsObject() ? "object"
           : value.IsNumber() ? "number"
           : value.IsString() ? "string"
                              : "other";
  }
  return "missing";
}

TEST(MeasurementHandlerTest, RowsOfTheFirstTimeHistoryOfTheRoot) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<Row> rows;
    const char* history_in_document;  // what the document keeps under "TimeHistory"
  };
  const Case cases[] = {
      {"numbers of every kind",
       R"({"TimeHistory":[[1,-2,3000000000,-0,1.5,2e-1]]})",
       {Values({1, -2, 3e9f, 0, 1.5f, 0.2f})},
       "null"},
      {"elements that are no number read 0",
       R"({"TimeHistory":[["1",true,null,[5,[6]],{"a":[7]},8]]})",
       {Values({0, 0, 0, 0, 0, 8})},
       "null"},
      {"rows that are no array",
       R"({"TimeHistory":["x",5,null,false,{"a":[1]},[],[2]]})",
       {NotArray(), NotArray(), NotArray(), NotArray(), NotArray(), Values({}), Values({2})},
       "null"},
      {"empty time history", R"({"TimeHistory":[]})", {}, "null"},
      {"time history that is no array", R"({"TimeHistory":{"rows":[[1]]}})", {}, "object"},
      {"time history that is a number", R"({"TimeHistory":5})", {}, "number"},
      {"the first of two counts",
       R"({"TimeHistory":[[1]],"TimeHistory":[[2],[3]]})",
       {Values({1})},
       "null"},
      {"a first that is no array still counts",
       R"({"TimeHistory":"x","TimeHistory":[[2]]})",
       {},
       "string"},
      {"a name ends at its first NUL", R"({"TimeHistory\u0000x":[[4]]})", {Values({4})}, "null"},
      {"names differing in case do not count", R"({"timehistory":[[4]]})", {}, "missing"},
      {"only the root's member",
       R"({"a":{"TimeHistory":[[1]]},"b":[{"TimeHistory":[[2]]}]})",
       {},
       "missing"},
      {"a root that is an array", R"([{"TimeHistory":[[1]]}])", {}, "missing"},
      {"members after the rows",
       R"({"TimeHistory":[[1],[2]],"Summary":{"A":1}})",
       {Values({1}), Values({2})},
       "null"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Parsed parsed;
    Parse(c.text, parsed);
    ASSERT_FALSE(parsed.result.IsError());
    EXPECT_EQ(Shapes(parsed.rows.rows), c.rows);
    EXPECT_EQ(Kept(parsed.document), c.history_in_document);
  }
}

TEST(MeasurementHandlerTest, EverythingElseIsTheDocumentAsTheFileHasIt) {
  Parsed parsed;
  Parse(R"({"Header":{"SerialNum":"S"},"TimeHistory":[[1]],"Summary":{"A":1.5},)"
        R"("TimeHistoryColumns":{"rms_x":3}})",
        parsed);
  rapidjson::Document whole;
  whole.Parse(R"({"Header":{"SerialNum":"S"},"TimeHistory":null,"Summary":{"A":1.5},)"
              R"("TimeHistoryColumns":{"rms_x":3}})");
  EXPECT_TRUE(parsed.document == whole);
  // The member keeps its place.
  auto it = parsed.document.MemberBegin();
  EXPECT_STREQ((++it)->name.GetString(), "TimeHistory");
  EXPECT_STREQ((++it)->name.GetString(), "Summary");
}

TEST(MeasurementHandlerTest, ValuesAreWhatTheConversionMakesOfThem) {
  // A number becomes a double as the library stores it, then float32: a 64-bit
  // integer is rounded twice, as the writer once rounded it.
  Parsed parsed;
  Parse(R"({"TimeHistory":[[9007199254740993,18446744073709551615,16777217,1e39,1e-46,)"
        R"(0.1000000000000000055511151231257827]]})",
        parsed);
  ASSERT_EQ(parsed.rows.rows.size(), 1u);
  const std::vector<float> expected = {
      static_cast<float>(static_cast<double>(std::int64_t{9007199254740993})),
      static_cast<float>(static_cast<double>(std::uint64_t{18446744073709551615u})),
      16777216.0f,
      std::bit_cast<float>(0x7F800000u),
      0.0f,
      0.1f};
  ASSERT_EQ(parsed.rows.rows[0].values.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(parsed.rows.rows[0].values[i]),
              std::bit_cast<std::uint32_t>(expected[i]))
        << i;
  }
}

// An element that is not a number reads as 0.0, and the sink hears of it with
// its place in the row, wherever the row was split into parts.
TEST(MeasurementHandlerTest, ElementsThatAreNotNumbersAreNamed) {
  Parsed parsed;
  std::string long_row = "[\"s\"";
  for (int i = 1; i < 2500; ++i) long_row += i == 2000 ? ",null" : ",1";
  long_row += "]";
  Parse(R"({"TimeHistory":[[1,"2",true,{"a":[1]},[4,5],null,7],"row",{"r":1},[],)" + long_row +
            "],\"after\":[\"x\"]}",
        parsed);
  ASSERT_FALSE(parsed.result.IsError());
  ASSERT_EQ(parsed.rows.rows.size(), 5u);
  EXPECT_EQ(parsed.rows.rows[0].values, (std::vector<float>{1, 0, 0, 0, 0, 0, 7}));
  const std::vector<std::pair<std::size_t, std::uint64_t>> expected = {
      {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {4, 0}, {4, 2000}};
  EXPECT_EQ(parsed.rows.notNumbers, expected);
}

TEST(MeasurementHandlerTest, ALongRowComesInPartsAndWhole) {
  std::string row = "[0";
  for (int i = 1; i < 5000; ++i) {
    row += ',';
    row += std::to_string(i);
  }
  Parsed parsed;
  Parse(R"({"TimeHistory":[)" + row + "],[7]]}", parsed);
  ASSERT_EQ(parsed.rows.rows.size(), 2u);
  const Row& long_row = parsed.rows.rows[0];
  ASSERT_EQ(long_row.values.size(), 5000u);
  EXPECT_GT(long_row.parts, 1u);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(long_row.values[i], static_cast<float>(i));
  EXPECT_EQ(parsed.rows.rows[1].values, std::vector<float>{7});
}

TEST(MeasurementHandlerTest, AParseErrorAnywhereLeavesNoRows) {
  const std::string rows = R"({"TimeHistory":[[1,2],[3]])";
  const std::string cases[] = {
      rows + "}x",                                     // text after the root
      rows + R"(,"Summary":{"A":})",                   // after the rows
      rows + ",",                                      // truncated after the rows
      R"({"TimeHistory":[[1,2],[3,)",                  // inside a row
      R"({"Summary":{"A":NaN},"TimeHistory":[[1]]})",  // before the rows
  };
  for (const auto& text : cases) {
    SCOPED_TRACE(text);
    Parsed parsed;
    Parse(text, parsed);
    EXPECT_TRUE(parsed.result.IsError());
    EXPECT_TRUE(parsed.document.IsNull());
    EXPECT_TRUE(parsed.rows.rows.empty());
    EXPECT_EQ(parsed.rows.discards, 1);
  }
}

TEST(MeasurementHandlerTest, NestingStopsPastTheLimitWhereverItIs) {
  const auto nested = [](std::size_t depth) {
    return std::string(depth, '[') + "1" + std::string(depth, ']');
  };
  struct Case {
    const char* name;
    std::string text;
    bool parses;
  };
  // The root object and the time history take two levels, a row the third.
  const Case cases[] = {
      {"depth 10000 in a member", R"({"a":)" + nested(9999) + "}", true},
      {"depth 100000 in a member", R"({"a":)" + nested(99999) + "}", true},
      {"depth 100001 in a member", R"({"a":)" + nested(100000) + "}", false},
      {"depth 100000 inside a row", R"({"TimeHistory":[[)" + nested(99997) + "]]}", true},
      {"depth 100001 inside a row", R"({"TimeHistory":[[)" + nested(99998) + "]]}", false},
      {"depth 100001 after the rows", R"({"TimeHistory":[[1]],"a":)" + nested(100000) + "}", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Parsed parsed;
    Parse(c.text, parsed);
    EXPECT_EQ(!parsed.result.IsError(), c.parses);
    EXPECT_EQ(parsed.document.IsObject(), c.parses);
    if (!c.parses) {
      EXPECT_EQ(parsed.result.Code(), rapidjson::kParseErrorTermination);
      EXPECT_TRUE(parsed.rows.rows.empty());
      EXPECT_EQ(DescribeParseError(parsed.result.Code()),
                "arrays and objects nested more than 100000 deep");
    }
  }
}

}  // namespace
}  // namespace rqx340
