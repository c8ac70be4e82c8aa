// Windows paths: either slash, and the colon after a drive letter.
#include "platform/path_text.h"

namespace rqx340 {

bool IsPathSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

char PreferredSeparator() { return '\\'; }

// "C:\" and "C:" (a drive's current folder, taken as its root here), "\\server"
// and a lone "\" (the current drive's root).
std::size_t PathRootLength(std::string_view path) {
  const auto slash = [](char c) { return c == '/' || c == '\\'; };
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    return path.size() >= 3 && slash(path[2]) ? 3 : 2;
  }
  if (path.size() >= 2 && slash(path[0]) && slash(path[1])) return 2;
  return !path.empty() && slash(path[0]) ? 1 : 0;
}

}  // namespace rqx340
