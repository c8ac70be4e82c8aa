// QSettings in INI format as the application profile.
#include "app/ini_profile.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>

#include "platform/code_page.h"
#include "platform/input_file.h"

namespace rqx340 {

namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
// A settings file is a few hundred bytes; a larger one is not read raw.
constexpr std::uint64_t kMaxRawSettingsSize = 1 << 20;

// The file's bytes; empty when it cannot be read.
std::string ReadFileText(const std::string& path) {
  auto file = InputFile::Open(path);
  if (!file || file->Size() > kMaxRawSettingsSize) return {};
  std::string content(static_cast<std::size_t>(file->Size()), '\0');
  const auto read = file->Read(std::as_writable_bytes(std::span(content)));
  if (!read) return {};
  content.resize(*read);
  return content;
}

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Whether `text` is well-formed UTF-8, which QString carries unchanged.
bool IsUtf8(std::string_view text) { return SanitizeUtf8(text) == text; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// The bytes after "key=" in section `group` of the INI text, as they stand in
// the file; nullopt when the line is not there.
std::optional<std::string> RawIniValue(std::string_view file, std::string_view group,
                                       std::string_view key) {
  bool in_group = false;
  while (!file.empty()) {
    const std::size_t end = file.find('\n');
    const std::string_view line = Trimmed(file.substr(0, end));
    file = end == std::string_view::npos ? std::string_view() : file.substr(end + 1);
    if (line.starts_with('[') && line.ends_with(']')) {
      in_group = line.substr(1, line.size() - 2) == group;
      continue;
    }
    const std::size_t equals = line.find('=');
    if (!in_group || equals == std::string_view::npos) continue;
    if (Trimmed(line.substr(0, equals)) != key) continue;
    std::string_view value = Trimmed(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::nullopt;
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
  // Bytes that are not UTF-8, as WriteValue stores them.
  if (value.typeId() == QMetaType::QByteArray) return value.toByteArray().toStdString();
  // An unquoted comma in a hand-edited file makes a list of what was one text.
  const std::string text = value.typeId() == QMetaType::QStringList
                               ? value.toStringList().join(QStringLiteral(", ")).toStdString()
                               : value.toString().toStdString();
  if (text.find(kReplacementUtf8) == std::string::npos) return text;
  if (auto raw = BytesInFile(*key, text, ReadFileText(m_settings->fileName().toStdString()))) {
    return *raw;
  }
  return text;
}

std::optional<std::string> IniProfile::BytesInFile(const std::string& key, const std::string& text,
                                                   std::string_view file) const {
  // QSettings decodes the file as UTF-8: a folder name that is not (a byte
  // 0xFF written by another program or by hand) comes back with U+FFFD, names
  // no folder, and is written back so. The file's own bytes are the value when
  // they read as what QSettings made of them.
  const std::size_t slash = key.find('/');
  if (slash == std::string::npos) return std::nullopt;
  auto raw = RawIniValue(file, std::string_view(key).substr(0, slash),
                         std::string_view(key).substr(slash + 1));
  if (raw && !IsUtf8(*raw) && SanitizeUtf8(*raw) == text) return raw;
  return std::nullopt;
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
  m_bChanged = true;
  if (text && !IsUtf8(*text)) {
    // A QString would turn them into U+FFFD; "@ByteArray(...)" keeps every byte.
    m_settings->setValue(key, QByteArray(text->data(), static_cast<qsizetype>(text->size())));
  } else if (text) {
    m_settings->setValue(key, ToQString(*text));
  } else {
    m_settings->remove(key);
  }
}

void IniProfile::Flush() {
  if (m_bChanged) {
    // QSettings writes every value again, those only read too: the ones it
    // read with U+FFFD keep their bytes.
    const std::string file = ReadFileText(m_settings->fileName().toStdString());
    for (const QString& key : m_settings->allKeys()) {
      const QVariant value = m_settings->value(key);
      if (value.typeId() != QMetaType::QString) continue;
      const std::string text = value.toString().toStdString();
      if (text.find(kReplacementUtf8) == std::string::npos) continue;
      if (auto raw = BytesInFile(key.toStdString(), text, file)) {
        m_settings->setValue(key, QByteArray(raw->data(), static_cast<qsizetype>(raw->size())));
      }
    }
    m_bChanged = false;
  }
  m_settings->sync();
}

}  // namespace rqx340
