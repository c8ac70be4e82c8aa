// Expands Windows-style date and time pictures field by field.
#include "measurement/picture_format.h"

#include <cstdio>

#include "platform/code_page.h"

namespace rqx340 {

namespace {

constexpr std::string_view kEra = "A.D.";

std::string_view FirstCharacter(std::string_view text) {
  if (text.empty()) return text;
  std::size_t length = 0;
  DecodeUtf8(text, length);
  return text.substr(0, length);
}

void AppendNumber(std::string& out, int value, bool two_digits) {
  char digits[16];
  std::snprintf(digits, sizeof digits, two_digits ? "%02d" : "%d", value);
  out += digits;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// 0 for Sunday; the proleptic Gregorian calendar, which covers every year accepted.
int DayOfWeek(int year, int month, int day) {
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) --year;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

// Copies the picture's literals and hands every run of one of `letters` to
// `field`, which appends its text.
template <typename Field>
std::string Expand(std::string_view picture, std::string_view letters, const Field& field) {
  if (PictureLength(picture) > kMaxPictureChars) return {};
  std::string out;
  std::size_t i = 0;
  const auto quote_pair = [&picture](std::size_t at) {
    return at + 1 < picture.size() && picture[at] == '\'' && picture[at + 1] == '\'';
  };
  while (i < picture.size()) {
    const char c = picture[i];
    if (quote_pair(i)) {
      out += '\'';
      i += 2;
    } else if (c == '\'') {
      for (++i; i < picture.size(); ++i) {
        if (quote_pair(i)) {
          out += '\'';
          ++i;
        } else if (picture[i] == '\'') {
          ++i;
          break;
        } else {
          out += picture[i];
        }
      }
    } else if (letters.find(c) != std::string_view::npos) {
      std::size_t run = 1;
      while (i + run < picture.size() && picture[i + run] == c) ++run;
      field(c, run, out);
      i += run;
    } else {
      out += c;
      ++i;
    }
  }
  if (PictureLength(out) > kMaxPictureChars) return {};
  return out;
}

}  // namespace

std::size_t PictureLength(std::string_view text) {
  std::size_t units = 0;
  while (!text.empty()) {
    std::size_t length = 0;
    const auto code_point = DecodeUtf8(text, length);
    units += code_point && *code_point > 0xFFFF ? 2 : 1;
    text.remove_prefix(length);
  }
  return units;
}

std::string FormatDatePicture(std::string_view picture, int year, int month, int day,
                              const DateTimeNames& names) {
  if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month)) {
    return {};
  }
  const int weekday = DayOfWeek(year, month, day);
  return Expand(picture, kDatePictureLetters, [&](char letter, std::size_t run, std::string& out) {
    switch (letter) {
      case 'd':
        if (run <= 2) {
          AppendNumber(out, day, run == 2);
        } else {
          out += run == 3 ? names.abbreviated_days[weekday] : names.days[weekday];
        }
        break;
      case 'M':
        if (run <= 2) {
          AppendNumber(out, month, run == 2);
        } else {
          out += run == 3 ? names.abbreviated_months[month - 1] : names.months[month - 1];
        }
        break;
      case 'y':
        if (run <= 2) {
          AppendNumber(out, year % 100, run == 2);
        } else {
          AppendNumber(out, year, false);
        }
        break;
      default:  // g
        out += kEra;
        break;
    }
  });
}

std::string FormatTimePicture(std::string_view picture, int hour, int minute, int second,
                              int millisecond, const DateTimeNames& names) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    return {};
  }
  return Expand(picture, kTimePictureLetters, [&](char letter, std::size_t run, std::string& out) {
    switch (letter) {
      case 'h':
        AppendNumber(out, hour % 12 == 0 ? 12 : hour % 12, run >= 2);
        break;
      case 'H':
        AppendNumber(out, hour, run >= 2);
        break;
      case 'm':
        AppendNumber(out, minute, run >= 2);
        break;
      case 's':
        AppendNumber(out, second, run >= 2);
        break;
      default: {  // t
        const std::string& designator = hour < 12 ? names.am : names.pm;
        out += run == 1 ? FirstCharacter(designator) : std::string_view(designator);
        break;
      }
    }
  });
}

}  // namespace rqx340
