// Where the session directory is on POSIX: chosen from the environment and
// the user id, the way runtime folders are chosen there.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rqx340::posix {

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view)>;

// The process's real environment.
std::optional<std::string> GetEnvironment(std::string_view name);

// The directory the environment chooses, made absolute:
// RQX340_RUNTIME_DIR, else XDG_RUNTIME_DIR + "/zul", else ${TMPDIR:-/tmp} + "/zul-<uid>".
// An empty variable counts as unset. `current_dir` makes a relative choice absolute.
std::string ChooseSessionDirPath(const EnvironmentLookup& environment, unsigned user_id,
                                 std::string_view current_dir);

}  // namespace rqx340::posix
