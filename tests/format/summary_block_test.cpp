#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <string>

#include "format/record_blocks.h"
#include "support/code_page_process.h"
#include "support/exchange_bytes.h"
#include "support/parsed_measurement.h"

namespace rqx340 {
namespace {

using test::Field;
using test::LeF32;
using test::LeI32;
using test::LeU32;
using test::Padded;

struct Values {
  std::int32_t size = 0;
  BlockBuffer bytes;
  std::int32_t Count() const { return LeI32(bytes, 0); }
  std::string Tag(std::size_t i) const { return Field(bytes, 4 + 36 * i, 32); }
  float Value(std::size_t i) const { return LeF32(bytes, 4 + 36 * i + 32); }
  std::uint32_t Bits(std::size_t i) const { return LeU32(bytes, 4 + 36 * i + 32); }
};

Values BuildSummary(std::string_view json) {
  const test::ParsedMeasurement parsed(json);
  Values values;
  values.size = BuildSummaryBlock(values.bytes, parsed.document, parsed.rows);
  return values;
}

const char* const kFixedTags[] = {
    "RTIM",          "GAIN_X",        "GAIN_Y",        "GAIN_Z",        "SUM_FACTOR_KX",
    "SUM_FACTOR_KY", "SUM_FACTOR_KZ", "SENSITIVITY_X", "SENSITIVITY_Y", "SENSITIVITY_Z",
    "#50",           "EXPOSURELIMIT", "EXPOSUREACTION"};

TEST(SummaryBlockTest, FixedRecordsFromTheSettings) {
  std::string rows = "[";
  for (int i = 0; i < 600; ++i) rows += i ? ",[1]" : "[1]";
  rows += "]";
  const Values block = BuildSummary(R"({"TimeHistory":)" + rows + R"(,
    "MeasurementProperties":{"MeasProperties":{
      "TAG_GAIN_X_22":1.5,"TAG_GAIN_Y_23":2,"TAG_GAIN_Z_24":0.1,
      "TAG_SUM_FACTOR_KX_34":1.4,"TAG_SUM_FACTOR_KY_35":1.4,"TAG_SUM_FACTOR_KZ_36":1,
      "TAG_SENSITIVITY_X_46":10.2,"TAG_SENSITIVITY_Y_47":"9","TAG_SENSITIVITY_Z_48":3000000000,
      "TAG_DB_REFERENCE_51":1,"TAG_EXPOSURELIMIT_65":5.0,"TAG_EXPOSUREACTION_66":2.5}}})");
  ASSERT_EQ(block.size, 472);
  ASSERT_EQ(block.Count(), 13);
  // float32 bit patterns, worked out by hand from the decimal values.
  const std::uint32_t bits[] = {0x44160000,   // 600
                                0x3FC00000,   // 1.5
                                0x40000000,   // 2
                                0x3DCCCCCD,   // 0.1
                                0x3FB33333,   // 1.4
                                0x3FB33333,   // 1.4
                                0x3F800000,   // 1
                                0x41233333,   // 10.2
                                0x00000000,   // a string reads as 0
                                0x4F32D05E,   // 3000000000
                                0x358637BD,   // 1.0e-6
                                0x40A00000,   // 5
                                0x40200000};  // 2.5
  for (std::size_t i = 0; i < 13; ++i) {
    SCOPED_TRACE(kFixedTags[i]);
    EXPECT_EQ(block.Tag(i), Padded(kFixedTags[i], 32));
    EXPECT_EQ(block.Bits(i), bits[i]);
  }
}

TEST(SummaryBlockTest, DecibelReference) {
  struct Case {
    std::string_view value;
    std::uint32_t bits;
  };
  const Case cases[] = {{"1", 0x358637BD},    {"-3", 0x358637BD},  {"0", 0x3727C5AC},
                        {"null", 0x3727C5AC}, {"1.0", 0x3727C5AC}, {"3000000000", 0x3727C5AC}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const Values block = BuildSummary(R"({"MeasurementProperties":{"MeasProperties":{)"
                                      R"("TAG_DB_REFERENCE_51":)" +
                                      std::string(c.value) + "}}}");
    EXPECT_EQ(block.Bits(10), c.bits);
  }
  EXPECT_EQ(BuildSummary("{}").Bits(10), 0x3727C5AC);
}

TEST(SummaryBlockTest, RealSummaryValuesAndTheWeightedAeqRecords) {
  const Values block = BuildSummary(R"({
    "MeasurementProperties":{"MeasProperties":{
      "TAG_SUM_FACTOR_KX_34":1.4,"TAG_SUM_FACTOR_KY_35":1.4,"TAG_SUM_FACTOR_KZ_36":1.0}},
    "Summary":{"AeqX":0.5,"AeqY":0.25,"Count":12,"aeqz":1.5}})");
  ASSERT_EQ(block.Count(), 19);
  EXPECT_EQ(block.size, 4 + 36 * 19);
  const std::pair<std::string, std::uint32_t> expected[] = {
      {"AeqX", 0x3F000000}, {"AeqX_xK", 0x3F333333},   // 0.5, 0.7 in single precision
      {"AeqY", 0x3E800000}, {"AeqY_xK", 0x3EB33333},   // 0.25, 0.35
      {"aeqz", 0x3FC00000}, {"aeqz_xK", 0x3FC00000}};  // 1.5, 1.5
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].first);
    EXPECT_EQ(block.Tag(13 + i), Padded(expected[i].first, 32));
    EXPECT_EQ(block.Bits(13 + i), expected[i].second);
  }
}

