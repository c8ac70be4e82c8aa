#include <gtest/gtest.h>

#include <string>

#include "format/record_blocks.h"
#include "support/exchange_bytes.h"

namespace rqx340 {
namespace {

using test::Field;
using test::LeI32;
using test::Padded;

struct Lists {
  std::int32_t size = 0;
  BlockBuffer bytes;
  std::string Tag(std::size_t i) const { return Field(bytes, 4 + 544 * i, 32); }
  std::string Text(std::size_t i) const { return Field(bytes, 4 + 544 * i + 32, 512); }
};

Lists BuildLists(std::string_view json) {
  rapidjson::Document document;
  test::ParseDocument(document, json);
  Lists lists;
  lists.size = BuildChannelBlock(lists.bytes, document);
  return lists;
}

std::string Repeat(std::string_view part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += part;
  return text;
}

TEST(ChannelBlockTest, ListsPerOctaveSetting) {
  const std::string kFull11 =
      ",1/1 X rms,1/1 Y rms,1/1 Z rms,1/1 SUM rms,1/1 X peak,1/1 Y peak,1/1 Z peak,1/1 SUM peak";
  const std::string kThird =
      ",1/3 X rms,1/3 Y rms,1/3 Z rms,1/3 SUM rms,1/3 X peak,1/3 Y peak,1/3 Z peak,1/3 SUM peak";
  struct Case {
    std::string name;
    std::string props;
    std::string columns;
    std::string lists[6];  // CHNM, FILT, BAND, WGHT, FTNM, STOC
  };
  const Case cases[] = {
      {"no octaves",
       R"("TAG_WEIGHTING_X_37":4,"TAG_WEIGHTING_Y_38":4,"TAG_WEIGHTING_Z_39":8)",
       "{}",
       {"X,Y,Z,SUM", "0,0,0,0", "0,0,0,0", "Wh,Wh,Wd, ,", "0,0,0,0", "0,0,0,0"}},
      {"1/1 only",
       R"("TAG_FULL_OCTAVE_54":1,"TAG_WEIGHTING_X_37":12,"TAG_WEIGHTING_Y_38":12,)"
       R"("TAG_WEIGHTING_Z_39":8)",
       R"({"OBA1_1_Count":9})",
       {"X,Y,Z,SUM" + kFull11, "0,0,0,0" + Repeat(",1", 8), "0,0,0,0" + Repeat(",0", 8),
        "Wk,Wk,Wd, " + Repeat(",Wk,Wk,Wd, ", 2) + ",", "0,0,0,0" + Repeat(",9", 8),
        "0,0,0,0" + Repeat(",-1", 8)}},
      {"1/3 only",
       R"("TAG_THIRD_OCTAVE_55":1)",
       R"({"OBA1_3_Count":24})",
       {"X,Y,Z,SUM" + kThird, "0,0,0,0" + Repeat(",1", 8), "0,0,0,0" + Repeat(",1", 8),
        "Ws,Ws,Ws, " + Repeat(",Ws,Ws,Ws, ", 2) + ",", "0,0,0,0" + Repeat(",24", 8),
        "0,0,0,0" + Repeat(",-3", 8)}},
      {"both",
       R"("TAG_FULL_OCTAVE_54":1,"TAG_THIRD_OCTAVE_55":1,"TAG_WEIGHTING_X_37":1)",
       R"({"OBA1_1_Count":8,"OBA1_3_Count":-2})",
       {"X,Y,Z,SUM" + kFull11 + kThird, "0,0,0,0" + Repeat(",1", 16),
        "0,0,0,0" + Repeat(",0", 8) + Repeat(",1", 8),
        "Fa,Ws,Ws, " + Repeat(",Fa,Ws,Ws, ", 4) + ",",
        "0,0,0,0" + Repeat(",8", 8) + Repeat(",-2", 8),
        "0,0,0,0" + Repeat(",-1", 8) + Repeat(",-3", 8)}},
      {"flags that are not the integer 1",
       R"("TAG_FULL_OCTAVE_54":2,"TAG_THIRD_OCTAVE_55":1.0)",
       R"({"OBA1_1_Count":9})",
       {"X,Y,Z,SUM", "0,0,0,0", "0,0,0,0", "Ws,Ws,Ws, ,", "0,0,0,0", "0,0,0,0"}},
      {"flags set, counts missing or of another type",
       R"("TAG_FULL_OCTAVE_54":1,"TAG_THIRD_OCTAVE_55":1)",
       R"({"OBA1_3_Count":"24"})",
       {"X,Y,Z,SUM" + kFull11 + kThird, "0,0,0,0" + Repeat(",1", 16),
        "0,0,0,0" + Repeat(",0", 8) + Repeat(",1", 8),
        "Ws,Ws,Ws, " + Repeat(",Ws,Ws,Ws, ", 4) + ",", "0,0,0,0" + Repeat(",0", 16),
        "0,0,0,0" + Repeat(",-1", 8) + Repeat(",-3", 8)}},
  };
  const char* const kTags[] = {"CHNM", "FILT", "BAND", "WGHT", "FTNM", "STOC", "LINA", "CALB"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Lists lists =
        BuildLists(R"({"MeasurementProperties":{"MeasProperties":{)" + c.props +
                   R"(}},"TimeHistoryColumns":)" + c.columns + R"(,"LINA":5,"CALB":7})");
    ASSERT_EQ(lists.size, 4356);
    ASSERT_EQ(lists.bytes.size(), 4356u);
    EXPECT_EQ(LeI32(lists.bytes, 0), 8);
    for (std::size_t i = 0; i < 8; ++i) {
      SCOPED_TRACE(kTags[i]);
      EXPECT_EQ(lists.Tag(i), Padded(kTags[i], 32));
      EXPECT_EQ(lists.Text(i), Padded(i < 6 ? c.lists[i] : "0", 512));
    }
  }
}

TEST(ChannelBlockTest, NoOctaveWeightingListIsElevenBytes) {
  const Lists lists =
      BuildLists(R"({"MeasurementProperties":{"MeasProperties":{"TAG_WEIGHTING_X_37":4,)"
                 R"("TAG_WEIGHTING_Y_38":4,"TAG_WEIGHTING_Z_39":8}}})");
  EXPECT_EQ(lists.Text(3), std::string("Wh,Wh,Wd, ,") + std::string(501, '\0'));
}

// Records of a quantity block, hand-written: kind, class, code, 0, 0, 0, name, unit.
std::string QuantityRecordBytes(std::int32_t channel_class, std::int32_t code,
                                std::string_view name) {
  auto le = [](std::int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
      s[i] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * i)) & 0xFF);
    return s;
  };
  return le(3) + le(channel_class) + le(code) + le(0) + le(0) + le(0) + Padded(name, 16) +
         Padded("m/s2", 16);
}

