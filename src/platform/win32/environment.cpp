// Setting the environment: msvcrt has no setenv; _putenv_s with an empty value
// clears the variable.
#include <cstdlib>

#include "platform/environment.h"

namespace rqx340 {

bool SetEnvironment(std::string_view name, const std::optional<std::string>& value) {
  const std::string key(name);
  return _putenv_s(key.c_str(), value ? value->c_str() : "") == 0;
}

}  // namespace rqx340
