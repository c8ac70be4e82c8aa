#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "format/record_blocks.h"
#include "support/code_page_process.h"
#include "support/exchange_bytes.h"
#include "support/scoped_env.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::Field;
using test::LeI32;
using test::Padded;
using test::ScopedEnv;

// Fixed pictures and zone, so that note times have known texts.
class HeaderBlockTest : public ::testing::Test {
 protected:
  ScopedEnv m_tz{"TZ", "UTC"};
  ScopedEnv m_date{"RQX340_SHORTDATE", "yyyy-MM-dd"};
  ScopedEnv m_time{"RQX340_TIMEFORMAT", "HH:mm:ss"};
};

struct Block {
  std::int32_t size = 0;
  BlockBuffer bytes;

  std::int32_t Count() const { return LeI32(bytes, 0); }
  // The raw 32-byte tag and 256-byte text fields of record `i`.
  std::string Tag(std::size_t i) const { return Field(bytes, 4 + 288 * i, 32); }
  std::string Text(std::size_t i) const { return Field(bytes, 4 + 288 * i + 32, 256); }
};

Block Build(std::string_view json, std::string_view name = "m.rqx2") {
  rapidjson::Document document;
  test::ParseDocument(document, json);
  Block block;
  block.size = BuildHeaderBlock(block.bytes, document, name);
  return block;
}

std::string Notes(int count) {
  std::string notes = "[";
  for (int i = 1; i <= count; ++i) {
    if (i > 1) notes += ',';
    notes +=
        "{\"" + std::to_string(1500000000 + 60 * i) + "s\":\"note " + std::to_string(i) + "\"}";
  }
  return notes + "]";
}

TEST_F(HeaderBlockTest, SizesFollowTheNoteCount) {
  struct Case {
    int notes;
    std::int32_t count;
    std::int32_t size;
  };
  const Case cases[] = {{0, 16, 4612},    {3, 22, 6340},    {5, 26, 7492},
                        {46, 108, 31108}, {47, 110, 31684}, {60, 136, 39172}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.notes);
    const Block block = Build("{\"Notes\":" + Notes(c.notes) + "}");
    EXPECT_EQ(block.size, c.size);
    EXPECT_EQ(block.bytes.size(), static_cast<std::size_t>(c.size));
    EXPECT_EQ(block.Count(), c.count);
    // The last records are always the three weightings.
    EXPECT_EQ(block.Tag(c.count - 1), Padded("WEIGHTING_Z", 32));
    if (c.notes > 0) {
      const std::size_t last = 13 + 2 * (c.notes - 1);
      EXPECT_EQ(block.Tag(last), Padded("Notes" + std::to_string(c.notes), 32));
      EXPECT_EQ(block.Text(last), Padded("note " + std::to_string(c.notes), 256));
      EXPECT_EQ(block.Tag(last + 1), Padded("Notes" + std::to_string(c.notes) + "Time", 32));
    }
  }
}

TEST_F(HeaderBlockTest, AFullMeasurementGivesEveryRecord) {
  const Block block = Build(R"({
    "Header": {"SerialNum": "AB123", "StartDateTime": 1500000000},
    "MeasurementProperties": {"MeasProperties": {
      "TAG_OPERATING_MODE_20": 1,
      "TAG_REPORT_HEADER_0_6": "Site A", "TAG_REPORT_HEADER_1_7": "Cal 2",
      "TAG_REPORT_HEADER_2_8": "Operator C",
      "TAG_WEIGHTING_X_37": 4, "TAG_WEIGHTING_Y_38": 20, "TAG_WEIGHTING_Z_39": -1}},
    "Notes": [{"1500000000s": "Check"}, {"15000000001": "two", "x": "ignored"},
              {"": "three"}]})",
                            "Day 1.rqx2");
  ASSERT_EQ(block.size, 6340);
  const std::pair<std::string, std::string> expected[] = {
      {"NAME", "Day 1.rqx2"},
      {"ANLZ", "RQX340 AB123"},
      {"SITE", "Site A"},
      {"OPER", "Operator C"},
      {"NOTE", "Check"},
      {"NOT1", "two"},
      {"NOT2", "three"},
      {"NOT3", ""},
      {"CALB", "Cal 2"},
      {"OPERATING_MODE", "HandArm"},
      {"REPORT_HEADER_0", "Site A"},
      {"REPORT_HEADER_1", "Cal 2"},
      {"REPORT_HEADER_2", "Operator C"},
      {"Notes1", "Check"},
      {"Notes1Time", "2017-07-14 02:40:00"},
      {"Notes2", "two"},
      {"Notes2Time", "2017-07-14 02:40:00"},
      {"Notes3", "three"},
      {"Notes3Time", "1970-01-01 00:00:00"},
      {"WEIGHTING_X", "Wh"},
      {"WEIGHTING_Y", "Wk"},
      {"WEIGHTING_Z", "Ws"},
  };
  ASSERT_EQ(block.Count(), static_cast<std::int32_t>(std::size(expected)));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(block.Tag(i), Padded(expected[i].first, 32));
    EXPECT_EQ(block.Text(i), Padded(expected[i].second, 256));
  }
}

