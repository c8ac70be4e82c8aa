#include "platform/code_page.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "support/scoped_env.h"
#include "support/system.h"

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

TEST(CodePageTest, RejectsUnknownAndOtherMultiByteCodePages) {
  for (const int number : {0, -1, 99999, 65001, 1361}) {
    SCOPED_TRACE(number);
    const auto page = CodePage::Open(number);
    ASSERT_FALSE(page);
    EXPECT_EQ(page.ErrorText(), "code page " + std::to_string(number) +
                                    " is not an ANSI code page this system knows");
  }
}

// The four double-byte ANSI code pages, as Windows writes and reads them: where
// glibc's tables differ (best-fit characters, duplicates, user-defined
// characters), Windows' mapping is the one the host gets.
TEST(CodePageTest, DoubleByteFromUtf8) {
  struct PageCase {
    int page;
    Case text;
  };
  const PageCase cases[] = {
      {932, {"ascii", "Hello 0\\~", "Hello 0\\~"}},
      {932, {"kanji", "\xE6\x97\xA5\xE6\x9C\xAC", "\x93\xFA\x96\x7B"}},
      {932, {"half-width katakana is one byte", "\xEF\xBD\xB1x", "\xB1x"}},
      {932, {"fullwidth tilde", "\xEF\xBD\x9E", "\x81\x60"}},
      {932, {"wave dash is not Windows' 0x8160", "\xE3\x80\x9C", "?"}},
      {932, {"yen sign is no best fit for 0x5C", "\xC2\xA5", "?"}},
      {932, {"em dash is not Windows' 0x815C", "\xE2\x80\x94", "?"}},
      {932, {"horizontal bar", "\xE2\x80\x95", "\x81\x5C"}},
      {932, {"NEC row 13 duplicate: the JIS code", "\xE2\x89\x92", "\x81\xE0"}},
      {932, {"IBM extension over NEC-selected", "\xE2\x85\xB0", "\xFA\x40"}},
      {932, {"not sign", "\xEF\xBF\xA2", "\x81\xCA"}},
      {932, {"user-defined character", "\xEE\x80\x80", "\xF0\x40"}},
      {932, {"written but not read", "\xEF\xA3\xB0", "\xA0"}},
      {932, {"C1 control stays a hole", "\xC2\x80", "?"}},
      {932, {"hangul and emoji are missing", "\xED\x95\x9C\xF0\x9F\x98\x80", "??"}},
      {932, {"ill-formed subparts", "\xE6\x97\xFF", "??"}},
      {936, {"hanzi", "\xE4\xB8\xAD", "\xD6\xD0"}},
      {936, {"euro sign is one byte", "\xE2\x82\xAC", "\x80"}},
      {936, {"user-defined area", "\xEE\x80\x80", "\xAA\xA1"}},
      {936, {"a GBK hole in the Private Use Area", "\xEE\x9D\xA6", "\xA2\xAB"}},
      {936, {"kana", "\xE3\x81\x82", "\xA4\xA2"}},
      {949, {"hangul", "\xED\x95\x9C\xEA\xB0\x80", "\xC7\xD1\xB0\xA1"}},
      {949, {"user-defined area", "\xEE\x80\x80", "\xC9\xA1"}},
      {949, {"C1 control stays a hole", "\xC2\x80", "?"}},
      {950, {"hanzi", "\xE4\xB8\xAD", "\xA4\xA4"}},
      {950, {"box drawing held twice: the second", "\xE2\x95\x90", "\xF9\xF9"}},
      {950, {"user-defined area", "\xEE\x80\x80", "\xFA\x40"}},
      {950, {"cent sign is no best fit", "\xC2\xA2", "?"}},
      {950, {"fullwidth cent sign", "\xEF\xBF\xA0", "\xA2\x46"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.page) + " " + c.text.name);
    const auto page = CodePage::Open(c.page);
    ASSERT_TRUE(page) << page.ErrorText();
    EXPECT_TRUE(page->IsDoubleByte());
    EXPECT_EQ(page->FromUtf8(c.text.utf8), c.text.ansi);
  }
}

