// The environment through the C library: getenv, setenv and unsetenv.
#include <cstdlib>

#include "platform/environment.h"

namespace rqx340 {

std::optional<std::string> GetEnvironment(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

bool SetEnvironment(std::string_view name, const std::optional<std::string>& value) {
  const std::string key(name);
  if (value) return setenv(key.c_str(), value->c_str(), 1) == 0;
  return unsetenv(key.c_str()) == 0;
}

}  // namespace rqx340
