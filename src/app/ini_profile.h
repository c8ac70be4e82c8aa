// The profile as an INI file, through QSettings. Section and entry names are
// found without regard to ASCII letter case, as the registry finds them, and a
// value keeps the spelling it was first stored with. A value that is not UTF-8
// (a folder name of other bytes) keeps its bytes: stored as "@ByteArray(...)",
// and read from the file's own bytes where QSettings would replace them.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/profile.h"

class QSettings;

namespace rqx340 {

class IniProfile final : public Profile {
 public:
  explicit IniProfile(const std::string& path);
  ~IniProfile() override;

  std::optional<std::string> ReadValue(std::string_view section, std::string_view entry) override;
  void WriteValue(std::string_view section, std::string_view entry,
                  const std::optional<std::string>& text) override;
  // Writes the file (to a temporary name, renamed into place) when anything changed.
  void Flush() override;

 private:
  // The stored key of `section`/`entry` in its own spelling, or nullopt.
  std::optional<std::string> FindKey(std::string_view section, std::string_view entry) const;

  // The bytes `file` holds for `key` ("group/name") when QSettings read them as
  // `text` with U+FFFD for what is not UTF-8; nullopt otherwise.
  std::optional<std::string> BytesInFile(const std::string& key, const std::string& text,
                                         std::string_view file) const;

  std::unique_ptr<QSettings> m_settings;
  bool m_bChanged = false;
};

}  // namespace rqx340
