#include "measurement/key_value_handler.h"

#include <gtest/gtest.h>
#include <rapidjson/memorystream.h>

#include <string>
#include <vector>

#include "measurement/decimal_text.h"

namespace rqx340 {
namespace {

struct Snapshot {
  std::int32_t state;
  std::string key;
  std::string value;
  bool operator==(const Snapshot&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Snapshot& s) {
  return out << "{" << s.state << ", \"" << s.key << "\", \"" << s.value << "\"}";
}

struct Pulled {
  std::vector<Snapshot> events;  // the handler after every event
  std::vector<std::pair<std::string, std::string>> pairs;
  PullParseEnd end;
};

// Pull-parses `text` (NUL bytes included), stopping after `stop_after` events.
Pulled Pull(const std::string& text, std::size_t stop_after = SIZE_MAX) {
  rapidjson::MemoryStream stream(text.data(), text.size());
  KeyValueHandler handler;
  Pulled pulled;
  bool pair_taken = false;  // a pair stays readable over later events; count it once
  pulled.end = PullParse(stream, handler, [&](const KeyValueHandler& h) {
    pulled.events.push_back({h.m_nState, h.m_strKey, h.m_strValue});
    if (h.m_nState == KeyValueHandler::kAwaitingValue) pair_taken = false;
    if (h.HasPair() && !pair_taken) {
      pulled.pairs.emplace_back(h.m_strKey, h.m_strValue);
      pair_taken = true;
    }
    return pulled.events.size() < stop_after;
  });
  return pulled;
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(PullParseTest, ReturnsToTheCallerAfterEveryEvent) {
  const Pulled pulled = Pull(R"({"a":"xy","b":5})");
  const std::vector<Snapshot> expected = {
      {1, "", ""},     // start of the object
      {2, "a", ""},    // key a
      {1, "a", "xy"},  // pair a = xy
      {2, "b", ""},    // key b
      {1, "b", "5"},   // pair b = 5, the number as its text
      {1, "b", "5"},   // end of the object
  };
  EXPECT_EQ(pulled.events, expected);
  EXPECT_EQ(pulled.end, PullParseEnd::kEndOfInput);
}

TEST(PullParseTest, PairStaysReadableUntilTheNextKey) {
  const Pulled pulled = Pull(R"({"h":{"a":"xy"},"b":"2"})");
  const std::vector<Snapshot> expected = {
      {1, "", ""},  {2, "h", ""},   {1, "h", ""},    // an object value completes no pair
      {2, "a", ""}, {1, "a", "xy"}, {1, "a", "xy"},  // still a = xy after the inner end
      {2, "b", ""}, {1, "b", "2"},  {1, "b", "2"},
  };
  EXPECT_EQ(pulled.events, expected);
}

TEST(PullParseTest, PairsAndHowTheParseEnds) {
  struct Case {
    const char* name;
    std::string text;
    Pairs pairs;
    PullParseEnd end;
  };
  using End = PullParseEnd;
  const Case cases[] = {
      {"true stops", R"({"f":true,"a":"1"})", {}, End::kStoppedAtLiteral},
      {"false stops", R"({"a":"1","f":false,"b":"2"})", {{"a", "1"}}, End::kStoppedAtLiteral},
      {"null stops", R"([null,{"a":"1"}])", {}, End::kStoppedAtLiteral},
      {"array pairs its first element", R"({"n":["x","y"]})", {{"n", "x"}}, End::kEndOfInput},
      {"object value forms no pair", R"({"o":{},"p":[]})", {}, End::kEndOfInput},
      {"keys at any depth", R"([{"a":{"b":[{"c":1}]}}])", {{"c", "1"}}, End::kEndOfInput},
      {"numbers as written",
       R"({"a":-1.50e+3,"b":0,"c":123456789012345678901234567890})",
       {{"a", "-1.50e+3"}, {"b", "0"}, {"c", "123456789012345678901234567890"}},
       End::kEndOfInput},
      {"escapes decoded, UTF-8 kept",
       R"({"s":"\"\\\/\n\u00e9\ud83d\ude00"})",
       {{"s", "\"\\/\n\xc3\xa9\xf0\x9f\x98\x80"}},
       End::kEndOfInput},
      {"bytes above 0x7F unchanged", "{\"s\":\"\xff\xfe\"}", {{"s", "\xff\xfe"}}, End::kEndOfInput},
      {"value ending at NUL", R"({"s":"ab\u0000cd"})", {{"s", "ab"}}, End::kEndOfInput},
      {"value that is only NUL", R"({"s":"\u0000","t":"1"})", {{"t", "1"}}, End::kEndOfInput},
      {"key ending at NUL", R"({"k\u0000x":"1"})", {{"k", "1"}}, End::kEndOfInput},
      {"empty string", R"({"s":"","t":"1"})", {{"t", "1"}}, End::kEndOfInput},
      {"value without a key", R"(["x",{"a":"1"}])", {{"a", "1"}}, End::kEndOfInput},
      {"text after the root", R"({"a":"1"} x)", {{"a", "1"}}, End::kSyntaxError},
      {"NUL after the root", std::string("{\"a\":\"1\"}\0x", 10), {{"a", "1"}}, End::kEndOfInput},
      {"syntax error keeps earlier pairs", R"({"a":"1","b":})", {{"a", "1"}}, End::kSyntaxError},
      {"number too big", R"({"a":"1","b":1e400})", {{"a", "1"}}, End::kSyntaxError},
      {"empty input", "", {}, End::kSyntaxError},
      {"binary junk", std::string("\x00\x01\x02\xff", 4), {}, End::kSyntaxError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Pulled pulled = Pull(c.text);
    EXPECT_EQ(pulled.pairs, c.pairs);
    EXPECT_EQ(pulled.end, c.end);
  }
}

TEST(PullParseTest, CallerStopsTheParse) {
  const Pulled pulled = Pull(R"({"a":"1","b":"2"})", 3);
  EXPECT_EQ(pulled.events.size(), 3u);
  EXPECT_EQ(pulled.pairs, (Pairs{{"a", "1"}}));
  EXPECT_EQ(pulled.end, PullParseEnd::kStoppedByCaller);
}

TEST(PullParseTest, LiteralEndsTheParseWithoutAnotherCallback) {
  const Pulled pulled = Pull(R"({"f":true,"a":"1"})");
  EXPECT_EQ(pulled.events.size(), 2u);  // start of the object and key f
}

TEST(PullParseTest, NestingParsesToItsLimitAndStopsPastIt) {
  // Pairs of an object and an array: 2 x levels deep.
  const auto nested = [](std::size_t levels) {
    std::string text;
    for (std::size_t i = 0; i < levels; ++i) text += "{\"k\":[";
    text += "\"v\"";
    for (std::size_t i = 0; i < levels; ++i) text += "]}";
    return text;
  };
  struct Case {
    const char* name;
    std::string text;
    PullParseEnd end;
    bool sees_value;
  };
  const Case cases[] = {
      {"depth 10000", nested(5000), PullParseEnd::kEndOfInput, true},
      {"depth 100000, the limit", nested(50000), PullParseEnd::kEndOfInput, true},
      {"one level more", "[" + nested(50000) + "]", PullParseEnd::kTooDeep, false},
      {"unbalanced within the limit", std::string(100000, '['), PullParseEnd::kSyntaxError, false},
      {"unbalanced past the limit", std::string(500000, '['), PullParseEnd::kTooDeep, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    bool seen = false;
    rapidjson::MemoryStream stream(c.text.data(), c.text.size());
    KeyValueHandler handler;
    EXPECT_EQ(PullParse(stream, handler,
                        [&](const KeyValueHandler& h) {
                          seen = seen || (h.HasPair() && h.m_strValue == "v");
                          return true;
                        }),
              c.end);
    EXPECT_EQ(seen, c.sees_value);
  }
}

TEST(KeyValueHandlerTest, TypedNumbersBecomeTextToo) {
  // Without kParseNumbersAsStringsFlag the reader hands over typed numbers.
  const std::string text = R"({"i":-2,"u":3000000000,"l":-9000000000,"d":1.5})";
  rapidjson::MemoryStream stream(text.data(), text.size());
  KeyValueHandler handler;
  Pairs pairs;
  struct Recorder : rapidjson::BaseReaderHandler<rapidjson::UTF8<>, Recorder> {
    KeyValueHandler& h;
    Pairs& pairs;
    Recorder(KeyValueHandler& handler, Pairs& p) : h(handler), pairs(p) {}
    bool Key(const char* s, rapidjson::SizeType n, bool c) { return h.Key(s, n, c); }
    bool Int(int v) { return h.Int(v) && Take(); }
    bool Uint(unsigned v) { return h.Uint(v) && Take(); }
    bool Int64(std::int64_t v) { return h.Int64(v) && Take(); }
    bool Uint64(std::uint64_t v) { return h.Uint64(v) && Take(); }
    bool Double(double v) { return h.Double(v) && Take(); }
    bool Take() {
      pairs.emplace_back(h.m_strKey, h.m_strValue);
      return true;
    }
  } recorder(handler, pairs);
  rapidjson::Reader reader;
  ASSERT_FALSE(reader.Parse(stream, recorder).IsError());
  EXPECT_EQ(pairs, (Pairs{{"i", "-2"}, {"u", "3000000000"}, {"l", "-9000000000"}, {"d", "1.5"}}));
}

TEST(DecimalTextTest, ReadsLikeTheRuntimeAndSaturates) {
  struct Case {
    const char* text;
    std::int64_t value64;
    std::int32_t value32;
  };
  const Case cases[] = {
      {"0", 0, 0},
      {"1500000000", 1500000000, 1500000000},
      {"  \t\n-42xyz", -42, -42},
      {"+7", 7, 7},
      {"", 0, 0},
      {"abc", 0, 0},
      {"-", 0, 0},
      {"- 5", 0, 0},
      {"1.9", 1, 1},
      {"1e5", 1, 1},
      {"3000000000", 3000000000, INT32_MAX},
      {"-3000000000", -3000000000, INT32_MIN},
      {"9223372036854775807", INT64_MAX, INT32_MAX},
      {"9223372036854775808", INT64_MAX, INT32_MAX},
      {"-9223372036854775808", INT64_MIN, INT32_MIN},
      {"-9223372036854775809", INT64_MIN, INT32_MIN},
      {"99999999999999999999999999", INT64_MAX, INT32_MAX},
      {"\xc2\xa0"
       "5",
       0, 0},  // only ASCII white space is skipped
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ReadDecimal64(c.text), c.value64);
    EXPECT_EQ(ReadDecimal32(c.text), c.value32);
  }
}

}  // namespace
}  // namespace rqx340
