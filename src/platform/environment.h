// The process's environment variables, and a stand-in for them in tests.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rqx340 {

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view)>;

// The process's real environment.
std::optional<std::string> GetEnvironment(std::string_view name);

// Sets `name` for this process, or clears it when `value` is nullopt; false when
// the C library refuses.
bool SetEnvironment(std::string_view name, const std::optional<std::string>& value);

}  // namespace rqx340
