// Integer and text access over a profile's stored texts.
#include "app/profile.h"

#include <charconv>

namespace rqx340 {

std::int32_t Profile::GetProfileInt(std::string_view section, std::string_view entry,
                                    std::int32_t fallback) {
  const auto text = ReadValue(section, entry);
  if (!text) return fallback;
  return ParseProfileInt(*text).value_or(fallback);
}

std::string Profile::GetProfileString(std::string_view section, std::string_view entry) {
  return ReadValue(section, entry).value_or(std::string());
}

void Profile::WriteProfileInt(std::string_view section, std::string_view entry,
                              std::int32_t value) {
  WriteValue(section, entry, std::to_string(value));
}

void Profile::WriteProfileString(std::string_view section, std::string_view entry,
                                 const std::optional<std::string>& value) {
  WriteValue(section, entry, value);
}

std::optional<std::int32_t> ParseProfileInt(std::string_view text) {
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace rqx340
