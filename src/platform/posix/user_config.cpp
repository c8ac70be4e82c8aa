// The XDG base directory rule for configuration files.
#include "platform/user_config.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace rqx340 {

namespace {

std::optional<std::string> HomeFolder(const EnvironmentLookup& environment) {
  if (auto home = environment("HOME"); home && !home->empty()) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || found->pw_dir[0] == '\0') {
    return std::nullopt;
  }
  return std::string(found->pw_dir);
}

void DropTrailingSlashes(std::string& path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
}

}  // namespace

std::optional<std::string> UserConfigFolder(const EnvironmentLookup& environment) {
  // A relative value is invalid by the XDG rule and is ignored.
  if (auto config = environment("XDG_CONFIG_HOME"); config && config->starts_with('/')) {
    DropTrailingSlashes(*config);
    return config;
  }
  auto home = HomeFolder(environment);
  if (!home) return std::nullopt;
  DropTrailingSlashes(*home);
  return (*home == "/" ? std::string() : *home) + "/.config";
}

}  // namespace rqx340
