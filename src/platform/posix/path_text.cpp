// POSIX paths: '/' only.
#include "platform/path_text.h"

namespace rqx340 {

bool IsPathSeparator(char c) { return c == '/'; }

}  // namespace rqx340
