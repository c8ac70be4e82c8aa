#include "format/record_tables.h"

#include <gtest/gtest.h>

namespace rqx340 {
namespace {

TEST(KeyToTagTest, TakesTheTextBetweenTheFirstAndLastUnderscore) {
  struct Case {
    std::string_view key;
    std::string_view tag;
  };
  const Case cases[] = {
      {"TAG_WEIGHTING_X_37", "WEIGHTING_X"},
      {"TAG_GAIN_Y_23", "GAIN_Y"},
      {"TAG_OPERATING_MODE_20", "OPERATING_MODE"},
      {"TAG_EXPOSUREACTION_66", "EXPOSUREACTION"},
      {"TAG_DB_REFERENCE_51", "DB_REFERENCE"},
      {"A__B", ""},
      {"A_x_y_B", "x_y"},
      {"A_B", ""},
      {"AB", ""},
      {"_", ""},
      {"", ""},
      {"T_0123456789012345678901234567890123456789_1", "0123456789012345678901234567890"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(KeyToTag(c.key), c.tag);
  }
}

TEST(RecordTablesTest, WeightingsAndModesClampTheirSetting) {
  struct Case {
    std::int32_t value;
    std::string_view weighting;
    std::string_view mode;
  };
  const Case cases[] = {
      {INT32_MIN, "Ws", "Vibration"}, {-1, "Ws", "Vibration"}, {0, "Ws", "Vibration"},
      {1, "Fa", "HandArm"},           {2, "Fb", "WholeBody"},  {3, "Fc", "WholeBody"},
      {4, "Wh", "WholeBody"},         {5, "Wm", "WholeBody"},  {6, "Wb", "WholeBody"},
      {7, "Wc", "WholeBody"},         {8, "Wd", "WholeBody"},  {9, "We", "WholeBody"},
      {10, "Wg", "WholeBody"},        {11, "Wj", "WholeBody"}, {12, "Wk", "WholeBody"},
      {13, "Wk", "WholeBody"},        {20, "Wk", "WholeBody"}, {INT32_MAX, "Wk", "WholeBody"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(WeightingName(c.value), c.weighting);
    EXPECT_EQ(OperatingModeName(c.value), c.mode);
  }
}

TEST(RecordTablesTest, QuantitiesInColumnOrderWithTheirCodes) {
  ASSERT_EQ(kQuantities.size(), 5u);
  EXPECT_EQ(kQuantities[0].name, "rms");
  EXPECT_EQ(kQuantities[0].code, 0);
  EXPECT_EQ(kQuantities[1].name, "peak");
  EXPECT_EQ(kQuantities[1].code, 5);
  EXPECT_EQ(kQuantities[2].name, "vdv");
  EXPECT_EQ(kQuantities[2].code, 2);
  EXPECT_EQ(kQuantities[3].name, "min");
  EXPECT_EQ(kQuantities[3].code, 3);
  EXPECT_EQ(kQuantities[4].name, "max");
  EXPECT_EQ(kQuantities[4].code, 4);
}

}  // namespace
}  // namespace rqx340
