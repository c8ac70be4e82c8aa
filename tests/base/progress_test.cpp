// The one StepIt rule every progress sink follows.
#include "base/progress.h"

#include <gtest/gtest.h>

#include <limits>

namespace rqx340 {
namespace {

TEST(ProgressTest, AStepPastEitherEndStartsAgainFromTheBeginning) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  struct Case {
    const char* name;
    std::int32_t pos, step, low, high, expected;
  };
  const Case cases[] = {
      {"inside", 10, 10, 0, 25, 20},
      {"onto the end", 15, 10, 0, 25, 25},
      {"past the end", 20, 10, 0, 25, 0},
      {"past the end of a range not at 0", 48, 5, 40, 50, 40},
      {"an empty range", 0, 1, 0, 0, 0},
      {"a step back below the beginning", 3, -5, 0, 25, 0},
      {"no overflow at the top of the type", kMax - 1, 10, 0, kMax, 0},
      {"a position outside the range", 90, 1, 0, 25, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SteppedPosition(c.pos, c.step, c.low, c.high), c.expected);
  }
}

}  // namespace
}  // namespace rqx340