TEST(CodePageTest, DoubleByteToUtf8) {
  struct PageCase {
    int page;
    Case text;
  };
  constexpr std::string_view kBad = "\xEF\xBF\xBD";
  const PageCase cases[] = {
      {932,
       {"kanji and ascii",
        "\xE6\x97\xA5"
        "a\xE6\x9C\xAC",
        "\x93\xFA"
        "a\x96\x7B"}},
      {932, {"a trail byte in the ASCII range", "\xE3\x80\x81", "\x81\x41"}},
      {932, {"half-width katakana", "\xEF\xBD\xB1", "\xB1"}},
      {932, {"NEC row 13 reads as its character", "\xE2\x89\x92", "\x87\x90"}},
      {932, {"lone lead byte at the end", "a" + std::string(kBad), "a\x81"}},
      {932, {"lead byte before a control character", std::string(kBad) + " x", "\x81 x"}},
      {932,
       {"a lead byte is a trail byte too", "\xEF\xBC\x9D" + std::string(kBad), "\x81\x81\x81"}},
      {932, {"undefined pair is one character", std::string(kBad) + "z", "\x85\x40z"}},
      {932, {"undefined single bytes", std::string(kBad) + std::string(kBad), "\xA0\x80"}},
      {936, {"euro sign", "\xE2\x82\xAC", "\x80"}},
      {936, {"0xFF is undefined", std::string(kBad), "\xFF"}},
      {949, {"hangul", "\xED\x95\x9C", "\xC7\xD1"}},
      {949, {"user-defined character", "\xEE\x80\x80", "\xC9\xA1"}},
      {950, {"both box drawing codes", "\xE2\x95\x90\xE2\x95\x90", "\xA2\xA4\xF9\xF9"}},
      {950, {"user-defined character", "\xEF\x9A\xB1", "\xC6\xA1"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.page) + " " + c.text.name);
    const auto page = CodePage::Open(c.page);
    ASSERT_TRUE(page) << page.ErrorText();
    EXPECT_EQ(page->ToUtf8(c.text.ansi), c.text.utf8);
  }
}

// Every character a double-byte page reads comes back as bytes that read as
// it: the same bytes, or the code Windows prefers for a character held twice.
TEST(CodePageTest, DoubleByteRoundTrip) {
  for (const int number : {932, 936, 949, 950}) {
    SCOPED_TRACE(number);
    const auto page = CodePage::Open(number);
    ASSERT_TRUE(page) << page.ErrorText();
    std::size_t characters = 0;
    std::size_t duplicates = 0;
    for (unsigned lead = 0; lead < 256; ++lead) {
      const unsigned first = page->IsLeadByte(static_cast<char>(lead)) ? 0x40 : 0x100;
      for (unsigned trail = first; trail <= (first == 0x100 ? 0x100u : 0xFEu); ++trail) {
        std::string bytes(1, static_cast<char>(lead));
        if (trail < 0x100) bytes += static_cast<char>(trail);
        const std::string utf8 = page->ToUtf8(bytes);
        if (utf8 == "\xEF\xBF\xBD") continue;
        ++characters;
        const std::string back = page->FromUtf8(utf8);
        EXPECT_EQ(page->ToUtf8(back), utf8) << std::hex << lead << ' ' << trail;
        EXPECT_TRUE(page->CanExpress(utf8));
        if (back != bytes) ++duplicates;
      }
    }
    EXPECT_GT(characters, 9000u);
    EXPECT_LT(duplicates, 400u);
  }
}

