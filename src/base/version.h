// The version every program answers --version with.
#pragma once

#include <string>
#include <string_view>

namespace rqx340 {

// The project's version, as in "0.1.0".
std::string_view ProjectVersion();

// "<program> <version>", followed by " (git <commit>)" when the program was
// built from a git checkout.
std::string VersionText(std::string_view program);

}  // namespace rqx340
