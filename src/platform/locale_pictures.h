// The user's short-date and time formats as Windows-style pictures ("dd.MM.yyyy",
// "h:mm:ss tt"), and the month and day names and AM/PM designators that fill them.
// All text is UTF-8.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace rqx340 {

// The letters the date and the time formatter interpret; every other character
// of a picture is text.
inline constexpr std::string_view kDatePictureLetters = "dMyg";
inline constexpr std::string_view kTimePictureLetters = "hHmst";

struct DateTimeNames {
  std::array<std::string, 12> months;  // January first
  std::array<std::string, 12> abbreviated_months;
  std::array<std::string, 7> days;  // Sunday first
  std::array<std::string, 7> abbreviated_days;
  std::string am;
  std::string pm;
};

// The names of the C locale: English.
DateTimeNames EnglishDateTimeNames();

struct LocalePictures {
  std::string short_date;
  std::string time_format;
  DateTimeNames names;
};

// Read afresh on every call, so a changed environment counts:
// - pictures: RQX340_SHORTDATE and RQX340_TIMEFORMAT when set and not empty,
//   otherwise translated from the LC_TIME date and time formats;
// - names: from LC_TIME.
// The locale is the one LC_ALL, else LC_TIME, else LANG names, the C locale when
// none is set or the system does not know it.
LocalePictures UserLocalePictures();

enum class PictureKind { kDate, kTime };

// Translates an strftime format into a Windows picture of `kind`. %D, %T, %R,
// %F and %r (which stands for `ampm_format`, or "%I:%M:%S %p" when that is
// empty) are expanded first. Conversions that the picture's formatter cannot
// show are dropped, as are E and O modifiers and GNU flags and widths, except
// that "-" picks the unpadded form and "0" the padded one. Literal text that
// holds a letter of the formatter's is quoted; whitespace at either end, often
// left behind by a dropped conversion, is removed.
std::string TranslateStrftimePicture(std::string_view format, std::string_view ampm_format,
                                     PictureKind kind);

}  // namespace rqx340
