#include "measurement/date_time.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/scoped_env.h"
#include "support/system.h"

namespace rqx340 {
namespace {

using test::ScopedEnv;

constexpr std::int64_t k20240305_070809Utc = 1709622489;
constexpr std::int64_t k20240305_060809Utc = 1709618889;  // 07:08:09 in Berlin (UTC+1)
constexpr std::int64_t k20240701_050809Utc = 1719810489;  // 07:08:09 in Berlin (UTC+2)
constexpr std::int64_t k20240101_123456Utc = 1704112496;
constexpr std::int64_t k16001231_235959Utc = -11644473601;
constexpr std::int64_t k16010101_000000Utc = -11644473600;
constexpr std::int64_t k99991231_235959Utc = 253402300799;
constexpr std::int64_t k100000101_000000Utc = 253402300800;
// Around the year 69 998, which a 16-bit year would wrap into 4 462.
constexpr std::int64_t kYear69998 = 2146800000000;

LocalePictures Pictures(const char* short_date, const char* time_format) {
  return {short_date, time_format, EnglishDateTimeNames()};
}

// Pins every variable that decides the texts; restores them afterwards.
class ScopedDateEnv {
 public:
  ScopedDateEnv(const char* zone, const char* locale, const char* short_date = nullptr,
                const char* time_format = nullptr)
      : m_tz("TZ", zone),
        m_locale({.lc_all = locale, .short_date = short_date, .time_format = time_format}) {}

