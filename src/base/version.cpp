// The version text, from the header the build writes.
#include "base/version.h"

#include "base/build_version.h"

namespace rqx340 {

std::string_view ProjectVersion() { return RQX340_VERSION; }

std::string VersionText(std::string_view program) {
  std::string text(program);
  text += ' ';
  text += ProjectVersion();
  if (constexpr std::string_view commit = RQX340_GIT_COMMIT; !commit.empty()) {
    text += " (git ";
    text += commit;
    text += ')';
  }
  return text;
}

}  // namespace rqx340