TEST_F(HeaderBlockTest, MissingMembersGiveTheDefaultTexts) {
  // A document that failed to parse reads like one with no members at all.
  for (const std::string_view json : {"{}", "not json", "[1,2]", "{\"Notes\":{\"1s\":\"x\"}}"}) {
    SCOPED_TRACE(json);
    const Block block = Build(json, "broken.rqx2");
    ASSERT_EQ(block.size, 4612);
    EXPECT_EQ(block.Text(0), Padded("broken.rqx2", 256));
    EXPECT_EQ(block.Text(1), Padded("RQX340 (null)", 256));
    for (std::size_t i : {2, 3, 4, 5, 6, 7, 8, 10, 11, 12})
      EXPECT_EQ(block.Text(i), Padded("", 256));
    EXPECT_EQ(block.Tag(4), Padded("NOTE", 32));
    EXPECT_EQ(block.Tag(7), Padded("NOT3", 32));
    EXPECT_EQ(block.Text(9), Padded("Vibration", 256));
    EXPECT_EQ(block.Tag(13), Padded("WEIGHTING_X", 32));
    EXPECT_EQ(block.Text(13), Padded("Ws", 256));
    EXPECT_EQ(block.Text(15), Padded("Ws", 256));
  }
}

TEST_F(HeaderBlockTest, SettingsOfAnotherTypeReadAsMissing) {
  const Block block = Build(R"({
    "Header": {"SerialNum": 12345},
    "MeasurementProperties": {"MeasProperties": {
      "TAG_OPERATING_MODE_20": 2.0, "TAG_REPORT_HEADER_0_6": 7,
      "TAG_WEIGHTING_X_37": "4", "TAG_WEIGHTING_Y_38": 3000000000, "TAG_WEIGHTING_Z_39": true}},
    "Notes": [5, {}, {"1500000000s": 12}, [1], "x"]})");
  ASSERT_EQ(block.Count(), 26);
  EXPECT_EQ(block.Text(1), Padded("RQX340 (null)", 256));
  EXPECT_EQ(block.Text(2), Padded("", 256));
  EXPECT_EQ(block.Text(9), Padded("Vibration", 256));
  for (std::size_t k = 0; k < 5; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(block.Text(13 + 2 * k), Padded("", 256));
    // Only a note object with a member has a time; its value need not be a string.
    EXPECT_EQ(block.Text(14 + 2 * k), Padded(k == 2 ? "2017-07-14 02:40:00" : "", 256));
  }
  EXPECT_EQ(block.Text(23), Padded("Ws", 256));
  EXPECT_EQ(block.Text(24), Padded("Ws", 256));
  EXPECT_EQ(block.Text(25), Padded("Ws", 256));
}

TEST_F(HeaderBlockTest, OperatingModesAndWeightingsAreClamped) {
  struct Case {
    std::string_view value;
    std::string_view mode;
    std::string_view weighting;
  };
  const Case cases[] = {{"0", "Vibration", "Ws"},  {"1", "HandArm", "Fa"},
                        {"2", "WholeBody", "Fb"},  {"5", "WholeBody", "Wm"},
                        {"7", "WholeBody", "Wc"},  {"-1", "Vibration", "Ws"},
                        {"12", "WholeBody", "Wk"}, {"13", "WholeBody", "Wk"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const std::string v(c.value);
    const Block block = Build(R"({"MeasurementProperties":{"MeasProperties":{)"
                              R"("TAG_OPERATING_MODE_20":)" +
                              v + R"(,"TAG_WEIGHTING_Y_38":)" + v + "}}}");
    EXPECT_EQ(block.Text(9), Padded(c.mode, 256));
    EXPECT_EQ(block.Text(14), Padded(c.weighting, 256));
  }
}

TEST_F(HeaderBlockTest, TextsAreConvertedAndCut) {
  const std::string long_line(300, 'L');
  const std::string long_serial(300, 'S');
  const Block block = Build(R"({"Header":{"SerialNum":"Ser\u00e9\u4e2d)" + long_serial +
                                R"("},"MeasurementProperties":{"MeasProperties":{)"
                                R"("TAG_REPORT_HEADER_0_6":")" +
                                long_line +
                                R"(",)"
                                R"("TAG_REPORT_HEADER_1_7":"Caf\u00e9 \u20ac \u4e2d",)"
                                R"("TAG_REPORT_HEADER_2_8":"ab\u0000cd"}},)"
                                R"("Notes":[{"1500000000s\u0000x":"n\u00f6te\u0000hidden"}]})",
                            "Gr\xC3\xBC\xC3\x9F"
                            "e.rqx2");
  // Report-header line 1 in records 2 and 10: its first 254 bytes.
  EXPECT_EQ(block.Text(2), Padded(long_line.substr(0, 254), 256));
  EXPECT_EQ(block.Text(10), Padded(long_line.substr(0, 254), 256));
  // Windows-1252: e-acute and the euro sign exist, the CJK character does not.
  EXPECT_EQ(block.Text(8), Padded("Caf\xE9 \x80 ?", 256));
  EXPECT_EQ(block.Text(11), Padded("Caf\xE9 \x80 ?", 256));
  // A text ends at its first NUL.
  EXPECT_EQ(block.Text(3), Padded("ab", 256));
  EXPECT_EQ(block.Text(4), Padded("n\xF6te", 256));
  EXPECT_EQ(block.Text(13), Padded("n\xF6te", 256));
  // The note name ends at its NUL too: "1500000000s" less its last character.
  EXPECT_EQ(block.Text(14), Padded("2017-07-14 02:40:00", 256));
  // The file name is the program's own text: converted as well.
  EXPECT_EQ(block.Text(0), Padded("Gr\xFC\xDF"
                                  "e.rqx2",
                                  256));
  // The serial number keeps its UTF-8 bytes, cut with the rest of the text.
  const std::string serial_text = "RQX340 Ser\xC3\xA9\xE4\xB8\xAD" + long_serial;
  EXPECT_EQ(block.Text(1), Padded(serial_text.substr(0, 254), 256));
}

