// Windows paths: either slash, and the colon after a drive letter.
#include "platform/path_text.h"

namespace rqx340 {

bool IsPathSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

}  // namespace rqx340
