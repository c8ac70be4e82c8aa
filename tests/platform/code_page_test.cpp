#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace rqx340 {
namespace {

struct Case {
  const char* name;
  std::string utf8;
  std::string ansi;
};

TEST(CodePageTest, Windows1252FromUtf8) {
  const auto page = CodePage::Open(1252);
  ASSERT_TRUE(page);
  const Case cases[] = {
      {"ascii", "Hello, world", "Hello, world"},
      {"latin1",
       "Gr\xC3\xBC\xC3\x9F"
       "e",
       "Gr\xFC\xDF"
       "e"},
      {"euro and dagger", "\xE2\x82\xAC\xE2\x80\xA0", "\x80\x86"},
      {"missing character", "\xE6\x97\xA5x", "?x"},
      {"astral character", "\xF0\x9F\x98\x80", "?"},
      {"lone continuation bytes", "\x80\x80", "??"},
      {"truncated three-byte sequence is one subpart",
       "\xE2\x82"
       "a",
       "?a"},
      {"overlong lead", "\xC0\xAF", "??"},
      {"surrogate", "\xED\xA0\x80", "???"},
      {"truncated at end", "a\xF0\x9F\x98", "a?"},
      {"undefined byte's character", "\xC2\x81", "?"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(page->FromUtf8(c.utf8), c.ansi);
  }
}

TEST(CodePageTest, OtherCodePagesAndRoundTrip) {
  const auto cp1251 = CodePage::Open(1251);
  ASSERT_TRUE(cp1251);
  EXPECT_EQ(cp1251->FromUtf8("\xD0\x96"), "\xC6");  // Cyrillic Zhe
  EXPECT_EQ(cp1251->ToUtf8("\xC6"), "\xD0\x96");
  const auto cp1252 = CodePage::Open(1252);
  ASSERT_TRUE(cp1252);
  EXPECT_EQ(cp1252->ToUtf8("\x80\xFC"), "\xE2\x82\xAC\xC3\xBC");
  EXPECT_EQ(cp1252->ToUtf8("\x81"), "\xEF\xBF\xBD");
}

// glibc's converters for Hebrew and Vietnamese hold each base letter back until
// they know no combining mark follows; both are still single-byte code pages.
TEST(CodePageTest, CodePagesWithCombiningConvertersOpen) {
  struct PageCase {
    int page;
    Case text;
  };
  const PageCase cases[] = {
      {1255,
       {"alef and ascii",
        "\xD7\x90"
        "A",
        "\xE0"
        "A"}},
      {1255, {"sheqel sign", "\xE2\x82\xAA", "\xA4"}},
      {1258,
       {"d with stroke and ascii",
        "\xC4\x91"
        "z",
        "\xF0"
        "z"}},
      {1258, {"combining acute", "\xCC\x81", "\xEC"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.page) + " " + c.text.name);
    const auto page = CodePage::Open(c.page);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->FromUtf8(c.text.utf8), c.text.ansi);
    EXPECT_EQ(page->ToUtf8(c.text.ansi), c.text.utf8);
  }
}

TEST(CodePageTest, RejectsUnknownAndMultiByteCodePages) {
  EXPECT_FALSE(CodePage::Open(0));
  EXPECT_FALSE(CodePage::Open(99999));
  EXPECT_FALSE(CodePage::Open(932));
}

TEST(CodePageTest, DecodeUtf8ConsumesOneSequenceOrSubpart) {
  struct DecodeCase {
    const char* name;
    std::string_view text;
    std::optional<char32_t> code_point;
    std::size_t length;
  };
  const DecodeCase cases[] = {
      {"empty text consumes nothing", {}, std::nullopt, 0},
      {"empty view of a string", std::string_view("x", 0), std::nullopt, 0},
      {"ascii", "ab", U'a', 1},
      {"two bytes", "\xC3\xA9!", U'\u00E9', 2},
      {"four bytes", "\xF0\x9F\x98\x80", U'\U0001F600', 4},
      {"truncated at end", "\xE2\x82", std::nullopt, 2},
      {"lone continuation byte", "\x80", std::nullopt, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::size_t length = 99;
    EXPECT_EQ(DecodeUtf8(c.text, length), c.code_point);
    EXPECT_EQ(length, c.length);
  }
}

TEST(CodePageTest, SanitizeReplacesIllFormedSubparts) {
  EXPECT_EQ(SanitizeUtf8("a\xFF"
                         "b\xE2\x82"),
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
  EXPECT_EQ(SanitizeUtf8("\xC3\xA9"), "\xC3\xA9");
}

}  // namespace
}  // namespace rqx340
