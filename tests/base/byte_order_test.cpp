// Little-endian fields and text fields, as the exchange file and the exchange
// area put them.
#include "base/byte_order.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "support/exchange_bytes.h"

namespace rqx340 {
namespace {

using test::Field;
using test::Padded;

TEST(ByteOrderTest, PutsLittleEndianIntegersAndFloats) {
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

TEST(ByteOrderTest, PutsEveryWidthLittleEndian) {
  std::array<std::byte, 14> buffer{};
  ASSERT_TRUE(PutUint16(buffer, 0, 0xA1B2));
  ASSERT_TRUE(PutUint32(buffer, 2, 0xC1D2E3F4u));
  ASSERT_TRUE(PutUint64(buffer, 6, 0x0102030405060708ull));
  EXPECT_EQ(Field(buffer, 0, 14),
            std::string("\xB2\xA1\xF4\xE3\xD2\xC1\x08\x07\x06\x05\x04\x03\x02\x01", 14));
  EXPECT_EQ(GetUint16(buffer, 0), 0xA1B2);
  EXPECT_EQ(GetUint32(buffer, 2), 0xC1D2E3F4u);
  EXPECT_EQ(GetInt32(buffer, 2), static_cast<std::int32_t>(0xC1D2E3F4u));
}

TEST(ByteOrderTest, RefusesAccessOutsideTheBuffer) {
  std::array<std::byte, 8> buffer{};
  EXPECT_FALSE(PutInt32(buffer, 5, 7));
  EXPECT_FALSE(PutFloat32(buffer, 8, 7.0f));
  EXPECT_FALSE(PutInt32(buffer, SIZE_MAX - 1, 7));
  EXPECT_FALSE(PutUint16(buffer, 7, 7));
  EXPECT_FALSE(PutUint64(buffer, 1, 7));
  EXPECT_FALSE(PutText(buffer, 4, 8, "abc"));
  EXPECT_FALSE(PutText(buffer, 4, 8, "abc", 3));
  EXPECT_EQ(Field(buffer, 0, 8), std::string(8, '\0'));
  EXPECT_EQ(GetInt32(buffer, 6), 0);
  EXPECT_EQ(GetUint16(buffer, 7), 0);
  EXPECT_EQ(GetText(buffer, 4, 8), "");
}

TEST(ByteOrderTest, TextFieldsKeepTwoSpareBytesAndEndAtNul) {
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

// The exchange area's fields are not in a zeroed buffer, and some are filled to
// their last byte: the bound is given, and the rest of the field is cleared.
TEST(ByteOrderTest, TextFieldsWithAGivenBoundClearTheRestOfTheField) {
  struct Case {
    std::string_view text;
    std::size_t max_text;
    std::string expected;  // the 8-byte field
  };
  const Case cases[] = {
      {"", 8, Padded("", 8)},         {"abc", 8, Padded("abc", 8)},
      {"abcdefgh", 8, "abcdefgh"},    {"abcdefghij", 8, "abcdefgh"},
      {"abcdefghij", 30, "abcdefgh"}, {"abcdefgh", 6, Padded("abcdef", 8)},
      {"abc", 0, Padded("", 8)},      {std::string_view("ab\0cd", 5), 8, Padded("ab", 8)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.max_text));
    std::array<std::byte, 10> buffer{};
    buffer.fill(std::byte{'Z'});
    ASSERT_TRUE(PutText(buffer, 1, 8, c.text, c.max_text));
    EXPECT_EQ(Field(buffer, 1, 8), c.expected);
    EXPECT_EQ(buffer[0], std::byte{'Z'});
    EXPECT_EQ(buffer[9], std::byte{'Z'});
    EXPECT_EQ(GetText(buffer, 1, 8), c.expected.substr(0, c.expected.find('\0')));
  }
}

}  // namespace
}  // namespace rqx340
