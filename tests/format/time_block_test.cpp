#include <gtest/gtest.h>

#include <string>

#include "format/record_blocks.h"
#include "support/code_page_process.h"
#include "support/exchange_bytes.h"
#include "support/scoped_env.h"
#include "support/system.h"

namespace rqx340 {
namespace {

using test::Field;
using test::LeI32;
using test::Padded;
using test::ScopedEnv;

struct Values {
  std::int32_t size = 0;
  BlockBuffer bytes;
  std::int32_t Count() const { return LeI32(bytes, 0); }
  std::string Tag(std::size_t i) const { return Field(bytes, 4 + 36 * i, 32); }
  std::int32_t Value(std::size_t i) const { return LeI32(bytes, 4 + 36 * i + 32); }
};

Values BuildTime(std::string_view json) {
  rapidjson::Document document;
  test::ParseDocument(document, json);
  Values values;
  values.size = BuildTimeBlock(values.bytes, document);
  return values;
}

TEST(TimeBlockTest, FixedRecordsThenIntegerSummaryValuesInFileOrder) {
  ScopedEnv tz("TZ", "UTC");
  const Values block = BuildTime(R"({"Header":{"StartDateTime":1500000000},"Summary":{
      "Dur":600,"Aeq":1.25,"Name":"x","Big":3000000000,"Two":2.0,"Neg":-5,"Flag":true,
      "Obj":{"a":1},"Dur":601,"Min":-2147483648}})");
  const std::pair<std::string, std::int32_t> expected[] = {
      {"TIME", 1500000000}, {"TYPE", 0}, {"SQNC", 0},  {"BLCK", 1},       {"ANLD", 15},
      {"Dur", 600},         {"Neg", -5}, {"Dur", 601}, {"Min", INT32_MIN}};
  ASSERT_EQ(block.Count(), 9);
  EXPECT_EQ(block.size, 4 + 36 * 9);
  ASSERT_EQ(block.bytes.size(), static_cast<std::size_t>(block.size));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(block.Tag(i), Padded(expected[i].first, 32));
    EXPECT_EQ(block.Value(i), expected[i].second);
  }
}

TEST(TimeBlockTest, SizesFromTheExamples) {
  ScopedEnv tz("TZ", "UTC");
  EXPECT_EQ(BuildTime(R"({"Summary":{"Dur":600,"Aeq":1.25,"Name":"x","Big":3000000000}})").size,
            220);
  for (const std::string_view json :
       {"{}", R"({"Summary":{"a":1.5}})", R"({"Summary":[1,2]})", R"({"Summary":5})", "garbage"}) {
    SCOPED_TRACE(json);
    EXPECT_EQ(BuildTime(json).size, 184);
  }
}

TEST(TimeBlockTest, StartTimeIsTheMetersClockReadAsLocalTime) {
  RQX340_POSIX_ONLY("the zone from TZ");
  struct Case {
    const char* zone;
    std::string_view header;
    std::int32_t time;
  };
  const Case cases[] = {
      {"UTC", R"({"StartDateTime":1500000000})", 1500000000},
      {"Europe/Berlin", R"({"StartDateTime":1500000000})", 1499992800},  // UTC+2 in July
      {"Europe/Berlin", R"({"StartDateTime":1484395200})", 1484391600},  // UTC+1 in January
      {"America/New_York", R"({"StartDateTime":1500000000})", 1500014400},
      {"UTC", "{}", 0},
      {"America/New_York", "{}", 18000},
      {"Europe/Berlin", "{}", -1},
      {"UTC", R"({"StartDateTime":-1})", -1},
      {"UTC", R"({"StartDateTime":2147483647})", 2147483647},
      {"UTC", R"({"StartDateTime":2147483648})", -1},
      {"UTC", R"({"StartDateTime":1500000000.0})", 0},
      {"UTC", R"({"StartDateTime":"1500000000"})", 0},
      {"UTC", R"({"StartDateTime":18446744073709551615})", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.zone << " " << c.header);
    ScopedEnv tz("TZ", c.zone);
    const Values block = BuildTime(R"({"Header":)" + std::string(c.header) + "}");
    EXPECT_EQ(block.Value(0), c.time);
  }
}

TEST(TimeBlockTest, SummaryNamesAreConvertedAndCutForTheTag) {
  ScopedEnv tz("TZ", "UTC");
  const std::string name30(30, 'n');
  const std::string name40(40, 'm');
  const Values block = BuildTime(R"({"Summary":{")" + name30 + R"(":1,")" + name40 +
                                 R"(":2,"Caf\u00e9\u4e2d":3,"ab\u0000cd":4}})");
  ASSERT_EQ(block.Count(), 9);
  EXPECT_EQ(block.Tag(5), name30 + std::string(2, '\0'));
  EXPECT_EQ(block.Tag(6), name40.substr(0, 30) + std::string(2, '\0'));
  EXPECT_EQ(block.Tag(7), Padded("Caf\xE9?", 32));
  EXPECT_EQ(block.Tag(8), Padded("ab", 32));
  EXPECT_EQ(block.Value(8), 4);
}

// A tag cut to 30 bytes under a double-byte code page keeps whole characters.
TEST(TimeBlockTest, DoubleByteNamesAreCutAtCharacterBoundaries) {
  if (!test::UnderAnsiCodePage(932)) return;
  ScopedEnv tz("TZ", "UTC");
  // "B" and 15 characters of two bytes: 31 bytes, 29 of them whole.
  const Values block = BuildTime(
      "{\"Summary\":{\"B\xE6\xB8\xAC\xE5\xAE\x9A\xE6\x99\x82\xE9\x96\x93\xE3\x81\xAE"
      "\xE5\x90\x88\xE8\xA8\x88\xE5\x80\xA4\xE3\x82\x92\xE7\xA7\x92\xE5\x8D\x98"
      "\xE4\xBD\x8D\xE3\x81\xA7\xE8\xA8\x98\xE9\x8C\xB2\":7}}");
  ASSERT_EQ(block.Count(), 6);
  EXPECT_EQ(block.Tag(5), Padded("\x42\x91\xAA\x92\xE8\x8E\x9E\x8A\xD4\x82\xCC\x8D\x87\x8C\x76"
                                 "\x92\x6C\x82\xF0\x95\x62\x92\x50\x88\xCA\x82\xC5\x8B\x4C",
                                 32));
  EXPECT_EQ(block.Value(5), 7);
}

TEST(TimeBlockTest, KeepsMoreThanAHundredIntegerValues) {
  ScopedEnv tz("TZ", "UTC");
  std::string summary;
  for (int i = 0; i < 150; ++i)
    summary += (i ? ",\"v" : "\"v") + std::to_string(i) + "\":" + std::to_string(i);
  const Values block = BuildTime("{\"Summary\":{" + summary + "}}");
  ASSERT_EQ(block.Count(), 155);
  EXPECT_EQ(block.size, 4 + 36 * 155);
  EXPECT_EQ(block.Tag(154), Padded("v149", 32));
  EXPECT_EQ(block.Value(154), 149);
}

}  // namespace
}  // namespace rqx340
