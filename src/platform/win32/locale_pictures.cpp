// The user's pictures and names from the user's default locale. Windows
// pictures already use the letters d, M, y, g, h, H, m, s and t, so they are
// taken as they are.
#include "platform/locale_pictures.h"

#include <optional>
#include <string>

#include "platform/code_page.h"
#include "platform/environment.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

std::optional<std::string> Variable(const char* name) {
  auto value = GetEnvironment(name);
  if (value && value->empty()) value.reset();
  return value;
}

std::string LocaleText(LCTYPE type) {
  const int size = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, nullptr, 0);
  if (size <= 0) return {};
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  const int got = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text.data(), size);
  if (got <= 0) return {};
  text.resize(static_cast<std::size_t>(got - 1));  // without the terminating zero
  return SanitizeUtf8(win32::Utf8(text));
}

// Keeps `fallback` where the locale has no text.
void Take(std::string& field, LCTYPE type) {
  if (std::string text = LocaleText(type); !text.empty()) field = std::move(text);
}

}  // namespace

LocalePictures UserLocalePictures() {
  LocalePictures result;
  result.names = EnglishDateTimeNames();
  for (int i = 0; i < 12; ++i) {
    Take(result.names.months[i], static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + i));
    Take(result.names.abbreviated_months[i], static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + i));
  }
  // Windows counts the days from Monday; the names here start with Sunday.
  for (int i = 0; i < 7; ++i) {
    const int windows_day = (i + 6) % 7;
    Take(result.names.days[i], static_cast<LCTYPE>(LOCALE_SDAYNAME1 + windows_day));
    Take(result.names.abbreviated_days[i],
         static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + windows_day));
  }
  Take(result.names.am, LOCALE_S1159);
  Take(result.names.pm, LOCALE_S2359);

  if (const auto picture = Variable("RQX340_SHORTDATE")) {
    result.short_date = SanitizeUtf8(*picture);
  } else {
    result.short_date = LocaleText(LOCALE_SSHORTDATE);
    if (result.short_date.empty()) result.short_date = "M/d/yyyy";
  }
  if (const auto picture = Variable("RQX340_TIMEFORMAT")) {
    result.time_format = SanitizeUtf8(*picture);
  } else {
    result.time_format = LocaleText(LOCALE_STIMEFORMAT);
    if (result.time_format.empty()) result.time_format = "h:mm:ss tt";
  }
  return result;
}

}  // namespace rqx340
