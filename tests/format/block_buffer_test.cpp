// Sizing a zeroed record block before its fields are put.
#include "format/block_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/exchange_bytes.h"

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
