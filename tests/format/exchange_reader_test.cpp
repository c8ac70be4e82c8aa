#include "format/exchange_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "format/exchange_writer.h"
#include "support/exchange_bytes.h"
#include "support/memory_sink.h"
#include "support/parsed_measurement.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using Bytes = std::vector<std::byte>;

void PutLe(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
}

// A valid file: one note (18 header records), 1/1 octave with 2 bands, 3 rows.
// Header records at 8480 (5188 bytes), time at 13668 (184), summary at 13852
// (472), channel list at 14324 (4356), CHAN at 18680, DTIM at 18720, quantity
// blocks from 18760 (284, 284, 284, 228, then 8 x 60), data at 20320.
Bytes ValidFile() {
  test::ScopedEnv tz("TZ", "UTC");
  const test::ParsedMeasurement parsed(
      R"({"MeasurementProperties":{"MeasProperties":{"TAG_FULL_OCTAVE_54":1}},)"
      R"("TimeHistoryColumns":{"OBA1_1_Start":19,"OBA1_1_Count":2},)"
      R"("Notes":[{"1s":"n"}],"TimeHistory":[[1],[2],[3]]})");
  test::MemorySink sink;
  NullProgressSink progress;
  NullMessagePump pump;
  EXPECT_TRUE(WriteExchangeFile(sink, parsed.document, parsed.rows, "v.rqx2", progress, pump).Ok());
  return sink.Bytes();
}

TEST(ExchangeReaderTest, AcceptsTheWritersFile) {
  const Bytes bytes = ValidFile();
  ASSERT_EQ(bytes.size(), 20320u + 3 * 35 * 4);
  ExchangeReadError error;
  const auto file = ReadExchangeFile(MemorySource(bytes), &error);
  ASSERT_TRUE(file) << DescribeReadError(error);
  EXPECT_EQ(file->header.headerRecordsOffset, 8480);
  EXPECT_EQ(file->header.timeRecordsOffset, 13668);
  EXPECT_EQ(file->header.summaryRecordsOffset, 13852);
  EXPECT_EQ(file->header.channelRecordsOffset, 14324);
  EXPECT_EQ(file->header.chanBlockOffset, 18680);
  EXPECT_EQ(file->header.dtimBlockOffset, 18720);
  ASSERT_EQ(file->header.quantityBlockOffsets.size(), 12u);
  EXPECT_EQ(file->header.quantityBlockOffsets[0], 18760);
  EXPECT_EQ(file->header.quantityBlockOffsets[11], 20260);
  EXPECT_EQ(file->header.dataOffset, 20320);
  EXPECT_EQ(file->rowLength, 35u);
  EXPECT_EQ(file->fileSize, bytes.size());
}