TEST(SummaryBlockTest, TheWeightedProductIsFormedInSinglePrecision) {
  // Both factors are rounded to float32 first: 0.3f x 1.4f gives 0x3ED70A3E,
  // while 0.3 x 1.4 in double precision would round to 0x3ED70A3D.
  const Values block = BuildSummary(R"({
    "MeasurementProperties":{"MeasProperties":{"TAG_SUM_FACTOR_KY_35":1.4}},
    "Summary":{"AEQY":0.3}})");
  ASSERT_EQ(block.Count(), 15);
  EXPECT_EQ(block.Tag(14), Padded("AEQY_xK", 32));
  EXPECT_EQ(block.Bits(14), 0x3ED70A3Eu);
}

TEST(SummaryBlockTest, OnlyRealMembersCount) {
  const Values block = BuildSummary(R"({"Summary":{
      "i":3,"r":3.0,"big":3000000000,"huge":18446744073709551616,"s":"1.5","b":true,"n":null,
      "o":{"a":1.5},"a":[1.5],"e":1e2,"inf":1e39,"AeqX":0.5,"AeqXX":0.5,"Aeq":0.5,
      "AeqX\u0000junk":2.0,"\u00c5eqX":1.0}})");
  const std::pair<std::string, std::uint32_t> expected[] = {{"r", 0x40400000},
                                                            {"huge", 0x5F800000},
                                                            {"e", 0x42C80000},
                                                            {"inf", 0x7F800000},
                                                            {"AeqX", 0x3F000000},
                                                            {"AeqX_xK", 0x00000000},
                                                            {"AeqXX", 0x3F000000},
                                                            {"Aeq", 0x3F000000},
                                                            {"AeqX", 0x40000000},
                                                            {"AeqX_xK", 0x00000000},
                                                            {"\xC5"
                                                             "eqX",
                                                             0x3F800000}};
  ASSERT_EQ(block.Count(), 13 + static_cast<std::int32_t>(std::size(expected)));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].first);
    EXPECT_EQ(block.Tag(13 + i), Padded(expected[i].first, 32));
    EXPECT_EQ(block.Bits(13 + i), expected[i].second);
  }
}

TEST(SummaryBlockTest, MissingOrMalformedPartsGiveTheFixedRecordsOnly) {
  for (const std::string_view json :
       {"{}", "{", R"({"Summary":[1.5]})", R"({"Summary":1.5})", R"({"TimeHistory":{"a":1}})"}) {
    SCOPED_TRACE(json);
    const Values block = BuildSummary(json);
    EXPECT_EQ(block.size, 472);
    EXPECT_EQ(block.Value(0), 0.0f);
    for (std::size_t i = 1; i < 13; ++i) {
      EXPECT_EQ(block.Bits(i), i == 10 ? 0x3727C5ACu : 0u);
    }
  }
}

// A tag cut to 30 bytes under a double-byte code page keeps whole characters.
TEST(SummaryBlockTest, DoubleByteNamesAreCutAtCharacterBoundaries) {
  if (!test::UnderAnsiCodePage(932)) return;
  // "A" and 15 characters of two bytes: 31 bytes, 29 of them whole; 14
  // characters and "_" fit.
  const Values block = BuildSummary(
      "{\"Summary\":{\"A\xE6\x8C\xAF\xE5\x8B\x95\xE3\x83\xAC\xE3\x83\x99\xE3\x83\xAB"
      "\xE5\x90\x88\xE8\xA8\x88\xE5\x80\xA4\xE3\x81\xAE\xE6\x9C\x80\xE5\xA4\xA7"
      "\xE5\x80\xA4\xE8\xA9\xA6\xE9\xA8\x93\xE5\x80\xA4\":1.5,"
      "\"\xE6\x8C\xAF\xE5\x8B\x95\xE6\x8C\xAF\xE5\x8B\x95\xE6\x8C\xAF\xE5\x8B\x95"
      "\xE6\x8C\xAF\xE5\x8B\x95\xE6\x8C\xAF\xE5\x8B\x95\xE6\x8C\xAF\xE5\x8B\x95"
      "\xE6\x8C\xAF\xE5\x8B\x95_\":2.5}}");
  ASSERT_EQ(block.Count(), 15);
  EXPECT_EQ(block.Tag(13), Padded("\x41\x90\x55\x93\xAE\x83\x8C\x83\x78\x83\x8B\x8D\x87\x8C\x76"
                                  "\x92\x6C\x82\xCC\x8D\xC5\x91\xE5\x92\x6C\x8E\x8E\x8C\xB1",
                                  32));
  EXPECT_EQ(block.Value(13), 1.5f);
  EXPECT_EQ(block.Tag(14), Padded("\x90\x55\x93\xAE\x90\x55\x93\xAE\x90\x55\x93\xAE\x90\x55"
                                  "\x93\xAE\x90\x55\x93\xAE\x90\x55\x93\xAE\x90\x55\x93\xAE_",
                                  32));
}

TEST(SummaryBlockTest, KeepsMoreThanEightyEightRecords) {
  std::string summary;
  for (int i = 0; i < 100; ++i) summary += (i ? ",\"v" : "\"v") + std::to_string(i) + "\":0.5";
  summary += ",\"aeqx\":1.5";
  const Values block = BuildSummary(
      R"({"MeasurementProperties":{"MeasProperties":{"TAG_SUM_FACTOR_KX_34":2}},"Summary":{)" +
      summary + "}}");
  ASSERT_EQ(block.Count(), 115);
  EXPECT_EQ(block.size, 4 + 36 * 115);
  EXPECT_EQ(block.Tag(113), Padded("aeqx", 32));
  EXPECT_EQ(block.Tag(114), Padded("aeqx_xK", 32));
  EXPECT_EQ(block.Value(114), 3.0f);
}

}  // namespace
}  // namespace rqx340