std::string Repeated(std::string_view unit, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += unit;
  return text;
}

// Under a double-byte code page a text longer than its field loses the
// character at the cut whole: a lead byte left before the terminator would make
// the host read the terminator as the rest of a character.
TEST_F(HeaderBlockTest, DoubleByteTextsAreCutAtCharacterBoundaries) {
  if (!test::UnderAnsiCodePage(932)) return;
  const std::string name = "n" + Repeated("\xE5\x90\x8D", 130);
  const Block block = Build(
      test::ReadFileBytes(test::DataFile("conversion/japanese-texts-at-field-ends.rqx2")), name);
  ASSERT_EQ(block.Count(), 22);
  // Report-header line 1, "A" and 140 characters of two bytes: 253 bytes, where
  // the plain cut would end in the lead byte of the 127th character.
  const std::string line1 = "A" + Repeated("\x90\x55\x93\xAE\x91\xAA\x92\xE8", 35);
  EXPECT_EQ(block.Text(2), Padded(line1.substr(0, 253), 256));
  EXPECT_EQ(block.Text(10), Padded(line1.substr(0, 253), 256));
  // Half-width katakana are single bytes; the yen sign, the wave dash, hangul
  // and an emoji are not in the code page.
  const std::string line2 = "\x8D\x5A\x90\xB3 \xB6\xC0\xB6\xC5 ?? ? ?";
  EXPECT_EQ(block.Text(8), Padded(line2, 256));
  EXPECT_EQ(block.Text(11), Padded(line2, 256));
  const std::string line3 = "\x91\xAA\x92\xE8\x8E\xD2\x81\x46\x8E\x52\x93\x63\x91\xBE\x98\x59";
  EXPECT_EQ(block.Text(3), Padded(line3, 256));
  EXPECT_EQ(block.Text(12), Padded(line3, 256));
  // Notes: 127 characters fill the 254 bytes exactly; "x" and 127 characters
  // lose the last one.
  const std::string note1 =
      "\x83\x4F\x83\x89\x83\x43\x83\x93\x83\x5F\x81\x5B\x8D\xEC\x8B\xC6\x92\x86";
  const std::string note2 = Repeated("\x90\x55", 127);
  const std::string note3 = "x" + Repeated("\x93\xAE", 126);
  EXPECT_EQ(block.Text(4), Padded(note1, 256));
  EXPECT_EQ(block.Text(5), Padded(note2, 256));
  EXPECT_EQ(block.Text(6), Padded(note3, 256));
  EXPECT_EQ(block.Text(13), Padded(note1, 256));
  EXPECT_EQ(block.Text(15), Padded(note2, 256));
  EXPECT_EQ(block.Text(17), Padded(note3, 256));
  // The file name, "n" and 130 characters.
  EXPECT_EQ(block.Text(0), Padded("n" + Repeated("\x96\xBC", 126), 256));
  // The serial number keeps its UTF-8 bytes, which the host reads in its code
  // page: each E6 97 A5 as a pair and a half-width katakana.
  const std::string analyzer = "RQX340 RQ1" + Repeated("\xE6\x97\xA5", 90);
  EXPECT_EQ(block.Text(1), Padded(analyzer.substr(0, 253), 256));
}

TEST_F(HeaderBlockTest, NoteTimesFollowTheZone) {
  RQX340_POSIX_ONLY("the zone from TZ");
  ScopedEnv zone("TZ", "Europe/Berlin");
  const Block block =
      Build(R"({"Notes":[{"1500000000s":"a"},{"  -5x":"b"},{"99999999999999999999x":"c"}]})");
  EXPECT_EQ(block.Text(14), Padded("2017-07-14 04:40:00", 256));
  EXPECT_EQ(block.Text(16), Padded("1970-01-01 00:59:55", 256));
  // A time beyond every calendar gives no text (saturated at the 64-bit limit).
  EXPECT_EQ(block.Text(18), Padded(" ", 256));
}

}  // namespace
}  // namespace rqx340
