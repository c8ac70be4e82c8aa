// The settings in the user's registry: HKEY_CURRENT_USER\<key>\<section>, one
// value per entry, integers as REG_DWORD and texts as REG_SZ. Each write goes
// to the registry at once; the settings cache writes only once, at exit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/profile.h"

namespace rqx340 {

// The key of the settings: Software\Corvantis\<name> for the settings name of
// the host's resource library, else Software\rqx340-import (the program's name,
// as the INI file of other systems is named after it).
std::string RegistrySettingsKey(const std::string& settings_name);

class RegistryProfile final : public Profile {
 public:
  explicit RegistryProfile(std::string key) : m_strKey(std::move(key)) {}

  // A REG_SZ value's text, a REG_DWORD value's decimal text; nullopt for a
  // missing value or one of another type.
  std::optional<std::string> ReadValue(std::string_view section, std::string_view entry) override;
  // A REG_SZ value; nullopt removes the value.
  void WriteValue(std::string_view section, std::string_view entry,
                  const std::optional<std::string>& text) override;
  void WriteProfileInt(std::string_view section, std::string_view entry,
                       std::int32_t value) override;
  void Flush() override {}

  const std::string& Key() const { return m_strKey; }

 private:
  std::wstring SectionKey(std::string_view section) const;

  std::string m_strKey;
};

}  // namespace rqx340
