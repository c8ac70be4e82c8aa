// Where programs keep the user's own settings files.
#pragma once

#include <optional>
#include <string>

#include "platform/environment.h"

namespace rqx340 {

// The user's configuration folder, without a trailing separator:
// $XDG_CONFIG_HOME when it is an absolute path, else the home folder's
// ".config" (HOME, or the user database when HOME is unset or empty); nullopt
// when there is no home folder either.
std::optional<std::string> UserConfigFolder(const EnvironmentLookup& environment);

}  // namespace rqx340
