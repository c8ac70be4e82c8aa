// A result carries its value or why it failed, never both.
#include "base/result.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace rqx340 {
namespace {

Result<int> Half(int value) {
  if (value % 2 != 0) return Failure(std::to_string(value) + " is odd");
  return value / 2;
}

TEST(ResultTest, CarriesTheValueOrTheReason) {
  const Result<int> half = Half(8);
  ASSERT_TRUE(half);
  EXPECT_EQ(*half, 4);
  EXPECT_TRUE(half.ErrorText().empty());
  EXPECT_EQ(half.ValueOr(-1), 4);

  const Result<int> odd = Half(7);
  EXPECT_FALSE(odd);
  EXPECT_EQ(odd.ErrorText(), "7 is odd");
  EXPECT_EQ(odd.ValueOr(-1), -1);
}

TEST(ResultTest, MovesValuesThatCannotBeCopied) {
  Result<std::unique_ptr<int>> made = std::make_unique<int>(3);
  ASSERT_TRUE(made);
  std::unique_ptr<int> taken = std::move(*made);
  EXPECT_EQ(*taken, 3);
}

TEST(ResultTest, StatusIsSuccessOrAReason) {
  const Status done;
  EXPECT_TRUE(done);
  EXPECT_TRUE(done.ErrorText().empty());
  const Status failed = Failure("disk full");
  EXPECT_FALSE(failed);
  EXPECT_EQ(failed.ErrorText(), "disk full");
  // An empty reason is still a failure.
  EXPECT_FALSE(Status(Failure("")));
}

}  // namespace
}  // namespace rqx340
