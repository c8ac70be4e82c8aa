// Paths from and to the UTF-8 text used everywhere inside. std::filesystem
// reads a char string in the system's code page (on Windows the ANSI one, which
// cannot spell every name) and UTF-8 only as char8_t.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace rqx340::refhost {

inline std::filesystem::path PathOf(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string TextOf(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

}  // namespace rqx340::refhost
