// "%1" to "%9" take their arguments, and no pattern can make the text grow
// past its bound.
#include "base/string_table.h"

#include <gtest/gtest.h>

#include <string>

namespace rqx340 {
namespace {

TEST(FormatStringTest, NumberedArgumentsReplaceTheirMarks) {
  struct Case {
    const char* pattern;
    std::string expected;
  };
  const Case cases[] = {
      {"%1 of %2 imported, %3 not.", "7 of 9 imported, 2 not."},
      {"%3, %1, %2, %1", "2, 7, 9, 7"},
      {"%4 and %0 stay, 100%", "%4 and %0 stay, 100%"},
      {"%", "%"},
      {"trailing %", "trailing %"},
      {"%%1", "%7"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(FormatString(c.pattern, {"7", "9", "2"}), c.expected);
  }
  // The one-argument form leaves "%2" alone.
  EXPECT_EQ(FormatString("%1 %2", "x"), "x %2");
}

// A hostile language table (1 MB of "%1") once grew a message to 1.9 GB. The
// expansion stops at the bound, cut at a character, and says it was cut.
TEST(FormatStringTest, TheExpandedTextNeverPassesTheBound) {
  std::string hostile;
  for (int i = 0; i < 250000; ++i) hostile += "%1";
  const std::string path(4000, 'p');
  // "a" and these bytes put the cut after the first byte of an "ä".
  const std::string two_byte = std::string(kMaxFormattedText - 5, 'x') + "\xC3\xA4\xC3\xA4\xC3\xA4";
  struct Case {
    const char* what;
    std::string pattern;
    std::string argument;
  };
  const Case cases[] = {
      {"a quarter million marks", hostile, path},
      {"a pattern longer than the bound", std::string(kMaxFormattedText + 1, 'a'), ""},
      {"a cut inside a two-byte character", "a%1", two_byte},
      {"one argument past the bound", "%1", std::string(kMaxFormattedText * 2, 'q')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string text = FormatString(c.pattern, c.argument);
    EXPECT_LE(text.size(), kMaxFormattedText);
    EXPECT_GT(text.size(), kMaxFormattedText - 8);
    ASSERT_TRUE(text.ends_with(kCutMark));
    // No partial character before the mark.
    const std::string body = text.substr(0, text.size() - kCutMark.size());
    const auto last = static_cast<unsigned char>(body.back());
    EXPECT_TRUE(last < 0x80) << int{last};
  }
  // Exactly at the bound nothing is cut.
  const std::string full(kMaxFormattedText - 1, 'y');
  EXPECT_EQ(FormatString("%1.", full), full + ".");
}

}  // namespace
}  // namespace rqx340
