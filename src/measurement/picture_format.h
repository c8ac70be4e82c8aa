// Fills Windows-style pictures with a date or a time of day, as the system's date
// and time formatters do. Letters of the picture ("dd", "MMMM", "HH", "tt") stand
// for fields; text in single quotes is copied, '' is one quote, inside quotes or
// not, and an unterminated quote runs to the end; everything else is copied.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/locale_pictures.h"

namespace rqx340 {

// The most characters (UTF-16 code units, as the system's buffers count them) a
// picture or a result may have; beyond it the text is empty.
inline constexpr std::size_t kMaxPictureChars = 126;

// The length of `text` in UTF-16 code units; an ill-formed UTF-8 subpart counts one.
std::size_t PictureLength(std::string_view text);

// Interprets d, dd, ddd (abbreviated day name), dddd (day name), M, MM, MMM, MMMM,
// y, yy, yyyy, g and gg (the era, "A.D.": only the Gregorian calendar is shown);
// a longer run acts as the longest form, "yyy" as "yyyy". Empty for a date
// outside 1601-01-01 .. 9999-12-31 or one that does not exist.
std::string FormatDatePicture(std::string_view picture, int year, int month, int day,
                              const DateTimeNames& names);

// Interprets h, hh (12-hour clock), H, HH, m, mm, s, ss, t (the first character
// of the AM/PM designator) and tt; a longer run acts as the longest form. Empty
// for a time outside 00:00:00.000 .. 23:59:59.999.
std::string FormatTimePicture(std::string_view picture, int hour, int minute, int second,
                              int millisecond, const DateTimeNames& names);

}  // namespace rqx340
