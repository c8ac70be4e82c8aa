// The application profile: where the user's settings live between runs, as
// sections of named values, texts and integers; an integer reads back from its
// decimal text too.
// Names are found without regard to ASCII letter case, as in the registry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rqx340 {

class Profile {
 public:
  virtual ~Profile() = default;

  // The stored text; nullopt when there is no such value.
  virtual std::optional<std::string> ReadValue(std::string_view section,
                                               std::string_view entry) = 0;
  // Stores `text`; nullopt removes the value.
  virtual void WriteValue(std::string_view section, std::string_view entry,
                          const std::optional<std::string>& text) = 0;
  // Puts what was written where the next run finds it.
  virtual void Flush() = 0;

  // `fallback` when the value is missing or is not a 32-bit decimal integer.
  std::int32_t GetProfileInt(std::string_view section, std::string_view entry,
                             std::int32_t fallback);
  // Empty text when the value is missing.
  std::string GetProfileString(std::string_view section, std::string_view entry);
  // Stored as decimal text, unless the profile keeps integers as such.
  virtual void WriteProfileInt(std::string_view section, std::string_view entry,
                               std::int32_t value);
  // nullopt removes the value.
  void WriteProfileString(std::string_view section, std::string_view entry,
                          const std::optional<std::string>& value);
};

// A profile that holds nothing and keeps nothing: the settings of a run without
// a place to store them.
class NullProfile final : public Profile {
 public:
  std::optional<std::string> ReadValue(std::string_view, std::string_view) override {
    return std::nullopt;
  }
  void WriteValue(std::string_view, std::string_view, const std::optional<std::string>&) override {}
  void Flush() override {}
};

// The whole of `text` as a 32-bit decimal integer (an optional "-", digits);
// nullopt for anything else.
std::optional<std::int32_t> ParseProfileInt(std::string_view text);

// Names of settings and of the host's files are compared as the registry and the
// file system of the host compare them: ASCII letters without regard to case,
// everything else byte for byte.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace rqx340