TEST(QuantityBlockTest, RecordsPerGroupAndAxis) {
  const std::string rms = QuantityRecordBytes(1, 0, "rms");
  const std::string peak = QuantityRecordBytes(1, 5, "peak");
  const std::string vdv = QuantityRecordBytes(1, 2, "vdv");
  const std::string min = QuantityRecordBytes(1, 3, "min");
  const std::string max = QuantityRecordBytes(1, 4, "max");
  const std::string octave_rms = QuantityRecordBytes(11, 0, "rms");
  const std::string octave_peak = QuantityRecordBytes(11, 5, "peak");
  struct Case {
    int group;
    int axis;
    std::string bytes;
  };
  const std::string broadband = std::string("\x05\0\0\0", 4) + rms + peak + vdv + min + max;
  const Case cases[] = {
      {0, 0, broadband},
      {0, 1, broadband},
      {0, 2, broadband},
      {0, 3, std::string("\x04\0\0\0", 4) + rms + peak + min + max},
      {1, 0, std::string("\x01\0\0\0", 4) + octave_rms},
      {1, 3, std::string("\x01\0\0\0", 4) + octave_rms},
      {2, 1, std::string("\x01\0\0\0", 4) + octave_peak},
      {3, 2, std::string("\x01\0\0\0", 4) + octave_rms},
      {4, 3, std::string("\x01\0\0\0", 4) + octave_peak},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "group " << c.group << " axis " << c.axis);
    BlockBuffer buffer;
    const std::int32_t size = BuildQuantityBlock(buffer, c.group, c.axis);
    EXPECT_EQ(size, c.group == 0 ? (c.axis == 3 ? 228 : 284) : 60);
    EXPECT_EQ(Field(buffer, 0, buffer.size()), c.bytes);
  }
}

}  // namespace
}  // namespace rqx340
