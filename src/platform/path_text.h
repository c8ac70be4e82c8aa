// What separates the components of a path on this system: '/' on POSIX, also
// '\' and a drive's ':' on Windows. Code above the platform layer takes file
// names apart with this, never with a separator of its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rqx340 {

bool IsPathSeparator(char c);

// The separator the system writes between components.
char PreferredSeparator();

// How many leading characters of `path` name the root it starts from ("/" on
// POSIX; "C:\", "C:" or "\\" on Windows); 0 for a relative path.
std::size_t PathRootLength(std::string_view path);

inline bool IsAbsolutePath(std::string_view path) { return PathRootLength(path) > 0; }

// The position of the last separator of `path`, or npos.
inline std::size_t LastSeparator(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

// The full path of an existing file as a host reads it from a hand-over file,
// and back. On Windows the host opens it with the ANSI calls: the long form in
// the host's code page, or the short (8.3) form when the long one has a
// character the code page lacks and would name no file. On POSIX the path's
// own bytes.
std::string HostPathText(const std::string& path);
std::string PathFromHostText(std::string_view text);

// The last component of `path`: the file name without its folder.
inline std::string_view FileNameOf(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return path.substr(i);
  }
  return path;
}

}  // namespace rqx340
