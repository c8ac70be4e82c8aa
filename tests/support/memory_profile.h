// A profile in memory that finds names as the registry does (ASCII letter case
// ignored) and records every write and flush.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/profile.h"

namespace rqx340::test {

class MemoryProfile final : public Profile {
 public:
  struct Write {
    std::string section;
    std::string entry;
    std::optional<std::string> text;  // nullopt: removed
    friend bool operator==(const Write&, const Write&) = default;
  };

  std::optional<std::string> ReadValue(std::string_view section, std::string_view entry) override {
    ++reads;
    const auto found = Find(section, entry);
    if (found == values.end()) return std::nullopt;
    return found->second;
  }
  void WriteValue(std::string_view section, std::string_view entry,
                  const std::optional<std::string>& text) override {
    writes.push_back({std::string(section), std::string(entry), text});
    auto found = Find(section, entry);
    if (!text) {
      if (found != values.end()) values.erase(found);
    } else if (found != values.end()) {
      found->second = *text;
    } else {
      values[{std::string(section), std::string(entry)}] = *text;
    }
  }
  void Flush() override { ++flushes; }

  // Stored values under the spelling they were first stored with.
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::vector<Write> writes;
  int reads = 0;
  int flushes = 0;

 private:
  using Values = std::map<std::pair<std::string, std::string>, std::string>;
  Values::iterator Find(std::string_view section, std::string_view entry) {
    for (auto it = values.begin(); it != values.end(); ++it) {
      if (EqualsIgnoringAsciiCase(it->first.first, section) &&
          EqualsIgnoringAsciiCase(it->first.second, entry)) {
        return it;
      }
    }
    return values.end();
  }
};

// Hands code that owns its profile a view of a MemoryProfile the test keeps.
class MemoryProfileView final : public Profile {
 public:
  explicit MemoryProfileView(MemoryProfile& profile) : m_profile(profile) {}
  std::optional<std::string> ReadValue(std::string_view section, std::string_view entry) override {
    return m_profile.ReadValue(section, entry);
  }
  void WriteValue(std::string_view section, std::string_view entry,
                  const std::optional<std::string>& text) override {
    m_profile.WriteValue(section, entry, text);
  }
  void Flush() override { m_profile.Flush(); }

 private:
  MemoryProfile& m_profile;
};

}  // namespace rqx340::test
