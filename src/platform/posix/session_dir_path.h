// Where the session directory is on POSIX: chosen from the environment and
// the user id, the way runtime folders are chosen there.
#pragma once

#include <string>
#include <string_view>

#include "platform/environment.h"

namespace rqx340::posix {

// The directory the environment chooses, made absolute:
// RQX340_RUNTIME_DIR, else XDG_RUNTIME_DIR + "/zul", else ${TMPDIR:-/tmp} + "/zul-<uid>".
// An empty variable counts as unset. `current_dir` makes a relative choice absolute.
std::string ChooseSessionDirPath(const EnvironmentLookup& environment, unsigned user_id,
                                 std::string_view current_dir);

}  // namespace rqx340::posix
