// The user's pictures and names from the environment and the POSIX locale. The
// locale's strings are in its own codeset, so they are converted to UTF-8 here.
#include "platform/locale_pictures.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <type_traits>

#include "platform/code_page.h"

namespace rqx340 {

namespace {

// Set and not empty.
const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

struct FreeLocale {
  void operator()(locale_t locale) const { freelocale(locale); }
};
using LocaleHandle = std::unique_ptr<std::remove_pointer_t<locale_t>, FreeLocale>;

// LC_CTYPE comes along so that CODESET tells how LC_TIME's strings are encoded.
LocaleHandle OpenLocale(const char* name) {
  return LocaleHandle(newlocale(LC_CTYPE_MASK | LC_TIME_MASK, name, static_cast<locale_t>(0)));
}

class ToUtf8 {
 public:
  explicit ToUtf8(const char* codeset)
      : m_handle(strcasecmp(codeset, "UTF-8") == 0 ? kNone : iconv_open("UTF-8", codeset)) {}
  ~ToUtf8() {
    if (m_handle != kNone) iconv_close(m_handle);
  }
  ToUtf8(const ToUtf8&) = delete;
  ToUtf8& operator=(const ToUtf8&) = delete;

  // Bytes the codeset does not define become U+FFFD.
  std::string operator()(const char* text) const {
    const std::string_view in_text(text != nullptr ? text : "");
    if (m_handle == kNone) return SanitizeUtf8(in_text);
    iconv(m_handle, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    char* in = const_cast<char*>(in_text.data());
    std::size_t in_left = in_text.size();
    char buffer[256];
    while (in_left > 0) {
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      const std::size_t result = iconv(m_handle, &in, &in_left, &out_ptr, &out_left);
      out.append(buffer, out_ptr);
      if (result != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      out += "\xEF\xBF\xBD";
      if (errno != EILSEQ) break;  // incomplete at the end
      ++in;
      --in_left;
    }
    return SanitizeUtf8(out);
  }

 private:
  static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);
  iconv_t m_handle;
};

}  // namespace

LocalePictures UserLocalePictures() {
  const char* name = Variable("LC_ALL");
  if (name == nullptr) name = Variable("LC_TIME");
  if (name == nullptr) name = Variable("LANG");
  LocaleHandle locale = OpenLocale(name != nullptr ? name : "C");
  if (!locale) locale = OpenLocale("C");
  const auto item = [&locale](nl_item which) { return nl_langinfo_l(which, locale.get()); };

  LocalePictures result;
  std::string date_format = "%m/%d/%y";
  std::string time_format = "%H:%M:%S";
  std::string ampm_format;
  result.names = EnglishDateTimeNames();
  if (locale) {
    const ToUtf8 convert(item(CODESET));
    for (int i = 0; i < 12; ++i) {
      result.names.months[i] = convert(item(MON_1 + i));
      result.names.abbreviated_months[i] = convert(item(ABMON_1 + i));
    }
    for (int i = 0; i < 7; ++i) {
      result.names.days[i] = convert(item(DAY_1 + i));
      result.names.abbreviated_days[i] = convert(item(ABDAY_1 + i));
    }
    result.names.am = convert(item(AM_STR));
    result.names.pm = convert(item(PM_STR));
    date_format = convert(item(D_FMT));
    time_format = convert(item(T_FMT));
    ampm_format = convert(item(T_FMT_AMPM));
  }

  if (const char* picture = Variable("RQX340_SHORTDATE")) {
    result.short_date = SanitizeUtf8(picture);
  } else {
    result.short_date = TranslateStrftimePicture(date_format, ampm_format, PictureKind::kDate);
  }
  if (const char* picture = Variable("RQX340_TIMEFORMAT")) {
    result.time_format = SanitizeUtf8(picture);
  } else {
    result.time_format = TranslateStrftimePicture(time_format, ampm_format, PictureKind::kTime);
  }
  return result;
}

}  // namespace rqx340
