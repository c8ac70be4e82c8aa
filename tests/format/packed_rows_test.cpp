#include "format/packed_rows.h"

#include <gtest/gtest.h>

#include <vector>

namespace rqx340 {
namespace {

struct Expected {
  std::vector<float> values;
  bool isArray = true;
};

// Hands `rows` over in parts of at most `part` values, as the parse does.
void Store(PackedRows& packed, const std::vector<Expected>& rows, std::size_t part) {
  for (const auto& row : rows) {
    for (std::size_t i = 0; i < row.values.size(); i += part) {
      const std::size_t n = std::min(part, row.values.size() - i);
      packed.AddValues(std::span<const float>(row.values).subspan(i, n));
    }
    packed.EndRow(row.isArray);
  }
}

std::vector<Expected> ReadBack(const PackedRows& packed) {
  std::vector<Expected> rows;
  EXPECT_TRUE(packed.ForEachRow([&](const RowView& row) {
    rows.push_back({{row.values.begin(), row.values.end()}, row.isArray});
    return true;
  }));
  return rows;
}

void ExpectSame(const std::vector<Expected>& actual, const std::vector<Expected>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t r = 0; r < expected.size(); ++r) {
    ASSERT_EQ(actual[r].isArray, expected[r].isArray) << r;
    ASSERT_EQ(actual[r].values, expected[r].values) << r;
  }
}

TEST(PackedRowsTest, RowsComeBackAsTheyWentInAcrossChunks) {
  // Rows of many lengths, some of them longer than a chunk, fill several chunks
  // and make rows move to the next one part way.
  std::vector<Expected> rows;
  float next = 0;
  const std::size_t lengths[] = {217, 0, 19, 3000, 5000, 1, 70000, 217, 2000000, 5};
  for (int round = 0; round < 40; ++round) {
    const std::size_t length = lengths[round % std::size(lengths)];
    if (round % 7 == 3) {
      rows.push_back({{}, false});
      continue;
    }
    Expected row;
    for (std::size_t i = 0; i < length; ++i) row.values.push_back(next++);
    rows.push_back(std::move(row));
  }
  for (const std::size_t part : {std::size_t{1024}, std::size_t{333}, std::size_t{3000000}}) {
    SCOPED_TRACE(part);
    PackedRows packed;
    Store(packed, rows, part);
    EXPECT_EQ(packed.RowCount(), rows.size());
    ExpectSame(ReadBack(packed), rows);
    // 4 bytes a value, and 16 for each run of rows of one length.
    std::uint64_t bytes = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      bytes += 4 * rows[r].values.size();
      const auto shape = [&](std::size_t i) {
        return rows[i].isArray ? static_cast<std::int64_t>(rows[i].values.size()) : -1;
      };
      if (r == 0 || shape(r) != shape(r - 1)) bytes += 16;
    }
    EXPECT_EQ(packed.PackedBytes(), bytes);
  }
}

TEST(PackedRowsTest, RowsOfOneLengthKeepTheirLengthOnce) {
  PackedRows packed;
  std::vector<Expected> rows(10000, Expected{{1, 2, 3}});
  rows[5000] = {{}, false};
  Store(packed, rows, 1024);
  EXPECT_EQ(packed.PackedBytes(), 4 * 3 * 9999 + 3 * 16);
  ExpectSame(ReadBack(packed), rows);
}

TEST(PackedRowsTest, DiscardForgetsEveryRow) {
  PackedRows packed;
  Store(packed, {{{1, 2}}, {{}, false}}, 1024);
  packed.AddValues(std::vector<float>{3});  // a row in hand
  packed.Discard();
  EXPECT_EQ(packed.RowCount(), 0u);
  EXPECT_EQ(packed.PackedBytes(), 0u);
  EXPECT_TRUE(ReadBack(packed).empty());
  Store(packed, {{{4}}}, 1024);
  ExpectSame(ReadBack(packed), {{{4}}});
}

TEST(PackedRowsTest, AWalkEndsWhenTheVisitorSaysSo) {
  PackedRows packed;
  Store(packed, {{{1}}, {{2}}, {{3}}}, 1024);
  int visited = 0;
  EXPECT_FALSE(packed.ForEachRow([&](const RowView&) { return ++visited < 2; }));
  EXPECT_EQ(visited, 2);
}

// The count of elements that are not numbers, per position, goes with the rows
// and with them when they are discarded.
TEST(PackedRowsTest, CountsElementsThatAreNotNumbersPerPosition) {
  PackedRows packed;
  EXPECT_TRUE(packed.NotNumbersByElement().empty());
  packed.NotANumber(2);
  packed.AddValues(std::vector<float>{1, 2, 0});
  packed.EndRow(true);
  packed.NotANumber(0);
  packed.NotANumber(2);
  packed.AddValues(std::vector<float>{0, 2, 0});
  packed.EndRow(true);
  EXPECT_EQ(std::vector<std::uint64_t>(packed.NotNumbersByElement().begin(),
                                       packed.NotNumbersByElement().end()),
            (std::vector<std::uint64_t>{1, 0, 2}));
  packed.Discard();
  EXPECT_TRUE(packed.NotNumbersByElement().empty());
  EXPECT_EQ(packed.RowCount(), 0u);
}

}  // namespace
}  // namespace rqx340
