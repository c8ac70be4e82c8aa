// QSettings in INI format as the application profile.
#include "app/ini_profile.h"

#include <QSettings>
#include <QString>
#include <QStringList>

namespace rqx340 {

namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::optional<QString> FindName(const QStringList& names, std::string_view name) {
  const QString wanted = ToQString(name);
  for (const QString& candidate : names) {
    if (candidate == wanted) return candidate;
  }
  for (const QString& candidate : names) {
    if (EqualsIgnoringAsciiCase(candidate.toStdString(), name)) return candidate;
  }
  return std::nullopt;
}

}  // namespace

IniProfile::IniProfile(const std::string& path)
    : m_settings(std::make_unique<QSettings>(ToQString(path), QSettings::IniFormat)) {}

IniProfile::~IniProfile() = default;

std::optional<std::string> IniProfile::FindKey(std::string_view section,
                                               std::string_view entry) const {
  const auto group = FindName(m_settings->childGroups(), section);
  if (!group) return std::nullopt;
  m_settings->beginGroup(*group);
  const auto key = FindName(m_settings->childKeys(), entry);
  m_settings->endGroup();
  if (!key) return std::nullopt;
  return (*group + u'/' + *key).toStdString();
}

std::optional<std::string> IniProfile::ReadValue(std::string_view section, std::string_view entry) {
  const auto key = FindKey(section, entry);
  if (!key) return std::nullopt;
  const QVariant value = m_settings->value(QString::fromStdString(*key));
  // An unquoted comma in a hand-edited file makes a list of what was one text.
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(QStringLiteral(", ")).toStdString();
  }
  return value.toString().toStdString();
}

void IniProfile::WriteValue(std::string_view section, std::string_view entry,
                            const std::optional<std::string>& text) {
  QString key;
  if (const auto stored = FindKey(section, entry)) {
    key = QString::fromStdString(*stored);
  } else {
    const auto group = FindName(m_settings->childGroups(), section);
    key = (group ? *group : ToQString(section)) + u'/' + ToQString(entry);
  }
  if (text) {
    m_settings->setValue(key, ToQString(*text));
  } else {
    m_settings->remove(key);
  }
}

void IniProfile::Flush() { m_settings->sync(); }

}  // namespace rqx340