 private:
  ScopedEnv m_tz;
  test::ScopedLocaleEnv m_locale;
};

struct AdjustCase {
  const char* picture;
  const char* adjusted;
};

TEST(DateTimeTest, DatePictureLosesEraAndDayNames) {
  const AdjustCase cases[] = {
      {"M/d/yyyy", "M/d/yyyy"},
      {"dd.MM.yyyy", "dd.MM.yyyy"},
      {"ddd dd.MM.yyyy", "dd.MM.yyyy"},
      {"yyyy/MM/dd ddd", "yyyy/MM/dd"},
      {"gg yyyy/M/d", "yyyy/M/d"},
      {"dddd, MMMM d, yyyy", "MMMM d, yyyy"},
      {"d/M/yyyy g", "d/M/yyyy"},
      {"ddddd. d.M.", "d.M"},
      {"yyyy\xE5\xB9\xB4M\xE6\x9C\x88"
       "d\xE6\x97\xA5",
       "yyyy\xE5\xB9\xB4M\xE6\x9C\x88"
       "d"},
      {"yy-MM-dd (ddd)", "yy-MM-dd"},
      {"ddd", ""},
      {"g", ""},
      {"", ""},
      {"--", ""},
      // Quotes are ordinary characters and quoted letters count as letters.
      {"d 'de' MMMM 'de' yyyy", "d 'de' MMMM 'de' yyyy"},
      {"dd 'ddd' yyyy", "dd 'yyyy"},
      {"'Day' dd.MM.", "'Day' dd.MM"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    EXPECT_EQ(AdjustDatePicture(c.picture), c.adjusted);
  }
}

TEST(DateTimeTest, TimePictureLosesOnlyTrailingText) {
  const AdjustCase cases[] = {
      {"h:mm:ss tt", "h:mm:ss tt"},
      {"HH:mm:ss", "HH:mm:ss"},
      {"tt h:mm", "tt h:mm"},
      {"HH.mm.ss.", "HH.mm.ss"},
      {"HH\xE6\x99\x82mm\xE5\x88\x86ss\xE7\xA7\x92", "HH\xE6\x99\x82mm\xE5\x88\x86ss"},
      // The quote goes, "r" goes, the "h" of "Uhr" stays.
      {"HH:mm' Uhr'", "HH:mm' Uh"},
      {"", ""},
      {"--", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.picture);
    EXPECT_EQ(AdjustTimePicture(c.picture), c.adjusted);
  }
}

TEST(DateTimeTest, DefaultsAndTextsOfExplicitValues) {
  const CQWDate date;
  EXPECT_EQ(date.Year(), 1900);
  EXPECT_EQ(date.Month(), 1);
  EXPECT_EQ(date.Day(), 1);
  EXPECT_EQ(date.Format(Pictures("dd.MM.yyyy", "HH:mm:ss")), "01.01.1900");
  EXPECT_EQ(date.Format(Pictures("M/d/yyyy", "HH:mm:ss")), "1/1/1900");

  const CQWTime time;
  EXPECT_EQ(time.Minutes(), 0);
  EXPECT_EQ(time.Milliseconds(), 0);
  EXPECT_EQ(time.Format(Pictures("dd.MM.yyyy", "HH:mm:ss")), "00:00:00");
  EXPECT_EQ(time.Format(Pictures("dd.MM.yyyy", "h:mm tt")), "12:00 AM");

  EXPECT_EQ(CQWTime(1439, 59999).Format(Pictures("", "HH:mm:ss")), "23:59:59");
  EXPECT_EQ(CQWTime(1440, 0).Format(Pictures("", "HH:mm:ss")), "");
  EXPECT_EQ(CQWTime(0, 60000).Format(Pictures("", "HH:mm:ss")), "");
  EXPECT_EQ(CQWDate(2024, 2, 30).Format(Pictures("dd.MM.yyyy", "")), "");
  EXPECT_EQ(CQWDate(1600, 12, 31).Format(Pictures("dd.MM.yyyy", "")), "");
}

TEST(DateTimeTest, SecondsAreKeptAsMilliseconds) {
  ScopedDateEnv env("UTC", "C");
  const CQWTime time(k20240101_123456Utc);
  EXPECT_EQ(time.Minutes(), 754);
  EXPECT_EQ(time.Milliseconds(), 56000);
  EXPECT_EQ(time.Format(Pictures("", "HH:mm:ss")), "12:34:56");
  EXPECT_EQ(time.Format(Pictures("", "h:mm tt")), "12:34 PM");
}

TEST(DateTimeTest, ValuesComeFromLocalTime) {
  RQX340_POSIX_ONLY("the zone from TZ");
  struct Case {
    const char* zone;
    std::int64_t time;
    int year, month, day, minutes, milliseconds;
  };
  const Case cases[] = {
      {"UTC", k20240305_070809Utc, 2024, 3, 5, 7 * 60 + 8, 9000},
      {"Europe/Berlin", k20240305_060809Utc, 2024, 3, 5, 7 * 60 + 8, 9000},
      {"Europe/Berlin", k20240701_050809Utc, 2024, 7, 1, 7 * 60 + 8, 9000},
      {"UTC", 0, 1970, 1, 1, 0, 0},
      {"America/New_York", 0, 1969, 12, 31, 19 * 60, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + std::to_string(c.time));
    ScopedDateEnv env(c.zone, "C");
    const CQWDate date(c.time);
    EXPECT_EQ(date.Year(), c.year);
    EXPECT_EQ(date.Month(), c.month);
    EXPECT_EQ(date.Day(), c.day);
    const CQWTime time(c.time);
    EXPECT_EQ(time.Minutes(), c.minutes);
    EXPECT_EQ(time.Milliseconds(), c.milliseconds);
  }
}

struct FormatCase {
  const char* name;
  const char* zone;
  const char* locale;
  const char* short_date;
  const char* time_format;
  std::int64_t time;
  std::string text;
};

TEST(DateTimeTest, FormatDateTimeInTheUsersFormats) {
  RQX340_POSIX_ONLY("pictures from POSIX locales");
  const FormatCase cases[] = {
      {"pictures from the environment", "UTC", "C", "dd.MM.yyyy", "HH:mm:ss", k20240305_070809Utc,
       "05.03.2024 07:08:09"},
      {"Berlin winter", "Europe/Berlin", "C", "dd.MM.yyyy", "HH:mm:ss", k20240305_060809Utc,
       "05.03.2024 07:08:09"},
      {"Berlin summer", "Europe/Berlin", "C", "dd.MM.yyyy", "HH:mm:ss", k20240701_050809Utc,
       "01.07.2024 07:08:09"},
      {"C locale", "UTC", "C", nullptr, nullptr, k20240305_070809Utc, "03/05/24 07:08:09"},
      {"C.UTF-8 locale", "UTC", "C.UTF-8", nullptr, nullptr, k20240305_070809Utc,
       "03/05/24 07:08:09"},
      {"en_US", "UTC", "en_US.UTF-8", nullptr, nullptr, k20240305_070809Utc,
       "03/05/2024 07:08:09 AM"},
      {"en_US afternoon", "UTC", "en_US.UTF-8", nullptr, nullptr, k20240101_123456Utc,
       "01/01/2024 12:34:56 PM"},
      {"de_DE", "Europe/Berlin", "de_DE.UTF-8", nullptr, nullptr, k20240305_060809Utc,
       "05.03.2024 07:08:09"},
      {"ja_JP loses trailing text", "UTC", "ja_JP.UTF-8", nullptr, nullptr, k20240305_070809Utc,
       "2024\xE5\xB9\xB4"
       "03\xE6\x9C\x88"
       "05 07\xE6\x99\x82"
       "08\xE5\x88\x86"
       "09"},
      {"day names removed, month names from the locale", "UTC", "de_DE.UTF-8", "dddd, d. MMMM yyyy",
       "H:mm", k20240305_070809Utc, "5. M\xC3\xA4rz 2024 7:08"},
      {"names converted from ISO-8859-1", "UTC", "de_DE", "d. MMM yyyy", "HH:mm",
       k20240305_070809Utc, "5. M\xC3\xA4r 2024 07:08"},
      {"epoch", "UTC", "C", nullptr, nullptr, 0, "01/01/70 00:00:00"},
      {"epoch in New York", "America/New_York", "C", nullptr, nullptr, 0, "12/31/69 19:00:00"},
      {"first year shown", "UTC", "C", "yyyy-MM-dd", "HH:mm:ss", k16010101_000000Utc,
       "1601-01-01 00:00:00"},
      {"last year shown", "UTC", "C", "yyyy-MM-dd", "HH:mm:ss", k99991231_235959Utc,
       "9999-12-31 23:59:59"},
      {"year 1600: no date", "UTC", "C", "yyyy-MM-dd", "HH:mm:ss", k16001231_235959Utc,
       " 23:59:59"},
      {"year 10000: no date", "UTC", "C", "yyyy-MM-dd", "HH:mm:ss", k100000101_000000Utc,
       " 00:00:00"},
      {"no breakdown: neither text", "UTC", "C", "yyyy-MM-dd", "HH:mm:ss", INT64_MAX, " "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedDateEnv env(c.zone, c.locale, c.short_date, c.time_format);
    EXPECT_EQ(FormatDateTime(c.time), c.text);
    EXPECT_EQ(FormatDateTime(c.time, UserLocalePictures()), c.text);
  }
}

TEST(DateTimeTest, UnreadablyLongPictureGivesNoText) {
  // The system reads at most 126 characters of a picture; trimming comes after.
  const std::string fits = "dd.MM.yyyy" + std::string(116, '-');
  const std::string too_long = fits + "-";
  {
    ScopedDateEnv env("UTC", "C", fits.c_str(), fits.c_str());
    EXPECT_EQ(FormatDateTime(k20240305_070809Utc), "05.03.2024 ");
  }
  {
    ScopedDateEnv env("UTC", "C", too_long.c_str(), "HH:mm");
    EXPECT_EQ(FormatDateTime(k20240305_070809Utc), " 07:08");
  }
  {
    ScopedDateEnv env("UTC", "C", "dd.MM.yyyy", ("HH:mm" + std::string(122, ' ')).c_str());
    EXPECT_EQ(FormatDateTime(k20240305_070809Utc), "05.03.2024 ");
  }
}

TEST(DateTimeTest, YearsBeyondSixteenBitsGiveNoDate) {
  ScopedDateEnv env("UTC", "C", "yyyy-MM-dd", "HH:mm");
  const CQWDate date(kYear69998);
  EXPECT_EQ(date.Year(), 0);
  EXPECT_EQ(date.Format(), "");
  EXPECT_EQ(CQWDate(INT64_MAX).Format(), "");
  EXPECT_EQ(CQWTime(INT64_MAX).Minutes(), CQWTime::kNoMinutes);
  EXPECT_EQ(CQWTime(INT64_MAX).Format(), "");
}

TEST(DateTimeTest, LeapSecondStaysWithinTheMinute) {
  // right/UTC counts leap seconds: 2016-12-31 23:59:60 was one.
  ScopedDateEnv env("right/UTC", "C");
  const std::int64_t leap_second = 1483228800 + 26;  // 26 leap seconds before it
  const CQWTime time(leap_second);
  if (time.Minutes() != 23 * 60 + 59) GTEST_SKIP() << "no right/ zones installed";
  EXPECT_EQ(time.Milliseconds(), 59000);
  EXPECT_EQ(time.Format(Pictures("", "HH:mm:ss")), "23:59:59");
}

TEST(DateTimeTest, SerializedLayout) {
  ByteArchive store;
  CQWDate date(2024, 3, 5);
  CQWTime time(754, 56000);
  date.Serialize(store);
  time.Serialize(store);
  // day, month, year LE; then milliseconds LE (56000 = 0xDAC0), minutes LE (754 = 0x02F2).
  const std::vector<std::uint8_t> expected = {0x05, 0x03, 0xE8, 0x07, 0xC0, 0xDA, 0xF2, 0x02};
  EXPECT_EQ(store.Bytes(), expected);

  ByteArchive load(expected);
  CQWDate loaded_date;
  CQWTime loaded_time;
  loaded_date.Serialize(load);
  loaded_time.Serialize(load);
  EXPECT_TRUE(load.Good());
  EXPECT_EQ(loaded_date.Year(), 2024);
  EXPECT_EQ(loaded_date.Month(), 3);
  EXPECT_EQ(loaded_date.Day(), 5);
  EXPECT_EQ(loaded_time.Minutes(), 754);
  EXPECT_EQ(loaded_time.Milliseconds(), 56000);
}

TEST(DateTimeTest, ShortInputLeavesObjectsAlone) {
  const std::vector<std::uint8_t> three = {0x05, 0x03, 0xE8};
  ByteArchive load(three);
  CQWDate date;
  date.Serialize(load);
  EXPECT_FALSE(load.Good());
  EXPECT_EQ(date.Year(), 1900);
  EXPECT_EQ(date.Month(), 1);
  EXPECT_EQ(date.Day(), 1);

  ByteArchive empty(std::span<const std::uint8_t>{});
  CQWTime time(754, 56000);
  time.Serialize(empty);
  EXPECT_FALSE(empty.Good());
  EXPECT_EQ(time.Minutes(), 754);
  EXPECT_EQ(time.Milliseconds(), 56000);
}

}  // namespace
}  // namespace rqx340
