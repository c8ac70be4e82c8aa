#include "format/json_access.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/exchange_bytes.h"

namespace rqx340 {
namespace {

// Every typed read of a value of another type gives the missing value, and no
// RapidJSON assertion fires (the debug and asan builds keep them on).
TEST(JsonAccessTest, TypedReadsOfEveryKind) {
  struct Case {
    std::string_view json;
    std::int32_t as_int;
    std::int64_t as_int64;
    double as_double;
    std::optional<std::string_view> as_string;
    bool flag;
  };
  const Case cases[] = {
      {"1", 1, 1, 1.0, std::nullopt, true},
      {"-7", -7, -7, -7.0, std::nullopt, false},
      {"2147483647", 2147483647, 2147483647, 2147483647.0, std::nullopt, false},
      {"3000000000", 0, 3000000000, 3000000000.0, std::nullopt, false},
      {"-3000000000", 0, -3000000000, -3000000000.0, std::nullopt, false},
      {"18446744073709551615", 0, 0, 18446744073709551615.0, std::nullopt, false},
      {"1.0", 0, 0, 1.0, std::nullopt, false},
      {"2.5e3", 0, 0, 2500.0, std::nullopt, false},
      {"\"12\"", 0, 0, 0.0, "12", false},
      {"\"a\\u0000b\"", 0, 0, 0.0, "a", false},
      {"true", 0, 0, 0.0, std::nullopt, false},
      {"false", 0, 0, 0.0, std::nullopt, false},
      {"null", 0, 0, 0.0, std::nullopt, false},
      {"[1]", 0, 0, 0.0, std::nullopt, false},
      {"{\"a\":1}", 0, 0, 0.0, std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.json);
    rapidjson::Document document;
    test::ParseDocument(document, c.json);
    EXPECT_EQ(json::GetInt(document), c.as_int);
    EXPECT_EQ(json::GetInt64(document), c.as_int64);
    EXPECT_EQ(json::GetDouble(document), c.as_double);
    EXPECT_EQ(json::GetString(document), c.as_string);
    EXPECT_EQ(json::GetText(document), c.as_string.value_or(""));
    EXPECT_EQ(json::IsFlagSet(document), c.flag);
    EXPECT_EQ(json::ArraySize(document), c.json == "[1]" ? 1u : 0u);
  }
}

TEST(JsonAccessTest, MembersOfNonObjectsAreMissing) {
  rapidjson::Document document;
  test::ParseDocument(document,
                      R"({"MeasurementProperties":{"MeasProperties":{"k":2}},"a":[1],"s":"x",)"
                      R"("d":{"k":1,"k":2}})");
  EXPECT_EQ(json::GetInt(json::Member(json::MeasProperties(document), "k")), 2);
  EXPECT_TRUE(json::Member(json::Member(document, "a"), "k").IsNull());
  EXPECT_TRUE(json::Member(json::Member(document, "s"), "k").IsNull());
  EXPECT_TRUE(json::Member(json::Member(document, "missing"), "k").IsNull());
  EXPECT_EQ(json::GetInt(json::Member(json::Member(document, "d"), "k")), 1);  // first wins
  rapidjson::Document null_document;
  EXPECT_TRUE(json::MeasProperties(null_document).IsNull());
}

}  // namespace
}  // namespace rqx340
