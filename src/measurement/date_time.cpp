// CQWDate and CQWTime: the local breakdown of a time value and its texts in the
// user's pictures, adjusted as the list shows them.
#include "measurement/date_time.h"

#include <ctime>

#include "measurement/picture_format.h"
#include "platform/local_time.h"

namespace rqx340 {

namespace {

bool IsLetter(std::string_view letters, char c) {
  return letters.find(c) != std::string_view::npos;
}

void RemoveTrailingNonLetters(std::string& picture, std::string_view letters) {
  while (!picture.empty() && !IsLetter(letters, picture.back())) picture.pop_back();
}

}  // namespace

CQWDate::CQWDate(std::int64_t time) : m_nYear(0), m_nMonth(0), m_nDay(0) {
  std::tm tm{};
  if (!TimeToLocalTm(time, tm)) return;
  const long long year = tm.tm_year + 1900LL;
  if (year < 1 || year > 0xFFFF) return;  // would wrap into a plausible year
  m_nYear = static_cast<std::uint16_t>(year);
  m_nMonth = static_cast<std::uint8_t>(tm.tm_mon + 1);
  m_nDay = static_cast<std::uint8_t>(tm.tm_mday);
}

std::string CQWDate::Format() const { return Format(UserLocalePictures()); }

std::string CQWDate::Format(const LocalePictures& locale) const {
  // The system's picture buffer holds no more; a longer picture cannot be read.
  if (PictureLength(locale.short_date) > kMaxPictureChars) return {};
  return FormatDatePicture(AdjustDatePicture(locale.short_date), m_nYear, m_nMonth, m_nDay,
                           locale.names);
}

void CQWDate::Serialize(ByteArchive& archive) {
  if (archive.IsStoring()) {
    archive << m_nDay << m_nMonth << m_nYear;
    return;
  }
  std::uint8_t day = 0;
  std::uint8_t month = 0;
  std::uint16_t year = 0;
  archive >> day >> month >> year;
  if (!archive.Good()) return;
  m_nDay = day;
  m_nMonth = month;
  m_nYear = year;
}

CQWTime::CQWTime(std::int64_t time) : m_nMinutes(kNoMinutes), m_nMilliseconds(0) {
  std::tm tm{};
  if (!TimeToLocalTm(time, tm)) return;
  m_nMinutes = static_cast<std::uint16_t>(tm.tm_hour * 60 + tm.tm_min);
  // A leap second (zones under right/) would make 60000 ms, outside the minute.
  const int second = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  m_nMilliseconds = static_cast<std::uint16_t>(second * 1000);
}

std::string CQWTime::Format() const { return Format(UserLocalePictures()); }

std::string CQWTime::Format(const LocalePictures& locale) const {
  if (PictureLength(locale.time_format) > kMaxPictureChars) return {};
  return FormatTimePicture(AdjustTimePicture(locale.time_format), m_nMinutes / 60, m_nMinutes % 60,
                           m_nMilliseconds / 1000, m_nMilliseconds % 1000, locale.names);
}

void CQWTime::Serialize(ByteArchive& archive) {
  if (archive.IsStoring()) {
    archive << m_nMilliseconds << m_nMinutes;
    return;
  }
  std::uint16_t milliseconds = 0;
  std::uint16_t minutes = 0;
  archive >> milliseconds >> minutes;
  if (!archive.Good()) return;
  m_nMilliseconds = milliseconds;
  m_nMinutes = minutes;
}

std::string AdjustDatePicture(std::string_view picture) {
  std::string adjusted(picture);
  std::size_t i = 0;
  while (i < adjusted.size()) {
    const char c = adjusted[i];
    if (!IsLetter(kDatePictureLetters, c)) {
      ++i;
      continue;
    }
    std::size_t run = 1;
    while (i + run < adjusted.size() && adjusted[i + run] == c) ++run;
    const bool removed = c == 'g' || (c == 'd' && run >= 3);  // era, day names
    if (!removed) {
      i += run;
      continue;
    }
    std::size_t end = i + run;
    while (end < adjusted.size() && !IsLetter(kDatePictureLetters, adjusted[end])) ++end;
    adjusted.erase(i, end - i);
  }
  RemoveTrailingNonLetters(adjusted, kDatePictureLetters);
  return adjusted;
}

std::string AdjustTimePicture(std::string_view picture) {
  std::string adjusted(picture);
  RemoveTrailingNonLetters(adjusted, kTimePictureLetters);
  return adjusted;
}

std::string FormatDateTime(std::int64_t time) { return FormatDateTime(time, UserLocalePictures()); }

std::string FormatDateTime(std::int64_t time, const LocalePictures& locale) {
  return CQWDate(time).Format(locale) + " " + CQWTime(time).Format(locale);
}

}  // namespace rqx340
