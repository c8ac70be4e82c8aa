// Date and time texts in the user's short-date and time formats.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/byte_archive.h"
#include "platform/locale_pictures.h"

namespace rqx340 {

// A calendar date. Serialized as day (1 byte), month (1 byte), year (2 bytes).
class CQWDate {
 public:
  CQWDate() = default;  // 1900-01-01
  CQWDate(std::uint16_t year, std::uint8_t month, std::uint8_t day)
      : m_nYear(year), m_nMonth(month), m_nDay(day) {}
  // The local date of `time` (seconds since 1970-01-01 00:00:00 UTC). A time the
  // system cannot break down, or whose year does not fit, gives 0-00-00, which
  // formats as empty text.
  explicit CQWDate(std::int64_t time);

  std::uint16_t Year() const { return m_nYear; }
  std::uint8_t Month() const { return m_nMonth; }
  std::uint8_t Day() const { return m_nDay; }

  // The date in the user's short-date format, without day names or era; empty
  // for a date outside 1601 .. 9999 or one that does not exist.
  std::string Format() const;
  std::string Format(const LocalePictures& locale) const;

  // A load that runs out of bytes leaves the date alone.
  void Serialize(ByteArchive& archive);

 private:
  std::uint16_t m_nYear = 1900;
  std::uint8_t m_nMonth = 1;
  std::uint8_t m_nDay = 1;
};

// A time of day. Serialized as milliseconds (2 bytes), then minutes (2 bytes).
class CQWTime {
 public:
  CQWTime() = default;  // 00:00, 0 ms
  CQWTime(std::uint16_t minutes, std::uint16_t milliseconds)
      : m_nMinutes(minutes), m_nMilliseconds(milliseconds) {}
  // The local time of day of `time`, whole seconds. A time the system cannot
  // break down gives kNoMinutes, which formats as empty text.
  explicit CQWTime(std::int64_t time);

  static constexpr std::uint16_t kNoMinutes = 0xFFFF;

  std::uint16_t Minutes() const { return m_nMinutes; }            // since midnight
  std::uint16_t Milliseconds() const { return m_nMilliseconds; }  // within the minute

  // The time in the user's time format; empty for minutes beyond 23:59.
  std::string Format() const;
  std::string Format(const LocalePictures& locale) const;

  void Serialize(ByteArchive& archive);

 private:
  std::uint16_t m_nMinutes = 0;
  std::uint16_t m_nMilliseconds = 0;
};

// The user's short-date picture without era and day names (each with the
// separators after it) and without trailing characters that are not picture
// letters. Quotes get no special treatment.
std::string AdjustDatePicture(std::string_view picture);

// The user's time picture without trailing characters that are not picture letters.
std::string AdjustTimePicture(std::string_view picture);

// The local date and time of `time` (seconds since 1970-01-01 00:00:00 UTC) as
// "<date> <time>" in the user's pictures.
std::string FormatDateTime(std::int64_t time);
// The same with pictures read once by the caller, for many values in a row.
std::string FormatDateTime(std::int64_t time, const LocalePictures& locale);

}  // namespace rqx340
