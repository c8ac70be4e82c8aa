// The world as a test shows it to the application object.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/rqx340_app.h"
#include "support/fixed_environment.h"
#include "support/memory_profile.h"

namespace rqx340::test {

// Only `environment`, `executable_dir` as the executable's folder, and `profile`
// for every settings path, each path noted in `opened` when given.
inline AppContext TestAppContext(std::map<std::string, std::string> environment,
                                 const std::string& executable_dir, MemoryProfile& profile,
                                 std::vector<std::string>* opened = nullptr) {
  AppContext context;
  context.environment = FixedEnvironment(std::move(environment));
  context.executable_dir = executable_dir;
  context.open_profile = [&profile, opened](const std::string& path) -> std::unique_ptr<Profile> {
    if (opened != nullptr) opened->push_back(path);
    return std::make_unique<MemoryProfileView>(profile);
  };
  return context;
}

// The host's "-hXXXXXXXX" for `window`.
inline std::string HostSwitch(WindowHandle window) {
  char text[16];
  std::snprintf(text, sizeof text, "-h%08X", static_cast<unsigned>(window));
  return text;
}

}  // namespace rqx340::test
