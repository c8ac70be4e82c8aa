#include "format/byte_layout.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "format/block_buffer.h"
#include "support/exchange_bytes.h"

namespace rqx340 {
namespace {

using test::Field;
using test::Padded;

TEST(ByteLayoutTest, PutsLittleEndianIntegersAndFloats) {
  std::array<std::byte, 12> buffer{};
  ASSERT_TRUE(PutInt32(buffer, 0, 0x11223344));
  ASSERT_TRUE(PutInt32(buffer, 4, -2));
  ASSERT_TRUE(PutFloat32(buffer, 8, 1.0f));
  const std::string expected("\x44\x33\x22\x11\xFE\xFF\xFF\xFF\x00\x00\x80\x3F", 12);
  EXPECT_EQ(Field(buffer, 0, 12), expected);
  EXPECT_EQ(GetInt32(buffer, 0), 0x11223344);
  EXPECT_EQ(GetInt32(buffer, 4), -2);
  EXPECT_EQ(GetFloat32(buffer, 8), 1.0f);
}

TEST(ByteLayoutTest, RefusesAccessOutsideTheBuffer) {
  std::array<std::byte, 8> buffer{};
  EXPECT_FALSE(PutInt32(buffer, 5, 7));
  EXPECT_FALSE(PutFloat32(buffer, 8, 7.0f));
  EXPECT_FALSE(PutInt32(buffer, SIZE_MAX - 1, 7));
  EXPECT_FALSE(PutText(buffer, 4, 8, "abc"));
  EXPECT_EQ(Field(buffer, 0, 8), std::string(8, '\0'));
  EXPECT_EQ(GetInt32(buffer, 6), 0);
  EXPECT_EQ(GetText(buffer, 4, 8), "");
}

TEST(ByteLayoutTest, TextFieldsKeepTwoSpareBytesAndEndAtNul) {
  struct Case {
    std::string_view text;
    std::string expected;  // the 8-byte field
  };
  const Case cases[] = {
      {"", Padded("", 8)},
      {"abc", Padded("abc", 8)},
      {"abcdef", Padded("abcdef", 8)},
      {"abcdefgh", Padded("abcdef", 8)},
      {std::string_view("ab\0cd", 5), Padded("ab", 8)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    std::array<std::byte, 10> buffer{};
    ASSERT_TRUE(PutText(buffer, 1, 8, c.text));
    EXPECT_EQ(Field(buffer, 1, 8), c.expected);
    EXPECT_EQ(buffer[0], std::byte{0});
    EXPECT_EQ(buffer[9], std::byte{0});
  }
}

}  // namespace
}  // namespace rqx340

namespace rqx340 {
namespace {

TEST(BlockBufferTest, SizesAZeroedBlockOrRefusesOneBeyondThirtyTwoBits) {
  BlockBuffer buffer(10, std::byte{0x55});
  ASSERT_TRUE(StartBlock(buffer, 36, 3));
  EXPECT_EQ(BlockSize(buffer), 4 + 3 * 36);
  EXPECT_EQ(test::Field(buffer, 0, 8), std::string("\3\0\0\0\0\0\0\0", 8));
  for (std::size_t i = 4; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], std::byte{0});
  // 4 + 288 x 7456541 exceeds 2^31 - 1: refused before anything is allocated.
  EXPECT_FALSE(StartBlock(buffer, 288, 7456541));
  EXPECT_TRUE(buffer.empty());
  EXPECT_FALSE(StartBlock(buffer, 288, SIZE_MAX / 2));
}

}  // namespace
}  // namespace rqx340
