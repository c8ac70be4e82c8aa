// The user's configuration folder: %APPDATA%, else the profile's
// AppData\Roaming.
#include "platform/user_config.h"

#include <shlobj.h>

#include "platform/win32/win32_util.h"

namespace rqx340 {

std::optional<std::string> UserConfigFolder(const EnvironmentLookup& environment) {
  if (auto appdata = environment("APPDATA"); appdata && !appdata->empty()) {
    while (appdata->size() > 3 && (appdata->back() == '\\' || appdata->back() == '/')) {
      appdata->pop_back();
    }
    return appdata;
  }
  wchar_t* path = nullptr;
  if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &path) != S_OK) {
    CoTaskMemFree(path);
    return std::nullopt;
  }
  std::string folder = win32::Utf8(path);
  CoTaskMemFree(path);
  return folder;
}

}  // namespace rqx340
