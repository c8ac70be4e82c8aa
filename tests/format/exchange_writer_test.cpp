#include "format/exchange_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "format/exchange_reader.h"
#include "support/exchange_bytes.h"
#include "support/memory_sink.h"
#include "support/parsed_measurement.h"
#include "support/recording_progress.h"
#include "support/scoped_env.h"

namespace rqx340 {
namespace {

using test::FailingSink;
using test::Field;
using test::LeF32;
using test::LeI32;
using test::LeU32;
using test::MemorySink;
using test::Padded;
using test::ScopedEnv;

struct Written {
  ExchangeWriteResult result;
  std::vector<std::byte> bytes;
  std::vector<std::string> calls;
};

Written Write(std::string_view json, ByteSink* sink = nullptr, std::string_view name = "m.rqx2") {
  const test::ParsedMeasurement parsed(json);
  MemorySink memory;
  ByteSink& target = sink != nullptr ? *sink : memory;
  test::CallLog log;
  test::RecordingProgressSink progress(log);
  test::RecordingMessagePump pump(log);
  Written written;
  written.result = WriteExchangeFile(target, parsed.document, parsed.rows, name, progress, pump);
  written.bytes = (sink != nullptr ? static_cast<MemorySink&>(*sink) : memory).Bytes();
  written.calls = log.Calls();
  return written;
}

// Columns in reverse: value i of a row comes from element 18 - i.
constexpr std::string_view kReversedColumns =
    R"("rms_x":18,"peak_x":17,"vdv_x":16,"min_x":15,"max_x":14,"rms_y":13,"peak_y":12,)"
    R"("vdv_y":11,"min_y":10,"max_y":9,"rms_z":8,"peak_z":7,"vdv_z":6,"min_z":5,"max_z":4,)"
    R"("rms_sum":3,"peak_sum":2,"min_sum":1,"max_sum":0)";

std::string Props(std::string_view members) {
  return R"("MeasurementProperties":{"MeasProperties":{)" + std::string(members) + "}}";
}

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

class ExchangeWriterTest : public ::testing::Test {
 protected:
  ScopedEnv m_tz{"TZ", "UTC"};
};

TEST_F(ExchangeWriterTest, BroadbandOnlyFileByteByByte) {
  const Written w = Write(
      R"({"Header":{"SerialNum":"S1","StartDateTime":1500000000},)" + Props("") +
      R"(,"TimeHistoryColumns":{)" + std::string(kReversedColumns) +
      R"(},"TimeHistory":[)"
      R"([0.5,1.5,2.5,3.5,4.5,5.5,6.5,7.5,8.5,9.5,10.5,11.5,12.5,13.5,14.5,15.5,16.5,17.5,18.5],)"
      R"([0.1,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,-3000000000,99]]})");
  ASSERT_TRUE(w.result.Ok());
  const auto& b = w.bytes;
  // Offsets worked out from the block sizes: 8480 + 4612 (16 header records)
  // + 184 (5 time records) + 472 (13 summary records) + 4356 + 40 + 40, then
  // quantity blocks of 284, 284, 284 and 228 bytes.
  EXPECT_EQ(LeI32(b, 0x000), 5);
  EXPECT_EQ(LeI32(b, 0x004), 1);
  EXPECT_EQ(LeI32(b, 0x008), 2);
  EXPECT_EQ(LeI32(b, 0x028), 8480);
  EXPECT_EQ(LeI32(b, 0x02C), 13092);
  EXPECT_EQ(LeI32(b, 0x030), 13276);
  EXPECT_EQ(LeI32(b, 0x04C), 13748);
  EXPECT_EQ(LeI32(b, 0x044), 18104);
  EXPECT_EQ(LeI32(b, 0x048), 18144);
  EXPECT_EQ(LeI32(b, 0x060), 18184);
  EXPECT_EQ(LeI32(b, 0x070), 18468);
  EXPECT_EQ(LeI32(b, 0x080), 18752);
  EXPECT_EQ(LeI32(b, 0x090), 19036);
  EXPECT_EQ(LeI32(b, 0x454), 19264);
  EXPECT_EQ(w.result.dataOffset, 19264);
  EXPECT_EQ(w.result.rowCount, 2);
  // Every other header byte is 0.
  for (std::size_t i = 0; i < 8480; ++i) {
    const bool used = i < 12 || (i >= 0x28 && i < 0x34) || (i >= 0x44 && i < 0x50) ||
                      (i >= 0x60 && i < 0xA0 && (i - 0x60) % 16 < 4) || (i >= 0x454 && i < 0x458);
    if (!used) {
      ASSERT_EQ(b[i], std::byte{0}) << "header byte " << i;
    }
  }
  // The blocks start with their counts.
  EXPECT_EQ(LeI32(b, 8480), 16);
  EXPECT_EQ(Field(b, 8484 + 288, 32), Padded("ANLZ", 32));
  EXPECT_EQ(LeI32(b, 13092), 5);
  EXPECT_EQ(Field(b, 13096, 32), Padded("TIME", 32));
  EXPECT_EQ(LeI32(b, 13096 + 32), 1500000000);
  EXPECT_EQ(LeI32(b, 13276), 13);
  EXPECT_EQ(Field(b, 13280, 32), Padded("RTIM", 32));
  EXPECT_EQ(LeF32(b, 13280 + 32), 2.0f);
  EXPECT_EQ(LeI32(b, 13748), 8);
  // CHAN and DTIM.
  EXPECT_EQ(Field(b, 18104, 40),
            std::string("\1\0\0\0", 4) + Padded("CHAN", 32) + std::string("\4\0\0\0", 4));
  EXPECT_EQ(Field(b, 18144, 40),
            std::string("\1\0\0\0", 4) + Padded("DTIM", 32) + std::string("\0\0\x80\x3F", 4));
  EXPECT_EQ(LeI32(b, 18184), 5);
  EXPECT_EQ(LeI32(b, 19036), 4);
  // Two rows of 19 values, nothing after them.
  ASSERT_EQ(b.size(), 19264u + 2 * 19 * 4);
  for (int i = 0; i < 19; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(LeF32(b, 19264 + 4 * i), 18.5f - i);
  }
  const std::size_t row1 = 19264 + 19 * 4;
  EXPECT_EQ(LeU32(b, row1), 0xCF32D05Eu);  // -3000000000, element 18
  EXPECT_EQ(LeF32(b, row1 + 4), 17.0f);
  EXPECT_EQ(LeU32(b, row1 + 18 * 4), 0x3DCCCCCDu);  // 0.1, element 0
}

TEST_F(ExchangeWriterTest, GroupsAndOffsetsPerOctaveSetting) {
  struct Case {
    std::string name;
    std::string props;
    std::string columns;
    int groups;
    std::size_t row_values;
  };
  const Case cases[] = {
      {"neither", "", "", 1, 19},
      {"both, 8 and 24 bands", R"("TAG_FULL_OCTAVE_54":1,"TAG_THIRD_OCTAVE_55":1)",
       R"("OBA1_1_Start":19,"OBA1_1_Count":8,"OBA1_3_Start":67,"OBA1_3_Count":24)", 5, 275},
      {"1/3 only", R"("TAG_THIRD_OCTAVE_55":1)", R"("OBA1_3_Start":19,"OBA1_3_Count":24)", 3,
       19 + 192},
      {"1/1 only, 9 bands", R"("TAG_FULL_OCTAVE_54":1)", R"("OBA1_1_Start":19,"OBA1_1_Count":9)", 3,
       19 + 72},
      {"flags 1.0 and true", R"("TAG_FULL_OCTAVE_54":1.0,"TAG_THIRD_OCTAVE_55":true)",
       R"("OBA1_1_Count":9,"OBA1_3_Count":24)", 1, 19},
      {"flags set, columns missing", R"("TAG_FULL_OCTAVE_54":1,"TAG_THIRD_OCTAVE_55":1)", "", 5,
       19},
      {"negative band count", R"("TAG_FULL_OCTAVE_54":1)", R"("OBA1_1_Count":-4)", 3, 19},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Written w = Write("{" + Props(c.props) + R"(,"TimeHistoryColumns":{)" + c.columns +
                            R"(},"TimeHistory":[[1],[2],[3]]})");
    ASSERT_TRUE(w.result.Ok());
    const auto& b = w.bytes;
    EXPECT_EQ(LeI32(b, 18104 + 36), 4 * c.groups);  // CHAN
    // Quantity blocks follow DTIM: group 0 of 284, 284, 284, 228 bytes, then
    // the octave groups of 60 bytes each.
    std::int32_t offset = 18184;
    for (int k = 0; k < 4 * c.groups; ++k) {
      EXPECT_EQ(LeI32(b, 0x60 + 16 * k), offset) << "entry " << k;
      offset += k < 3 ? 284 : k == 3 ? 228 : 60;
    }
    for (int k = 4 * c.groups; k < 63; ++k) EXPECT_EQ(LeI32(b, 0x60 + 16 * k), 0) << "entry " << k;
    EXPECT_EQ(LeI32(b, 0x454), offset);
    EXPECT_EQ(b.size(), static_cast<std::size_t>(offset) + 3 * 4 * c.row_values);
    if (c.groups == 5) {
      EXPECT_EQ(offset, 20224);
    }
  }
}

TEST_F(ExchangeWriterTest, OctaveValuesAxisByAxisWithSinglePrecisionSums) {
  // 1/1: two bands from element 2; 1/3: one band from element 20.
  const Written w = Write(
      "{" + Props(R"("TAG_FULL_OCTAVE_54":1,"TAG_THIRD_OCTAVE_55":1)") +
      R"(,"TimeHistoryColumns":{"OBA1_1_Start":2,"OBA1_1_Count":2,"OBA1_3_Start":20,"OBA1_3_Count":1},)"
      R"("TimeHistory":[[7,7, 3,4,0,1,2,2, 6,8,0,0,0,0, 0,0,0,0,0,0, 0.3,1.3,0.9,-3,-4,12]]})");
  ASSERT_TRUE(w.result.Ok());
  const std::size_t data = static_cast<std::size_t>(w.result.dataOffset);
  ASSERT_EQ(w.bytes.size(), data + 4 * (19 + 16 + 8));
  // The broadband values: every column missing reads element 0.
  for (int i = 0; i < 19; ++i) EXPECT_EQ(LeF32(w.bytes, data + 4 * i), 7.0f);
  const float full[16] = {3, 6, 4, 8, 0, 0, 5, 10, 1, 0, 2, 0, 2, 0, 3, 0};
  for (int i = 0; i < 16; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(LeF32(w.bytes, data + 4 * (19 + i)), full[i]);
  }
  // sqrt of (0.3f² + 1.3f²) + 0.9f² in single precision is 0x3FCDFF1A; the sum
  // in double precision would give 0x3FCDFF1B.
  const std::uint32_t third[8] = {Bits(0.3f),  Bits(1.3f),  Bits(0.9f),  0x3FCDFF1A,
                                  Bits(-3.0f), Bits(-4.0f), Bits(12.0f), Bits(13.0f)};
  for (int i = 0; i < 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(LeU32(w.bytes, data + 4 * (35 + i)), third[i]);
  }
}

TEST_F(ExchangeWriterTest, ValuesOutsideARowOrNotNumbersReadAsZero) {
  const Written w = Write("{" + Props(R"("TAG_FULL_OCTAVE_54":1)") +
                          R"(,"TimeHistoryColumns":{"rms_x":-1,"peak_x":5,"vdv_x":2147483647,)"
                          R"("min_x":1,"max_x":2,"rms_y":3.0,"OBA1_1_Start":-6,"OBA1_1_Count":2},)"
                          R"("TimeHistory":[[1,"2",null,[4],{"a":5},6], "row", 17, {"a":[1]}]})");
  ASSERT_TRUE(w.result.Ok());
  ASSERT_EQ(w.result.rowCount, 4);
  const std::size_t data = static_cast<std::size_t>(w.result.dataOffset);
  const std::size_t row = 19 + 16;
  ASSERT_EQ(w.bytes.size(), data + 4 * 4 * row);
  // Row 0: rms_x -1 outside, peak_x 6, vdv_x outside, min_x a string, max_x
  // null, rms_y 3.0 reads as column 0, every other column 0.
  const float broadband[19] = {0, 6, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  for (int i = 0; i < 19; ++i) EXPECT_EQ(LeF32(w.bytes, data + 4 * i), broadband[i]) << i;
  // Band 0 lies before the row (elements -6..-1); band 1 is elements 0..5.
  const float octave[16] = {0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 6, 0, 6};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(LeF32(w.bytes, data + 4 * (19 + i)), octave[i]) << i;
  // Rows that are not arrays are all zeros.
  for (std::size_t i = row; i < 4 * row; ++i) {
    ASSERT_EQ(LeU32(w.bytes, data + 4 * i), 0u) << i;
  }
}

TEST_F(ExchangeWriterTest, DocumentsWithoutRowsEndAtTheDataOffset) {
  for (const std::string_view json :
       {"", "{", "{\"a\":1} x", "[]", "{}", R"({"TimeHistory":[]})", R"({"TimeHistory":{"a":[1]}})",
        R"({"TimeHistory":"rows"})"}) {
    SCOPED_TRACE(json);
    const Written w = Write(json, nullptr, "broken.rqx2");
    ASSERT_TRUE(w.result.Ok());
    EXPECT_EQ(w.result.rowCount, 0);
    EXPECT_EQ(w.result.dataOffset, 19264);
    EXPECT_EQ(w.bytes.size(), 19264u);
    EXPECT_EQ(LeI32(w.bytes, 4), 1);
    EXPECT_EQ(LeI32(w.bytes, 8), 0);
    EXPECT_EQ(Field(w.bytes, 8484 + 32, 256), Padded("broken.rqx2", 256));
    EXPECT_EQ(Field(w.bytes, 8484 + 288 + 32, 256), Padded("RQX340 (null)", 256));
    EXPECT_EQ(w.calls, (std::vector<std::string>{"pos 0", "step 1", "range 0 0"}));
  }
}

TEST_F(ExchangeWriterTest, ProgressStepsAndPumpsOncePerRow) {
  const Written w = Write(R"({"TimeHistory":[[1],[2],[3]]})");
  ASSERT_TRUE(w.result.Ok());
  EXPECT_EQ(w.calls, (std::vector<std::string>{"pos 0", "step 1", "range 0 3", "stepit", "pump",
                                               "stepit", "pump", "stepit", "pump"}));
}

TEST_F(ExchangeWriterTest, AStopFromThePumpEndsTheFileUnfinished) {
  const test::ParsedMeasurement parsed(R"({"TimeHistory":[[1],[2],[3]]})");
  MemorySink sink;
  test::CallLog log;
  test::RecordingProgressSink progress(log);
  test::StoppingMessagePump pump(log, [](std::size_t call) { return call == 2; });
  const ExchangeWriteResult result =
      WriteExchangeFile(sink, parsed.document, parsed.rows, "m.rqx2", progress, pump);
  EXPECT_EQ(result.status, ExchangeWriteStatus::kStopped);
  EXPECT_EQ(result.rowCount, 1);
  EXPECT_EQ(log.Calls(), (std::vector<std::string>{"pos 0", "step 1", "range 0 3", "stepit", "pump",
                                                   "stepit", "pump: stop"}));
  EXPECT_EQ(LeI32(sink.Span(), 4), 0);  // complete stays 0
}

TEST_F(ExchangeWriterTest, TheFirstHeaderMarksTheFileUnfinished) {
  // Let only the first header through.
  FailingSink sink(8480);
  const Written w = Write(R"({"TimeHistory":[[1]]})", &sink);
  EXPECT_EQ(w.result.status, ExchangeWriteStatus::kWriteFailed);
  ASSERT_EQ(w.bytes.size(), 8480u);
  std::string expected(8480, '\0');
  expected[0] = 5;
  EXPECT_EQ(Field(w.bytes, 0, 8480), expected);
}

TEST_F(ExchangeWriterTest, AWriteErrorAnywhereIsReportedAndLeavesTheFileUnfinished) {
  const std::string json = "{" + Props(R"("TAG_THIRD_OCTAVE_55":1)") +
                           R"(,"TimeHistoryColumns":{"OBA1_3_Count":24},"Notes":[{"1s":"n"}],)"
                           R"("TimeHistory":[[1],[2],[3],[4],[5],[6],[7],[8]]})";
  const Written whole = Write(json);
  ASSERT_TRUE(whole.result.Ok());
  const std::uint64_t size = whole.bytes.size();
  // The final header is written again after everything else: the sink sees
  // size + 8480 bytes in all.
  for (const std::uint64_t limit :
       {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{8479}, std::uint64_t{8481},
        std::uint64_t{19000}, size - 1, size, size + 8479}) {
    SCOPED_TRACE(limit);
    FailingSink sink(limit);
    const Written w = Write(json, &sink);
    EXPECT_EQ(w.result.status, ExchangeWriteStatus::kWriteFailed);
    EXPECT_FALSE(w.result.Ok());
    EXPECT_LE(w.bytes.size(), limit);
    EXPECT_NE(LeI32(w.bytes, 4), 1);
  }
  FailingSink enough(size + 8480);
  EXPECT_TRUE(Write(json, &enough).result.Ok());
  EXPECT_EQ(enough.Bytes(), whole.bytes);
}

TEST_F(ExchangeWriterTest, AFileLargerThanTheFormatIsRefusedBeforeAnyWrite) {
  // With the 1/1 flag, no notes and no summary, everything before the rows takes
  // 19744 bytes, and a row 4 x (19 + 8 x bands).
  const auto measurement = [](std::int64_t bands, std::string_view rows) {
    return "{" + Props(R"("TAG_FULL_OCTAVE_54":1)") + R"(,"TimeHistoryColumns":{"OBA1_1_Count":)" +
           std::to_string(bands) + R"(},"TimeHistory":)" + std::string(rows) + "}";
  };
  struct Case {
    const char* name;
    std::string json;
    std::uint64_t size;
    bool fits;
  };
  const Case cases[] = {
      // The 138-byte file that once wrote 49 GB.
      {"2147483647 bands, one row", measurement(2147483647, "[[]]"),
       19744 + 4 * (19 + 8 * std::uint64_t{2147483647}), false},
      {"the largest band count that fits", measurement(67108244, "[[]]"), 2147483628, true},
      {"one band more", measurement(67108245, "[[]]"), 2147483660, false},
      {"the same bands without rows", measurement(67108245, "[]"), 19744, true},
      {"a parse error after the rows", measurement(2147483647, "[[]]") + ",", 19264, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test::ParsedMeasurement parsed(c.json);
    const ExchangeFilePlan plan(parsed.document, parsed.rows, "m.rqx2");
    EXPECT_EQ(plan.FileSize(), c.size);
    EXPECT_EQ(plan.Fits(), c.fits);
    if (c.fits) continue;
    MemorySink sink;
    test::CallLog log;
    test::RecordingProgressSink progress(log);
    test::RecordingMessagePump pump(log);
    EXPECT_EQ(WriteExchangeFile(sink, plan, progress, pump).status, ExchangeWriteStatus::kTooLarge);
    EXPECT_TRUE(sink.Bytes().empty());
    EXPECT_TRUE(log.Calls().empty());
  }
}

TEST_F(ExchangeWriterTest, ThePlannedSizeIsTheWrittenSize) {
  const char* const cases[] = {
      R"({})",
      R"({"Notes":[{"1s":"a"},{"2s":"b"}],"Summary":{"A":1,"B":2.5,"AeqX":1.5},"TimeHistory":[[1]]})",
      R"({"MeasurementProperties":{"MeasProperties":{"TAG_FULL_OCTAVE_54":1,"TAG_THIRD_OCTAVE_55":1}},)"
      R"("TimeHistoryColumns":{"OBA1_1_Count":3,"OBA1_3_Count":-4},"TimeHistory":[[1,2],"x",[]]})",
  };
  for (const char* json : cases) {
    SCOPED_TRACE(json);
    const test::ParsedMeasurement parsed(json);
    const ExchangeFilePlan plan(parsed.document, parsed.rows, "m.rqx2");
    const Written w = Write(json);
    ASSERT_TRUE(w.result.Ok());
    EXPECT_EQ(plan.FileSize(), w.bytes.size());
  }
}

TEST_F(ExchangeWriterTest, ARowLongerThanTheOutputBufferIsStreamed) {
  // 40000 bands: 320019 values, 1.28 MB per row, more than the writer's buffer.
  std::string row = "[0";
  for (int i = 1; i < 19 + 6 * 40000; ++i) {
    row += ',';
    row += std::to_string(i % 7);
  }
  row += "]";
  const Written w = Write("{" + Props(R"("TAG_FULL_OCTAVE_54":1)") +
                          R"(,"TimeHistoryColumns":{"OBA1_1_Start":19,"OBA1_1_Count":40000},)"
                          R"("TimeHistory":[)" +
                          row + "," + row + "]}");
  ASSERT_TRUE(w.result.Ok());
  const std::size_t data = static_cast<std::size_t>(LeI32(w.bytes, 0x454));
  const std::size_t values = 19 + 8 * 40000;
  ASSERT_EQ(w.bytes.size(), data + 2 * 4 * values);
  for (std::size_t r = 0; r < 2; ++r) {
    const std::size_t start = data + r * 4 * values;
    // X rms of band j is element 19 + 6j; SUM rms of band 0 from 19, 20, 21.
    EXPECT_EQ(LeF32(w.bytes, start + 4 * 19), 19 % 7);
    EXPECT_EQ(LeF32(w.bytes, start + 4 * (19 + 1)), (19 + 6) % 7);
    const float x = 19 % 7, y = 20 % 7, z = 21 % 7;
    EXPECT_EQ(LeF32(w.bytes, start + 4 * (19 + 3 * 40000)), std::sqrt(x * x + y * y + z * z));
  }
}

TEST_F(ExchangeWriterTest, FewWritesReachTheSink) {
  std::string rows;
  for (int r = 0; r < 2000; ++r) rows += (r ? "," : "") + std::string("[1,2,3,4,5,6,7,8,9]");
  MemorySink sink;
  const Written w = Write(R"({"TimeHistory":[)" + rows + "]}", &sink);
  ASSERT_TRUE(w.result.Ok());
  EXPECT_EQ(w.bytes.size(), 19264u + 2000 * 19 * 4);
  // The first header, then buffers of 256 KiB, then the final header.
  EXPECT_LE(sink.Writes(), 6u);
}

TEST_F(ExchangeWriterTest, TheReaderDecodesWhatTheWriterWrote) {
  const Written w =
      Write(R"({"Header":{"SerialNum":"X9","StartDateTime":1500000000},)" +
                Props(R"("TAG_FULL_OCTAVE_54":1,"TAG_WEIGHTING_X_37":8)") +
                R"(,"TimeHistoryColumns":{"rms_x":1,"OBA1_1_Start":2,"OBA1_1_Count":1},)"
                R"("Summary":{"Dur":60,"AeqX":0.5},"Notes":[{"1500000000s":"hi"}],)"
                R"("TimeHistory":[[0,1.25,3,4,0,5,5,5]]})",
            nullptr, "decoded.rqx2");
  ASSERT_TRUE(w.result.Ok());
  const MemorySource source(w.bytes);
  ExchangeReadError error;
  const auto file = ReadExchangeFile(source, &error);
  ASSERT_TRUE(file.has_value()) << DescribeReadError(error);
  EXPECT_EQ(file->header.rowCount, 1);
  EXPECT_EQ(file->header.dataOffset, w.result.dataOffset);
  EXPECT_EQ(file->groups, 3);
  EXPECT_EQ(file->rowLength, 27u);
  ASSERT_EQ(file->headerRecords.size(), 18u);
  EXPECT_EQ(file->headerRecords[0].text, "decoded.rqx2");
  EXPECT_EQ(file->headerRecords[1].text, "RQX340 X9");
  EXPECT_EQ(file->headerRecords[13].tag, "Notes1");
  EXPECT_EQ(file->headerRecords[15].text, "Wd");
  ASSERT_EQ(file->timeRecords.size(), 6u);
  EXPECT_EQ(file->timeRecords[5].tag, "Dur");
  EXPECT_EQ(file->timeRecords[5].value, 60);
  ASSERT_EQ(file->summaryRecords.size(), 15u);
  EXPECT_EQ(file->summaryRecords[14].tag, "AeqX_xK");
  EXPECT_EQ(file->channelRecords[4].text, "0,0,0,0,1,1,1,1,1,1,1,1");
  EXPECT_EQ(file->chan.value, 12);
  EXPECT_EQ(file->dtim.value, 1.0f);
  ASSERT_EQ(file->quantityBlocks.size(), 12u);
  EXPECT_EQ(file->quantityBlocks[3].records.size(), 4u);
  EXPECT_EQ(file->quantityBlocks[6].records[0].name, "rms");
  EXPECT_EQ(file->quantityBlocks[8].records[0].name, "peak");
  std::vector<float> row(27);
  ASSERT_TRUE(ReadRowValues(source, *file, 0, 0, row));
  EXPECT_EQ(row[0], 1.25f);
  EXPECT_EQ(row[1], 0.0f);
  const float octave[8] = {3, 4, 0, 5, 5, 5, 5, 0x1.1520cep+3f};  // sqrt(75) in float
  for (int i = 0; i < 8; ++i) EXPECT_EQ(row[19 + i], octave[i]) << i;
  EXPECT_FALSE(ReadRowValues(source, *file, 1, 0, std::span(row).first(1)));
  EXPECT_FALSE(ReadRowValues(source, *file, 0, 20, row));
}

}  // namespace
}  // namespace rqx340
