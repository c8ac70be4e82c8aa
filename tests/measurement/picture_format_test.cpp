#include "measurement/picture_format.h"

#include <gtest/gtest.h>

#include <string>

namespace rqx340 {
namespace {

struct DateCase {
  const char* picture;
  int year;
  int month;
  int day;
  std::string text;
};

TEST(PictureFormatTest, DatePictures) {
  const DateCase cases[] = {
      {"M/d/yyyy", 2024, 3, 5, "3/5/2024"},
      {"dd.MM.yyyy", 2024, 3, 5, "05.03.2024"},
      {"yyyy/MM/dd", 2024, 11, 25, "2024/11/25"},
      {"ddd dd MMM yy", 2024, 3, 5, "Tue 05 Mar 24"},
      {"dddd, MMMM d, yyyy", 2024, 3, 5, "Tuesday, March 5, 2024"},
      {"y|yy", 2005, 1, 1, "5|05"},
      {"y|yy", 2024, 1, 1, "24|24"},
      {"yyy", 2024, 1, 1, "2024"},
      {"g gg yyyy", 2024, 1, 1, "A.D. A.D. 2024"},
      // Longer runs act as the longest form.
      {"ddddddd MMMMMM yyyyyy ggg", 2024, 9, 5, "Thursday September 2024 A.D."},
      // Quoted literals.
      {"'day' d", 2024, 3, 5, "day 5"},
      {"'dd''MM'", 2024, 3, 5, "dd'MM"},
      {"''d''", 2024, 3, 5, "'5'"},
      {"d' quoted 'M", 2024, 3, 5, "5 quoted 3"},
      {"yyyy 'unterminated d", 2024, 3, 5, "2024 unterminated d"},
      {"''''", 2024, 3, 5, "''"},
      // The date formatter leaves time letters alone.
      {"d h:m:s tt HH", 2024, 3, 5, "5 h:m:s tt HH"},
      {"yyyy\xE5\xB9\xB4M\xE6\x9C\x88"
       "d\xE6\x97\xA5",
       2024, 3, 5,
       "2024\xE5\xB9\xB4"
       "3\xE6\x9C\x88"
       "5\xE6\x97\xA5"},
      {"", 2024, 3, 5, ""},
      // Day names across the range.
      {"dddd", 1601, 1, 1, "Monday"},
      {"dddd", 2000, 1, 1, "Saturday"},
      {"dddd", 9999, 12, 31, "Friday"},
      {"dd.MM.yyyy", 1900, 1, 1, "01.01.1900"},
      // Dates the formatter rejects.
      {"dd.MM.yyyy", 2024, 2, 29, "29.02.2024"},
      {"dd.MM.yyyy", 2000, 2, 29, "29.02.2000"},
      {"dd.MM.yyyy", 2023, 2, 29, ""},
      {"dd.MM.yyyy", 1900, 2, 29, ""},
      {"dd.MM.yyyy", 2024, 4, 31, ""},
      {"dd.MM.yyyy", 2024, 1, 0, ""},
      {"dd.MM.yyyy", 2024, 0, 1, ""},
      {"dd.MM.yyyy", 2024, 13, 1, ""},
      {"dd.MM.yyyy", 1600, 12, 31, ""},
      {"dd.MM.yyyy", 1601, 1, 1, "01.01.1601"},
      {"dd.MM.yyyy", 9999, 12, 31, "31.12.9999"},
      {"dd.MM.yyyy", 10000, 1, 1, ""},
      {"dd.MM.yyyy", -2024, 3, 5, ""},
  };
  const DateTimeNames names = EnglishDateTimeNames();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.picture) + " " + std::to_string(c.year) + "-" +
                 std::to_string(c.month) + "-" + std::to_string(c.day));
    EXPECT_EQ(FormatDatePicture(c.picture, c.year, c.month, c.day, names), c.text);
  }
}

struct TimeCase {
  const char* picture;
  int hour;
  int minute;
  int second;
  int millisecond;
  std::string text;
};

