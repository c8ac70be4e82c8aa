// POSIX paths: '/' only.
#include "platform/path_text.h"

namespace rqx340 {

bool IsPathSeparator(char c) { return c == '/'; }

char PreferredSeparator() { return '/'; }

std::size_t PathRootLength(std::string_view path) {
  return !path.empty() && path.front() == '/' ? 1 : 0;
}

}  // namespace rqx340
