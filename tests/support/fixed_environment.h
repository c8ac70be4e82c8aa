// An environment of given variables only, for code that takes an
// EnvironmentLookup.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/environment.h"

namespace rqx340::test {

inline EnvironmentLookup FixedEnvironment(std::map<std::string, std::string> variables) {
  return [variables = std::move(variables)](std::string_view name) -> std::optional<std::string> {
    const auto found = variables.find(std::string(name));
    if (found == variables.end()) return std::nullopt;
    return found->second;
  };
}

}  // namespace rqx340::test
