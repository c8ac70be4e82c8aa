// Settings as registry values.
#include "ui/win32/registry_profile.h"

#include <vector>

#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

// Closes an open registry key when it goes.
class OpenKey {
 public:
  OpenKey() = default;
  ~OpenKey() {
    if (m_key != nullptr) RegCloseKey(m_key);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY* Put() { return &m_key; }
  HKEY Get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

}  // namespace

std::string RegistrySettingsKey(const std::string& settings_name) {
  // A name read from a string resource may hold a NUL; the key ends there.
  const std::string name = settings_name.substr(0, settings_name.find('\0'));
  if (name.empty()) return "Software\\rqx340-import";
  return "Software\\Corvantis\\" + name;
}

std::wstring RegistryProfile::SectionKey(std::string_view section) const {
  return win32::Wide(m_strKey + "\\" + std::string(section));
}

std::optional<std::string> RegistryProfile::ReadValue(std::string_view section,
                                                      std::string_view entry) {
  OpenKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_QUERY_VALUE,
                    key.Put()) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const std::wstring name = win32::Wide(entry);
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (type == REG_DWORD) {
    DWORD value = 0;
    size = sizeof value;
    if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD) {
      return std::nullopt;
    }
    return std::to_string(static_cast<std::int32_t>(value));
  }
  if (type != REG_SZ) return std::nullopt;
  // The value may change between the two calls: read until it fits.
  std::vector<wchar_t> text;
  LSTATUS status = ERROR_MORE_DATA;
  while (status == ERROR_MORE_DATA) {
    text.assign(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    status = RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(text.data()), &size);
  }
  if (status != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  // Stored with or without its terminator: the text ends at the first NUL.
  std::wstring_view value(text.data(), size / sizeof(wchar_t));
  value = value.substr(0, value.find(L'\0'));
  return win32::Utf8(value);
}

void RegistryProfile::WriteValue(std::string_view section, std::string_view entry,
                                 const std::optional<std::string>& text) {
  const std::wstring name = win32::Wide(entry);
  OpenKey key;
  if (!text) {
    // Removing a value makes no key.
    if (RegOpenKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, KEY_SET_VALUE,
                      key.Put()) == ERROR_SUCCESS) {
      RegDeleteValueW(key.Get(), name.c_str());
    }
    return;
  }
  if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  const std::wstring value = win32::Wide(*text);
  RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void RegistryProfile::WriteProfileInt(std::string_view section, std::string_view entry,
                                      std::int32_t value) {
  OpenKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(section).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, key.Put(), nullptr) != ERROR_SUCCESS) {
    return;
  }
  const DWORD number = static_cast<DWORD>(value);
  RegSetValueExW(key.Get(), win32::Wide(entry).c_str(), 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&number), sizeof number);
}

}  // namespace rqx340
