#include "app/anchor_layout.h"

#include <gtest/gtest.h>

namespace rqx340 {
namespace {

constexpr std::uint32_t L = ANCHOR_LEFT;
constexpr std::uint32_t R = ANCHOR_RIGHT;
constexpr std::uint32_t T = ANCHOR_TOP;
constexpr std::uint32_t B = ANCHOR_BOTTOM;
constexpr std::uint32_t C = ANCHOR_HCENTER;

TEST(AnchorLayoutTest, EachAnchorKeepsItsEdgesDistance) {
  struct Case {
    const char* name;
    std::uint32_t flags;
    Rect initial_client;
    Rect client;
    Rect initial;
    Rect expected;
  };
  const Rect client0{0, 0, 500, 300};
  const Rect bigger{0, 0, 600, 350};  // 100 wider, 50 higher
  const Rect control{40, 60, 140, 90};
  const Case cases[] = {
      {"all four stretch", L | R | T | B, client0, bigger, control, {40, 60, 240, 140}},
      {"right top moves right", R | T, client0, bigger, control, {140, 60, 240, 90}},
      {"right bottom moves both", R | B, client0, bigger, control, {140, 110, 240, 140}},
      {"left bottom moves down", L | B, client0, bigger, control, {40, 110, 140, 140}},
      {"left top stays", L | T, client0, bigger, control, control},
      {"left right top stretches across", L | R | T, client0, bigger, control, {40, 60, 240, 90}},
      {"no anchor stays", 0, client0, bigger, control, control},
      {"top alone stays horizontally", T, client0, bigger, control, control},
      {"centre: 500 to 501 moves by 0", L | B | C, client0, {0, 0, 501, 300}, control, control},
      {"centre: 500 to 502 moves by 1",
       L | B | C,
       client0,
       {0, 0, 502, 300},
       control,
       {41, 60, 141, 90}},
      {"centre: 501 to 502 moves by 1",
       L | B | C,
       {0, 0, 501, 300},
       {0, 0, 502, 300},
       control,
       {41, 60, 141, 90}},
      {"centre and bottom", L | B | C, client0, bigger, control, {90, 110, 190, 140}},
      {"right with centre", R | C, client0, bigger, control, {90, 60, 190, 90}},
      {"both sides with centre move without stretching",
       L | R | C,
       client0,
       bigger,
       control,
       {90, 60, 190, 90}},
      {"back at the initial size", L | R | T | B, client0, client0, control, control},
      {"edges that cross are swapped",
       L | R | T | B,
       client0,
       {0, 0, 300, 200},
       control,
       {-60, -10, 40, 60}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(AnchoredRect(c.flags, c.initial, c.initial, c.initial_client, c.client), c.expected);
  }
}

TEST(AnchorLayoutTest, ASingleAnchorKeepsTheCurrentSize) {
  const Rect client0{0, 0, 500, 300};
  const Rect initial{40, 60, 140, 90};
  const Rect current{10, 10, 60, 30};  // resized by someone else since
  EXPECT_EQ(AnchoredRect(R | B, initial, current, client0, {0, 0, 600, 350}),
            (Rect{190, 120, 240, 140}));
  EXPECT_EQ(AnchoredRect(L | T, initial, current, client0, {0, 0, 600, 350}),
            (Rect{40, 60, 90, 80}));
}

}  // namespace
}  // namespace rqx340
