// Texts between the core's UTF-8 strings and Qt's, in one place.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace rqx340 {

inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string ToUtf8(const QString& text) { return text.toStdString(); }

}  // namespace rqx340
