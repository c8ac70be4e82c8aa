// The environment through the C library, the same on every system.
#include "platform/environment.h"

#include <cstdlib>

namespace rqx340 {

std::optional<std::string> GetEnvironment(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

}  // namespace rqx340