// The tables of both systems are Windows' own: a digest over what each page
// reads every byte and pair as, and writes every character of the BMP as.
TEST(CodePageTest, DoubleByteTablesAreTheWindowsOnes) {
  struct Digest {
    int page;
    std::uint64_t digest;
  };
  const Digest cases[] = {{932, 12240033502761156231u},
                          {936, 15696426394539711434u},
                          {949, 13441915100841951239u},
                          {950, 8481838602904553453u}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    const auto page = CodePage::Open(c.page);
    ASSERT_TRUE(page) << page.ErrorText();
    std::uint64_t digest = 0xCBF29CE484222325u;
    const auto add = [&digest](std::string_view bytes) {
      for (const char b : bytes) digest = (digest ^ static_cast<unsigned char>(b)) * 0x100000001B3u;
      digest = (digest ^ 0xFFu) * 0x100000001B3u;
    };
    for (unsigned lead = 0; lead < 256; ++lead) {
      if (!page->IsLeadByte(static_cast<char>(lead))) {
        add(page->ToUtf8(std::string(1, static_cast<char>(lead))));
        continue;
      }
      for (unsigned trail = 0x40; trail < 0xFF; ++trail) {
        add(page->ToUtf8(std::string{static_cast<char>(lead), static_cast<char>(trail)}));
      }
    }
    for (char32_t code_point = 1; code_point < 0x10000; ++code_point) {
      if (code_point >= 0xD800 && code_point <= 0xDFFF) continue;
      std::string utf8;
      AppendUtf8(utf8, code_point);
      add(page->FromUtf8(utf8));
    }
    EXPECT_EQ(digest, c.digest) << std::hex << digest;
  }
}

// A text cut to a field never ends in the first byte of a character.
TEST(CodePageTest, PrefixEndsOnACharacterBoundary) {
  struct PrefixCase {
    const char* name;
    int page;
    std::string bytes;
    std::size_t limit;
    std::string prefix;
  };
  const PrefixCase cases[] = {
      {"single-byte: the plain cut", 1252, "\x93\xFA\x96\x7B", 3, "\x93\xFA\x96"},
      {"single-byte: shorter text", 1252, "ab", 10, "ab"},
      {"whole characters fit", 932, "a\x93\xFA", 3, "a\x93\xFA"},
      {"a split character is left out", 932, "a\x93\xFA", 2, "a"},
      {"a trail byte in the ASCII range", 932, "\x81\x41\x81\x41", 3, "\x81\x41"},
      {"half-width katakana are single bytes", 932, "\xB1\xB2\xB3", 2, "\xB1\xB2"},
      {"a lone lead byte at the end is dropped", 932, "ab\x81", 10, "ab"},
      {"a lone lead byte inside stays", 932, "a\x81 b", 4, "a\x81 b"},
      {"a lone lead byte at the cut is dropped", 932, "a\x81 b", 2, "a"},
      {"limit 0", 932, "\x93\xFA", 0, ""},
      {"936", 936, "\xD6\xD0\xD6\xD0", 3, "\xD6\xD0"},
      {"949", 949, "\xC7\xD1x\xC7\xD1", 4, "\xC7\xD1x"},
      {"950", 950, "\xA4\xA4\xA4\xA4", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto page = CodePage::Open(c.page);
    ASSERT_TRUE(page) << page.ErrorText();
    EXPECT_EQ(page->Prefix(c.bytes, c.limit), c.prefix);
  }
  // Every cut of a Shift-JIS text of mixed widths keeps whole characters.
  const auto page = CodePage::Open(932);
  ASSERT_TRUE(page);
  const std::string text =
      page->FromUtf8("A\xE6\x8C\xAF\xE5\x8B\x95\xEF\xBD\xB1\xE6\xB8\xAC1\xE5\xAE\x9A");
  for (std::size_t limit = 0; limit <= text.size() + 1; ++limit) {
    const std::string_view prefix = page->Prefix(text, limit);
    EXPECT_LE(prefix.size(), limit);
    EXPECT_GE(prefix.size() + 1, std::min(limit, text.size()));
    EXPECT_EQ(text.substr(0, prefix.size()), prefix);
    EXPECT_EQ(page->FromUtf8(page->ToUtf8(prefix)), prefix) << limit;
  }
}

TEST(CodePageTest, CanExpressNamesThePageHolds) {
  struct ExpressCase {
    int page;
    const char* utf8;
    bool expressed;
  };
  const ExpressCase cases[] = {
      {1252, "M\xC3\xBCller.rqx2", true},
      {1252, "\xE6\x97\xA5.rqx2", false},
      {932, "\xE6\x8C\xAF\xE5\x8B\x95.rqx2", true},
      {932, "\xD0\x96.rqx2", true},  // Cyrillic is in JIS X 0208
      {932, "\xED\x95\x9C.rqx2", false},
      {932, "\xEF\xA3\xB0", false},  // written as 0xA0, which reads as nothing
      {932, "\xE2\x89\x92", true},   // held twice, reads back as itself
      {932, "bad\xFF", false},
      {949, "\xED\x95\x9C.rqx2", true},
      {936, "\xF0\x9F\x98\x80", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.page) + " " + c.utf8);
    const auto page = CodePage::Open(c.page);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->CanExpress(c.utf8), c.expressed);
  }
}

