// Numbers for people: significant digits, fixed decimals, the rounding of the
// printed value, and no locale in the text.
#include "base/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>
#include <string>

namespace rqx340 {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(NumberTextTest, FourSignificantDigits) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.23813647094583942, "0.2381"},
      {0.6439190963916884, "0.6439"},
      {0.0, "0.000"},
      {-0.0, "0.000"},
      {1.0, "1.000"},
      {-1.0, "-1.000"},
      {-0.23815, "-0.2382"},  // half away from zero
      {9.9995, "10.00"},      // the printed 9.9995, not the binary 9.99949999...
      {9.99949, "9.999"},
      {99.995, "100.0"},
      {999.95, "1000"},
      {0.99995, "1.000"},
      {123456.0, "123500"},
      {999999.0, "1.000e+06"},
      {1234567.0, "1.235e+06"},
      {1.5e300, "1.500e+300"},
      {0.0001, "0.0001000"},
      {0.000123456, "0.0001235"},
      {0.00001, "1.000e-05"},
      {0.000099995, "0.0001000"},  // rounds up into fixed notation
      {5e-324, "5.000e-324"},      // the smallest subnormal
      {kInf, "Infinity"},
      {-kInf, "-Infinity"},
      {kNaN, "NaN"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(SignificantText(c.value, 4), c.text);
  }
}

TEST(NumberTextTest, FloatsRoundTheirOwnShortestText) {
  // 0.2381f is 0.23810000717639923 as a double; people see 0.2381.
  EXPECT_EQ(AccelerationText(0.2381f), "0.2381");
  EXPECT_EQ(VdvText(1.5f), "1.500");
  EXPECT_EQ(AccelerationText(3.4028235e38f), "3.403e+38");
  EXPECT_EQ(AccelerationText(std::numeric_limits<float>::infinity()), "Infinity");
  EXPECT_EQ(AccelerationText(0.23813647094583942), "0.2381");
}

TEST(NumberTextTest, OtherDigitCounts) {
  EXPECT_EQ(SignificantText(0.25, 1), "0.3");
  EXPECT_EQ(SignificantText(0.0, 1), "0");
  EXPECT_EQ(SignificantText(2.0, 0), "2");  // at least one digit
  // The shortest text has 16 digits; more are zeros.
  EXPECT_EQ(SignificantText(1.0 / 3.0, 17), "0.33333333333333330");
  EXPECT_EQ(SignificantText(1.0 / 3.0, 40), "0.33333333333333330");
}

TEST(NumberTextTest, DailyExposureHasThreeDecimals) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.6439190963916884, "0.644"},
      {0.0, "0.000"},
      {0.0004, "0.000"},
      {-0.0004, "0.000"},  // no negative zero
      {0.0005, "0.001"},
      {2.4995, "2.500"},
      {9.9995, "10.000"},
      {123.4567, "123.457"},
      {-1.25, "-1.250"},
      {1e-300, "0.000"},
      {99999999999999.9, "99999999999999.900"},
      {1e15, "1.000e+15"},
      {kNaN, "NaN"},
      {kInf, "Infinity"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DailyExposureText(c.value), c.text);
  }
  EXPECT_EQ(DecimalsText(2.5, 0), "3");
  EXPECT_EQ(DecimalsText(0.4, 0), "0");
}

TEST(NumberTextTest, TheLocaleChangesNothing) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous != nullptr ? previous : "C";
  bool changed = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "C.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      changed = true;
      break;
    }
  }
  EXPECT_EQ(AccelerationText(1234.5678), "1235");
  EXPECT_EQ(AccelerationText(0.23813647), "0.2381");
  EXPECT_EQ(DailyExposureText(0.6439), "0.644");
  EXPECT_EQ(SignificantText(1234567.0, 4), "1.235e+06");
  std::setlocale(LC_ALL, saved.c_str());
  if (!changed) GTEST_SKIP() << "no other locale installed";
}

}  // namespace
}  // namespace rqx340
