// Setting the environment: setenv and unsetenv.
#include <cstdlib>

#include "platform/environment.h"

namespace rqx340 {

bool SetEnvironment(std::string_view name, const std::optional<std::string>& value) {
  const std::string key(name);
  if (value) return setenv(key.c_str(), value->c_str(), 1) == 0;
  return unsetenv(key.c_str()) == 0;
}

}  // namespace rqx340