TEST(CodePageTest, LocalesGetTheirWindowsAnsiCodePage) {
  struct LocaleCase {
    const char* locale;
    int page;
  };
  const LocaleCase cases[] = {
      {"", 1252},
      {"C", 1252},
      {"POSIX", 1252},
      {"C.UTF-8", 1252},
      {"en_US.UTF-8", 1252},
      {"de_DE@euro", 1252},
      {"ja_JP.UTF-8", 932},
      {"ja_JP.eucJP", 932},
      {"ja", 932},
      {"zh_CN.UTF-8", 936},
      {"zh_SG.GBK", 936},
      {"zh_TW.UTF-8", 950},
      {"zh_HK.UTF-8", 950},
      {"zh_MO", 950},
      {"ko_KR.UTF-8", 949},
      {"ru_RU.KOI8-R", 1251},
      {"uk_UA.UTF-8", 1251},
      {"bg_BG", 1251},
      {"sr_RS.UTF-8", 1251},
      {"sr_RS@latin", 1250},
      {"pl_PL.UTF-8", 1250},
      {"cs_CZ", 1250},
      {"hu_HU", 1250},
      {"el_GR.UTF-8", 1253},
      {"tr_TR.UTF-8", 1254},
      {"he_IL.UTF-8", 1255},
      {"ar_EG.UTF-8", 1256},
      {"fa_IR", 1256},
      {"et_EE", 1257},
      {"lt_LT.UTF-8", 1257},
      {"lv_LV", 1257},
      {"vi_VN", 1258},
      {"th_TH.UTF-8", 874},
      {"uz_UZ", 1254},
      {"uz_UZ@cyrillic", 1251},
      {"jam_JM", 1252},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale);
    EXPECT_EQ(AnsiCodePageOfLocale(c.locale), c.page);
  }
}

// Without RQX340_ANSI_CODEPAGE the code page follows the locale of character
// types: LC_ALL, else LC_CTYPE, else LANG; an empty variable counts as unset.
TEST(CodePageTest, SystemCodePageFollowsTheLocale) {
  RQX340_POSIX_ONLY("the locale variables; Windows has its own ANSI code page");
  struct EnvCase {
    const char* lc_all;
    const char* lc_ctype;
    const char* lang;
    int page;
  };
  const EnvCase cases[] = {
      {nullptr, nullptr, nullptr, 1252},
      {nullptr, nullptr, "ja_JP.UTF-8", 932},
      {"", "", "ja_JP.UTF-8", 932},
      {nullptr, "ko_KR.UTF-8", "ja_JP.UTF-8", 949},
      {"zh_TW.UTF-8", "ko_KR.UTF-8", "ja_JP.UTF-8", 950},
      {"C.UTF-8", nullptr, "ja_JP.UTF-8", 1252},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.lc_all ? c.lc_all : "-") + " " + (c.lc_ctype ? c.lc_ctype : "-") +
                 " " + (c.lang ? c.lang : "-"));
    test::ScopedEnv lc_all("LC_ALL", c.lc_all);
    test::ScopedEnv lc_ctype("LC_CTYPE", c.lc_ctype);
    test::ScopedEnv lang("LANG", c.lang);
    const auto page = SystemAnsiCodePage();
    ASSERT_TRUE(page) << page.ErrorText();
    EXPECT_EQ(page->Number(), c.page);
  }
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