TEST(ExchangeReaderTest, NamesTheFieldAndOffsetOfEveryFault) {
  struct Case {
    std::string name;
    std::function<void(Bytes&)> damage;
    std::string field;
    std::uint64_t offset;
  };
  const Case cases[] = {
      {"too short", [](Bytes& b) { b.resize(8479); }, "ExchangeFileHeader", 0},
      {"empty", [](Bytes& b) { b.clear(); }, "ExchangeFileHeader", 0},
      {"version 4", [](Bytes& b) { PutLe(b, 0, 4); }, "version", 0},
      {"unfinished", [](Bytes& b) { PutLe(b, 4, 0); }, "complete", 4},
      {"negative rows", [](Bytes& b) { PutLe(b, 8, 0xFFFFFFFF); }, "rowCount", 8},
      {"reserved header byte", [](Bytes& b) { b[0x10] = std::byte{1}; }, "ExchangeFileHeader",
       0x10},
      {"quantity entry padding", [](Bytes& b) { b[0x65] = std::byte{1}; }, "ExchangeFileHeader",
       0x65},
      {"header records moved", [](Bytes& b) { PutLe(b, 0x28, 8484); }, "headerRecordsOffset", 0x28},
      {"header record count too small", [](Bytes& b) { PutLe(b, 8480, 17); }, "timeRecordsOffset",
       0x2C},
      {"header record count past the end", [](Bytes& b) { PutLe(b, 8480, 0x7FFFFFFF); },
       "headerRecordsOffset", 8480},
      {"negative time record count", [](Bytes& b) { PutLe(b, 13668, 0xFFFFFFFE); },
       "timeRecordsOffset", 13668},
      {"summary out of order", [](Bytes& b) { PutLe(b, 0x30, 13668); }, "summaryRecordsOffset",
       0x30},
      {"channel list count", [](Bytes& b) { PutLe(b, 14324, 7); }, "channelRecords", 14324},
      {"channel list tag", [](Bytes& b) { b[14328 + 2 * 544] = std::byte{'X'}; },
       "channelRecords[2].tag", 14328 + 2 * 544},
      {"CHAN moved", [](Bytes& b) { PutLe(b, 0x44, 18684); }, "chanBlockOffset", 0x44},
      {"CHAN value", [](Bytes& b) { PutLe(b, 18680 + 36, 8); }, "CHAN", 18680 + 36},
      {"CHAN more than the quantity blocks", [](Bytes& b) { PutLe(b, 18680 + 36, 20); },
       "quantityBlockOffset[12]", 0x60 + 16 * 12},
      {"DTIM tag", [](Bytes& b) { b[18724] = std::byte{'d'}; }, "DTIM.tag", 18724},
      {"DTIM count", [](Bytes& b) { PutLe(b, 18720, 2); }, "DTIM", 18720},
      {"quantity block moved", [](Bytes& b) { PutLe(b, 0x60 + 16 * 5, 19700); },
       "quantityBlockOffset[5]", 0x60 + 16 * 5},
      {"unused quantity entry", [](Bytes& b) { PutLe(b, 0x60 + 16 * 40, 1); },
       "quantityBlockOffset[40]", 0x60 + 16 * 40},
      {"quantity reserved field", [](Bytes& b) { PutLe(b, 18764 + 20, 9); },
       "quantityBlocks[0][0].reserved", 18764 + 20},
      {"data offset", [](Bytes& b) { PutLe(b, 0x454, 20324); }, "dataOffset", 0x454},
      {"one byte more", [](Bytes& b) { b.push_back(std::byte{0}); }, "rowCount", 8},
      {"one row missing", [](Bytes& b) { b.resize(b.size() - 35 * 4); }, "rowCount", 8},
      {"row count too high", [](Bytes& b) { PutLe(b, 8, 4); }, "rowCount", 8},
      {"tag not terminated", [](Bytes& b) { std::fill_n(b.begin() + 8484, 31, std::byte{'T'}); },
       "headerRecords[0].tag", 8484},
      {"text padding", [](Bytes& b) { b[8484 + 32 + 100] = std::byte{'x'}; },
       "headerRecords[0].text", 8484 + 32 + 100},
      {"band count not a number",
       [](Bytes& b) { b[14324 + 4 + 4 * 544 + 32 + 8] = std::byte{'x'}; }, "FTNM",
       14324 + 4 + 4 * 544 + 32},
      {"band counts change the row length",
       [](Bytes& b) { b[14324 + 4 + 4 * 544 + 32 + 8] = std::byte{'3'}; }, "rowCount", 8},
      {"list too short",
       [](Bytes& b) { std::fill_n(b.begin() + 14324 + 4 + 544 + 32 + 21, 2, std::byte{0}); },
       "FILT", 14324 + 4 + 544 + 32},
  };
  const Bytes valid = ValidFile();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bytes = valid;
    c.damage(bytes);
    ExchangeReadError error;
    EXPECT_FALSE(ReadExchangeFile(MemorySource(bytes), &error));
    EXPECT_EQ(error.field, c.field) << DescribeReadError(error);
    EXPECT_EQ(error.offset, c.offset) << DescribeReadError(error);
    EXPECT_FALSE(error.message.empty());
  }
}

// A block of no records reads nothing; here it is the header record block, so
// the time records are missing where they should start.
TEST(ExchangeReaderTest, EmptyBlocksAreReadWithoutCopying) {
  const std::string fixture =
      test::ReadFileBytes(test::DataFile("conversion/empty-header-block.xch"));
  ASSERT_EQ(fixture.size(), 8484u);
  const MemorySource source(std::as_bytes(std::span(fixture)));
  ExchangeReadError error;
  EXPECT_FALSE(ReadExchangeFile(source, &error));
  EXPECT_EQ(error.field, "timeRecordsOffset") << DescribeReadError(error);
  EXPECT_EQ(error.offset, 0x2Cu);

  Bytes nothing;
  EXPECT_TRUE(source.ReadAt(0, nothing));
  EXPECT_TRUE(source.ReadAt(8484, nothing));
  EXPECT_FALSE(source.ReadAt(8485, nothing));
  EXPECT_TRUE(MemorySource({}).ReadAt(0, nothing));
}

TEST(ExchangeReaderTest, ReadsFilesFromDisk) {
  const Bytes bytes = ValidFile();
  test::TempDir dir;
  const auto path = dir.Write("x.$$$", test::AsString(bytes));
  const auto source = FileSource::Open(path.string());
  ASSERT_TRUE(source);
  EXPECT_EQ(source->Size(), bytes.size());
  const auto file = ReadExchangeFile(*source);
  ASSERT_TRUE(file);
  std::vector<float> row(35);
  ASSERT_TRUE(ReadRowValues(*source, *file, 2, 0, row));
  EXPECT_EQ(row[0], 3.0f);
  EXPECT_FALSE(FileSource::Open((dir.Path() / "missing").string()));
  EXPECT_FALSE(FileSource::Open(dir.Path().string()));
}

}  // namespace
}  // namespace rqx340
