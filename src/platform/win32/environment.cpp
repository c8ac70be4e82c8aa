// The environment as the system keeps it, UTF-16: msvcrt's narrow copy is in
// the ANSI code page and has already lost what that cannot spell (a folder
// named in Cyrillic on a Western system). msvcrt has no setenv; _wputenv_s
// with an empty value clears the variable, in its copy and in the system's.
#include <cstdlib>

#include "platform/environment.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {

std::optional<std::string> GetEnvironment(std::string_view name) {
  const std::wstring key = win32::Wide(name);
  std::wstring value(64, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length =
        GetEnvironmentVariableW(key.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return std::string();
    }
    if (length < value.size()) {
      value.resize(length);
      return win32::Utf8(value);
    }
    value.resize(length);  // the size it needs, with the terminating zero
  }
}

bool SetEnvironment(std::string_view name, const std::optional<std::string>& value) {
  return _wputenv_s(win32::Wide(name).c_str(), value ? win32::Wide(*value).c_str() : L"") == 0;
}

}  // namespace rqx340
