#include "platform/locale_pictures.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scoped_env.h"
#include "support/system.h"

namespace rqx340 {
namespace {

using test::LocaleEnv;
using test::ScopedLocaleEnv;

struct TranslationCase {
  const char* format;
  const char* ampm_format;
  PictureKind kind;
  const char* picture;
};

TEST(LocalePicturesTest, TranslatesStrftimeFormats) {
  constexpr auto kDate = PictureKind::kDate;
  constexpr auto kTime = PictureKind::kTime;
  const TranslationCase cases[] = {
      {"%m/%d/%y", "", kDate, "MM/dd/yy"},
      {"%d.%m.%Y", "", kDate, "dd.MM.yyyy"},
      {"%D", "", kDate, "MM/dd/yy"},
      {"%F", "", kDate, "yyyy-MM-dd"},
      {"%e.%m.%Y", "", kDate, "d.MM.yyyy"},
      {"%a %e %b %Y", "", kDate, "ddd d MMM yyyy"},
      {"%A, %B %d, %Y", "", kDate, "dddd, MMMM dd, yyyy"},
      {"%h", "", kDate, "MMM"},
      {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5", "", kDate,
       "yyyy\xE5\xB9\xB4MM\xE6\x9C\x88"
       "dd\xE6\x97\xA5"},
      // GNU flags: "-" unpadded, "0" padded, the rest and widths ignored.
      {"%-d/%-m/%-y", "", kDate, "d/M/y"},
      {"%0e", "", kDate, "dd"},
      {"%_m %^a %#b %10Y", "", kDate, "MM ddd MMM yyyy"},
      // E and O modifiers are ignored.
      {"%d/%m/%Ey", "", kDate, "dd/MM/yy"},
      {"%Oy/%Om/%Od", "", kDate, "yy/MM/dd"},
      // Literal text with picture letters is quoted, a quote doubled.
      {"%d de %B de %Y", "", kDate, "dd' de 'MMMM' de 'yyyy"},
      {"%Y.eko %bren %da", "", kDate, "yyyy.eko MMMren dda"},
      {"%d day's", "", kDate, "dd' day''s'"},
      {"%d o'clock", "", kDate, "dd o''clock"},
      // Conversions without a field, and time fields in a date, are dropped;
      // whitespace they leave at either end goes with them.
      {"%Z %d.%m.%Y %z", "", kDate, "dd.MM.yyyy"},
      {"%d %H:%M", "", kDate, "dd :"},
      {"%d %% %j%c%x", "", kDate, "dd %"},
      {"%d%", "", kDate, "dd"},
      {"", "", kDate, ""},

      {"%H:%M:%S", "", kTime, "HH:mm:ss"},
      {"%T", "", kTime, "HH:mm:ss"},
      {"%R", "", kTime, "HH:mm"},
      {"%r", "%I:%M:%S %p", kTime, "hh:mm:ss tt"},
      {"%r", "", kTime, "hh:mm:ss tt"},
      {"%r", "%l:%M %p", kTime, "h:mm tt"},
      {"%r", "%r", kTime, "hh:mm:ss tt"},  // no endless expansion
      {"%k:%M:%S", "", kTime, "H:mm:ss"},
      {"%l:%M:%S %p", "", kTime, "h:mm:ss tt"},
      {"%-H.%-M.%-S %-I", "", kTime, "H.m.s h"},
      {"%0k %0l", "", kTime, "HH hh"},
      {"%OH:%OM:%OS", "", kTime, "HH:mm:ss"},
      {"%Z %I:%M:%S %p", "", kTime, "hh:mm:ss tt"},
      {"kl. %H.%M %z", "", kTime, "kl. HH.mm"},
      {"%Hh%M", "", kTime, "HH'h'mm"},
      {"%H:%M Uhr", "", kTime, "HH:mm' Uhr'"},
      {"%H'%M", "", kTime, "HH''mm"},
      {"%H:%M %d.%m.", "", kTime, "HH:mm .."},
      {"%p %I\xE6\x97\xB6%M\xE5\x88\x86%S\xE7\xA7\x92 %Z", "", kTime,
       "tt hh\xE6\x97\xB6mm\xE5\x88\x86ss\xE7\xA7\x92"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.format) + (c.kind == kDate ? " (date)" : " (time)"));
    EXPECT_EQ(TranslateStrftimePicture(c.format, c.ampm_format, c.kind), c.picture);
  }
}

// The names a case expects: March and Sunday, each also abbreviated, and AM.
struct ExpectedNames {
  const char* march;
  const char* abbreviated_march;
  const char* sunday;
  const char* abbreviated_sunday;
  const char* am;
};
constexpr ExpectedNames kEnglishNames = {"March", "Mar", "Sunday", "Sun", "AM"};
constexpr ExpectedNames kGermanNames = {"M\xC3\xA4rz", "M\xC3\xA4r", "Sonntag", "So", ""};
constexpr ExpectedNames kJapaneseNames = {"3\xE6\x9C\x88", " 3\xE6\x9C\x88",
                                          "\xE6\x97\xA5\xE6\x9B\x9C\xE6\x97\xA5", "\xE6\x97\xA5",
                                          "\xE5\x8D\x88\xE5\x89\x8D"};

constexpr const char* kJapaneseDate =
    "yyyy\xE5\xB9\xB4MM\xE6\x9C\x88"
    "dd\xE6\x97\xA5";
constexpr const char* kJapaneseTime = "HH\xE6\x99\x82mm\xE5\x88\x86ss\xE7\xA7\x92";

struct UserCase {
  const char* name;
  LocaleEnv env;
  const char* short_date;
  const char* time_format;
  ExpectedNames names;
};

TEST(LocalePicturesTest, UserPicturesAndNamesFollowTheEnvironment) {
  RQX340_POSIX_ONLY("pictures from LC_ALL, LC_TIME and LANG");
  const UserCase cases[] = {
      {"nothing set", {}, "MM/dd/yy", "HH:mm:ss", kEnglishNames},
      {"C", {.lc_all = "C"}, "MM/dd/yy", "HH:mm:ss", kEnglishNames},
      {"unknown locale", {.lc_all = "xx_YY.UTF-8"}, "MM/dd/yy", "HH:mm:ss", kEnglishNames},
      {"en_US", {.lc_all = "en_US.UTF-8"}, "MM/dd/yyyy", "hh:mm:ss tt", kEnglishNames},
      {"de_DE", {.lc_all = "de_DE.UTF-8"}, "dd.MM.yyyy", "HH:mm:ss", kGermanNames},
      {"de_DE in ISO-8859-1 still gives UTF-8",
       {.lc_all = "de_DE"},
       "dd.MM.yyyy",
       "HH:mm:ss",
       kGermanNames},
      {"ja_JP", {.lc_all = "ja_JP.UTF-8"}, kJapaneseDate, kJapaneseTime, kJapaneseNames},
      {"ja_JP in EUC-JP still gives UTF-8",
       {.lc_all = "ja_JP.eucJP"},
       kJapaneseDate,
       kJapaneseTime,
       kJapaneseNames},
      {"LC_ALL before LC_TIME",
       {.lc_all = "de_DE.UTF-8", .lc_time = "en_US.UTF-8"},
       "dd.MM.yyyy",
       "HH:mm:ss",
       kGermanNames},
      {"LC_TIME before LANG",
       {.lc_time = "de_DE.UTF-8", .lang = "en_US.UTF-8"},
       "dd.MM.yyyy",
       "HH:mm:ss",
       kGermanNames},
      {"LANG alone", {.lang = "en_US.UTF-8"}, "MM/dd/yyyy", "hh:mm:ss tt", kEnglishNames},
      {"empty LC_ALL counts as unset",
       {.lc_all = "", .lc_time = "de_DE.UTF-8"},
       "dd.MM.yyyy",
       "HH:mm:ss",
       kGermanNames},
      {"pictures from the environment, names from the locale",
       {.lc_all = "de_DE.UTF-8", .short_date = "d. MMMM yyyy", .time_format = "h:mm tt"},
       "d. MMMM yyyy",
       "h:mm tt",
       kGermanNames},
      {"empty picture variables count as unset",
       {.lc_all = "de_DE.UTF-8", .short_date = "", .time_format = ""},
       "dd.MM.yyyy",
       "HH:mm:ss",
       kGermanNames},
      {"ill-formed UTF-8 in a picture variable",
       {.lc_all = "C", .short_date = "dd\xFF", .time_format = "HH\xC3"},
       "dd\xEF\xBF\xBD",
       "HH\xEF\xBF\xBD",
       kEnglishNames},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedLocaleEnv env(c.env);
    const LocalePictures pictures = UserLocalePictures();
    EXPECT_EQ(pictures.short_date, c.short_date);
    EXPECT_EQ(pictures.time_format, c.time_format);
    EXPECT_EQ(pictures.names.months[2], c.names.march);
    EXPECT_EQ(pictures.names.abbreviated_months[2], c.names.abbreviated_march);
    EXPECT_EQ(pictures.names.days[0], c.names.sunday);
    EXPECT_EQ(pictures.names.abbreviated_days[0], c.names.abbreviated_sunday);
    EXPECT_EQ(pictures.names.am, c.names.am);
  }
}

TEST(LocalePicturesTest, CLocaleNamesAreTheEnglishOnes) {
  ScopedLocaleEnv env({.lc_all = "C"});
  const LocalePictures pictures = UserLocalePictures();
  const DateTimeNames english = EnglishDateTimeNames();
  EXPECT_EQ(pictures.names.months, english.months);
  EXPECT_EQ(pictures.names.abbreviated_months, english.abbreviated_months);
  EXPECT_EQ(pictures.names.days, english.days);
  EXPECT_EQ(pictures.names.abbreviated_days, english.abbreviated_days);
  EXPECT_EQ(pictures.names.am, "AM");
  EXPECT_EQ(pictures.names.pm, "PM");
  EXPECT_EQ(english.months[11], "December");
  EXPECT_EQ(english.days[6], "Saturday");
}

TEST(LocalePicturesTest, NamesFromALocaleInKoi8R) {
  RQX340_POSIX_ONLY("POSIX locales");
  ScopedLocaleEnv env({.lc_all = "ru_RU.KOI8-R"});
  const LocalePictures pictures = UserLocalePictures();
  EXPECT_EQ(pictures.short_date, "dd.MM.yyyy");
  // "января": glibc gives the genitive month name, as used beside a day.
  EXPECT_EQ(pictures.names.months[0], "\xD1\x8F\xD0\xBD\xD0\xB2\xD0\xB0\xD1\x80\xD1\x8F");
}

}  // namespace
}  // namespace rqx340
