// Date and time texts from arbitrary pictures, names and times: the
// Windows-picture formatter, the picture adjustments, the strftime translation
// and the local date and time of any 64-bit time value in one of a few time zones.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "measurement/date_time.h"
#include "measurement/picture_format.h"
#include "platform/locale_pictures.h"
#include "time_zones.h"

namespace {

using namespace rqx340;

DateTimeNames Names(FuzzedDataProvider& input) {
  DateTimeNames names = EnglishDateTimeNames();
  if (!input.ConsumeBool()) return names;
  for (auto* list : {&names.months, &names.abbreviated_months}) {
    for (auto& name : *list) name = input.ConsumeRandomLengthString(24);
  }
  for (auto* list : {&names.days, &names.abbreviated_days}) {
    for (auto& name : *list) name = input.ConsumeRandomLengthString(24);
  }
  names.am = input.ConsumeRandomLengthString(24);
  names.pm = input.ConsumeRandomLengthString(24);
  return names;
}

void CheckLength(const std::string& text) { FUZZ_CHECK(PictureLength(text) <= kMaxPictureChars); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const int year = input.ConsumeBool() ? input.ConsumeIntegralInRange(1590, 10010)
                                       : input.ConsumeIntegral<int>();
  const int month = input.ConsumeIntegralInRange(-1, 14);
  const int day = input.ConsumeIntegralInRange(-1, 33);
  const int hour = input.ConsumeIntegralInRange(-1, 25);
  const int minute = input.ConsumeIntegralInRange(-1, 61);
  const int second = input.ConsumeIntegralInRange(-1, 61);
  const int millisecond = input.ConsumeIntegralInRange(-1, 1000);
  const std::int64_t time = input.ConsumeIntegral<std::int64_t>();
  fuzz::UseTimeZone(input.ConsumeIntegral<std::uint8_t>());
  const PictureKind kind = input.ConsumeBool() ? PictureKind::kDate : PictureKind::kTime;
  const std::string ampm = input.ConsumeRandomLengthString(64);
  const DateTimeNames names = Names(input);
  const std::string picture = input.ConsumeRemainingBytesAsString();

  CheckLength(FormatDatePicture(picture, year, month, day, names));
  CheckLength(FormatTimePicture(picture, hour, minute, second, millisecond, names));
  CheckLength(FormatDatePicture(AdjustDatePicture(picture), year, month, day, names));
  CheckLength(
      FormatTimePicture(AdjustTimePicture(picture), hour, minute, second, millisecond, names));

  // A translated locale format, as the pictures of a POSIX locale are made.
  const std::string translated = TranslateStrftimePicture(picture, ampm, kind);
  if (kind == PictureKind::kDate) {
    CheckLength(FormatDatePicture(translated, year, month, day, names));
  } else {
    CheckLength(FormatTimePicture(translated, hour, minute, second, millisecond, names));
  }

  LocalePictures locale;
  locale.short_date = kind == PictureKind::kDate ? picture : translated;
  locale.time_format = kind == PictureKind::kTime ? picture : translated;
  locale.names = names;
  const CQWDate date(time);
  const CQWTime clock(time);
  CheckLength(date.Format(locale));
  CheckLength(clock.Format(locale));
  FormatDateTime(time, locale);
  return 0;
}
