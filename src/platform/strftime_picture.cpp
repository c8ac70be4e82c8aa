// strftime formats to Windows pictures. No system calls here: the POSIX side
// reads the formats and hands them over.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "platform/locale_pictures.h"

namespace rqx340 {

namespace {

enum class Padding { kDefault, kNone, kZero };

// The picture as a sequence of literal text and picture fields, so that
// literals can be trimmed and quoted once they are complete.
class PictureBuilder {
 public:
  void Literal(std::string_view text) {
    if (m_parts.empty() || !m_parts.back().literal) m_parts.push_back({true, {}});
    m_parts.back().text += text;
  }
  void Field(std::string_view letters) { m_parts.push_back({false, std::string(letters)}); }

  std::string Build(std::string_view quoted_letters) {
    constexpr std::string_view kSpace = " \t\n\r\v\f";
    if (!m_parts.empty() && m_parts.front().literal) {
      auto& text = m_parts.front().text;
      text.erase(0, std::min(text.find_first_not_of(kSpace), text.size()));
    }
    if (!m_parts.empty() && m_parts.back().literal) {
      auto& text = m_parts.back().text;
      const auto last = text.find_last_not_of(kSpace);
      text.erase(last == std::string::npos ? 0 : last + 1);
    }
    std::string picture;
    for (const auto& part : m_parts) {
      if (!part.literal) {
        picture += part.text;
        continue;
      }
      const bool quote = part.text.find_first_of(quoted_letters) != std::string::npos;
      if (quote) picture += '\'';
      for (const char c : part.text) {
        if (c == '\'') picture += '\'';  // '' stands for one quote, inside quotes or not
        picture += c;
      }
      if (quote) picture += '\'';
    }
    return picture;
  }

 private:
  struct Part {
    bool literal;
    std::string text;
  };
  std::vector<Part> m_parts;
};

std::string_view Pick(Padding padding, std::string_view normal, std::string_view unpadded,
                      std::string_view padded) {
  switch (padding) {
    case Padding::kNone:
      return unpadded;
    case Padding::kZero:
      return padded;
    case Padding::kDefault:
      break;
  }
  return normal;
}

// The picture field for one conversion, empty when there is none.
std::string_view FieldFor(char conversion, Padding padding, PictureKind kind) {
  std::string_view date_field;
  std::string_view time_field;
  switch (conversion) {
    case 'd':
      date_field = Pick(padding, "dd", "d", "dd");
      break;
    case 'e':
      date_field = Pick(padding, "d", "d", "dd");
      break;
    case 'm':
      date_field = Pick(padding, "MM", "M", "MM");
      break;
    case 'y':
      date_field = Pick(padding, "yy", "y", "yy");
      break;
    case 'Y':
      date_field = "yyyy";
      break;
    case 'b':
    case 'h':  // a synonym of %b
      date_field = "MMM";
      break;
    case 'B':
      date_field = "MMMM";
      break;
    case 'a':
      date_field = "ddd";
      break;
    case 'A':
      date_field = "dddd";
      break;
    case 'H':
      time_field = Pick(padding, "HH", "H", "HH");
      break;
    case 'k':
      time_field = Pick(padding, "H", "H", "HH");
      break;
    case 'I':
      time_field = Pick(padding, "hh", "h", "hh");
      break;
    case 'l':
      time_field = Pick(padding, "h", "h", "hh");
      break;
    case 'M':
      time_field = Pick(padding, "mm", "m", "mm");
      break;
    case 'S':
      time_field = Pick(padding, "ss", "s", "ss");
      break;
    case 'p':
      time_field = "tt";
      break;
    default:
      break;
  }
  // The other formatter would print the letters as they are.
  return kind == PictureKind::kDate ? date_field : time_field;
}

void Translate(std::string_view format, std::string_view ampm_format, PictureKind kind, int depth,
               PictureBuilder& builder) {
  std::size_t i = 0;
  while (i < format.size()) {
    const std::size_t percent = format.find('%', i);
    if (percent == std::string_view::npos) {
      builder.Literal(format.substr(i));
      return;
    }
    builder.Literal(format.substr(i, percent - i));
    i = percent + 1;
    Padding padding = Padding::kDefault;
    while (i < format.size() &&
           std::string_view("-_0^#").find(format[i]) != std::string_view::npos) {
      if (format[i] == '-') padding = Padding::kNone;
      if (format[i] == '0') padding = Padding::kZero;
      ++i;
    }
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') ++i;
    while (i < format.size() && (format[i] == 'E' || format[i] == 'O')) ++i;
    if (i >= format.size()) return;  // a lone "%" at the end shows nothing
    const char conversion = format[i++];
    std::string_view expansion;
    switch (conversion) {
      case 'D':
        expansion = "%m/%d/%y";
        break;
      case 'T':
        expansion = "%H:%M:%S";
        break;
      case 'R':
        expansion = "%H:%M";
        break;
      case 'F':
        expansion = "%Y-%m-%d";
        break;
      case 'r':
        // A locale's AM/PM format could name %r itself; one level is enough.
        expansion = !ampm_format.empty() && depth == 0 ? ampm_format : "%I:%M:%S %p";
        break;
      case '%':
        builder.Literal("%");
        continue;
      case 'n':
        builder.Literal("\n");
        continue;
      case 't':
        builder.Literal("\t");
        continue;
      default:
        break;
    }
    if (!expansion.empty()) {
      Translate(expansion, ampm_format, kind, depth + 1, builder);
      continue;
    }
    const std::string_view field = FieldFor(conversion, padding, kind);
    if (!field.empty()) builder.Field(field);
  }
}

}  // namespace

DateTimeNames EnglishDateTimeNames() {
  return {
      {"January", "February", "March", "April", "May", "June", "July", "August", "September",
       "October", "November", "December"},
      {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
      {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"},
      {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
      "AM",
      "PM",
  };
}

std::string TranslateStrftimePicture(std::string_view format, std::string_view ampm_format,
                                     PictureKind kind) {
  PictureBuilder builder;
  Translate(format, ampm_format, kind, 0, builder);
  return builder.Build(kind == PictureKind::kDate ? kDatePictureLetters : kTimePictureLetters);
}

}  // namespace rqx340
