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

// Whether Windows opens `file_name` (one component) as a device whatever the
// folder: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 (and COM, LPT with a
// superscript digit), CONIN$ and CONOUT$, in any letter case, with any
// extension and trailing blanks ("aux.csv", "Nul .txt"). A file of that name
// cannot be made there; writing it writes the device. Portable, so that both
// systems can test it; only the Windows layer refuses such names.
inline bool IsWindowsDeviceName(std::string_view file_name) {
  std::string_view stem = file_name.substr(0, file_name.find_first_of(".:"));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  std::string upper(stem);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL" || upper == "CONIN$" ||
      upper == "CONOUT$") {
    return true;
  }
  if (upper.size() < 4) return false;
  const std::string_view port = std::string_view(upper).substr(0, 3);
  if (port != "COM" && port != "LPT") return false;
  const std::string_view digit = std::string_view(upper).substr(3);
  return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
         digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

}  // namespace rqx340
