// POSIX paths: '/' only.
#include "platform/path_text.h"

namespace rqx340 {

bool IsPathSeparator(char c) { return c == '/'; }

char PreferredSeparator() { return '/'; }

std::size_t PathRootLength(std::string_view path) {
  return !path.empty() && path.front() == '/' ? 1 : 0;
}

std::string HostPathText(const std::string& path) { return path; }

std::string PathFromHostText(std::string_view text) { return std::string(text); }

}  // namespace rqx340