TEST(PictureFormatTest, TimePictures) {
  const TimeCase cases[] = {
      {"HH:mm:ss", 7, 8, 9, 0, "07:08:09"},
      {"H:m:s", 7, 8, 9, 0, "7:8:9"},
      {"h:mm:ss tt", 7, 8, 9, 0, "7:08:09 AM"},
      {"h:mm:ss tt", 19, 8, 9, 0, "7:08:09 PM"},
      {"hh:mm t", 0, 5, 0, 0, "12:05 A"},
      {"hh:mm tt", 12, 0, 0, 0, "12:00 PM"},
      {"hh:mm tt", 11, 59, 59, 999, "11:59 AM"},
      {"HHH:mmm:sss ttt hhh", 23, 8, 9, 0, "23:08:09 PM 11"},
      {"HH'h'mm", 7, 8, 0, 0, "07h08"},
      {"HH 'o''clock'", 7, 8, 0, 0, "07 o'clock"},
      {"HH 'unterminated m", 7, 8, 0, 0, "07 unterminated m"},
      // The time formatter leaves date letters alone.
      {"d.M.y g HH", 7, 8, 9, 0, "d.M.y g 07"},
      {"", 7, 8, 9, 0, ""},
      // Times the formatter rejects.
      {"HH:mm:ss", 24, 0, 0, 0, ""},
      {"HH:mm:ss", -1, 0, 0, 0, ""},
      {"HH:mm:ss", 0, 60, 0, 0, ""},
      {"HH:mm:ss", 0, 0, 60, 0, ""},
      {"HH:mm:ss", 0, 0, 0, 1000, ""},
      {"HH:mm:ss", 0, 0, 0, -1, ""},
  };
  const DateTimeNames names = EnglishDateTimeNames();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.picture) + " " + std::to_string(c.hour) + ":" +
                 std::to_string(c.minute) + ":" + std::to_string(c.second));
    EXPECT_EQ(FormatTimePicture(c.picture, c.hour, c.minute, c.second, c.millisecond, names),
              c.text);
  }
}

TEST(PictureFormatTest, DesignatorsComeFromTheNames) {
  DateTimeNames names = EnglishDateTimeNames();
  names.am = "\xE5\x8D\x88\xE5\x89\x8D";  // 午前
  names.pm = "";
  EXPECT_EQ(FormatTimePicture("tt h", 9, 0, 0, 0, names), "\xE5\x8D\x88\xE5\x89\x8D 9");
  EXPECT_EQ(FormatTimePicture("t h", 9, 0, 0, 0, names), "\xE5\x8D\x88 9");
  EXPECT_EQ(FormatTimePicture("t|tt|h", 21, 0, 0, 0, names), "||9");
  names.abbreviated_months[2] = "M\xC3\xA4r";
  names.months[2] = "M\xC3\xA4rz";
  EXPECT_EQ(FormatDatePicture("MMM MMMM", 2024, 3, 5, names), "M\xC3\xA4r M\xC3\xA4rz");
}

TEST(PictureFormatTest, PicturesAndResultsAreLimitedTo126Characters) {
  const DateTimeNames names = EnglishDateTimeNames();
  const std::string filler(125, '-');
  EXPECT_EQ(FormatDatePicture(filler + "d", 2024, 3, 5, names), filler + "5");
  EXPECT_EQ(FormatDatePicture(filler + "dd", 2024, 3, 5, names), "");  // picture of 127
  EXPECT_EQ(FormatTimePicture(filler + "H", 7, 0, 0, 0, names), filler + "7");
  EXPECT_EQ(FormatTimePicture(filler + "HH", 7, 0, 0, 0, names), "");

  // A short picture whose text outgrows the limit: 15 x "September " is 150.
  std::string months;
  for (int i = 0; i < 15; ++i) months += "MMMM ";
  EXPECT_EQ(FormatDatePicture(months, 2024, 9, 5, names), "");
  EXPECT_EQ(FormatDatePicture(months, 2024, 5, 5, names).size(), 60u);  // "May " x 15
  // 124 characters of picture, 127 of text; then 126 of text.
  EXPECT_EQ(FormatDatePicture(std::string(120, '-') + "dddd", 2024, 3, 5, names), "");
  EXPECT_EQ(FormatDatePicture(std::string(119, '-') + "dddd", 2024, 3, 5, names),
            std::string(119, '-') + "Tuesday");

  // Characters count as the system counts them: one per UTF-16 code unit.
  std::string umlauts;
  for (int i = 0; i < 125; ++i) umlauts += "\xC3\xA4";
  EXPECT_EQ(FormatDatePicture(umlauts + "d", 2024, 3, 5, names), umlauts + "5");
  std::string clefs;  // U+1D11E, two code units each
  for (int i = 0; i < 62; ++i) clefs += "\xF0\x9D\x84\x9E";
  EXPECT_EQ(FormatDatePicture(clefs + "dd", 2024, 3, 5, names), clefs + "05");
  EXPECT_EQ(FormatDatePicture(clefs + "ddd", 2024, 3, 5, names), "");
}

}  // namespace
}  // namespace rqx340
