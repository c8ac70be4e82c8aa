// The settings store: a write-back cache in front of the profile. A setting is
// read from the profile the first time it is asked for; after that reads and
// writes touch memory only, and every setting written during the run goes to the
// profile once, at exit. Frequent writes (every resize of the window) cost
// nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/profile.h"

namespace rqx340 {

struct CQWProfileEntry {
  enum Kind : std::int32_t { kUnread = -1, kText = 0, kInteger = 1 };

  std::string m_strName;  // in the letter case of its first use
  std::int32_t m_nKind = kUnread;
  std::string m_strText;
  std::int32_t m_nNumber = 0;
  bool m_bDirty = false;  // set by every write, never cleared
};

using CQWProfileEntryList = std::vector<CQWProfileEntry>;

struct CQWProfileSection {
  std::string m_strName;
  CQWProfileEntryList m_entries;
};

class CQWProfileSectionList {
 public:
  // `profile` is asked for the profile whenever a value has to be read or written
  // back, so it can be opened late (or never, for a run that reads nothing).
  explicit CQWProfileSectionList(std::function<Profile&()> profile)
      : m_profile(std::move(profile)) {}

  // The default matters only at the first use of an entry in a run.
  std::int32_t CachedGetProfileInt(std::string_view section, std::string_view entry,
                                   std::int32_t fallback);
  void CachedWriteProfileInt(std::string_view section, std::string_view entry, std::int32_t value);
  std::string CachedGetProfileString(std::string_view section, std::string_view entry);
  void CachedWriteProfileString(std::string_view section, std::string_view entry,
                                std::string_view value);

  // Writes every entry written during the run, in the order the sections and
  // entries were first used; an empty text removes its value. Only reads: nothing.
  void FlushProfileCache();

  const std::vector<CQWProfileSection>& Sections() const { return m_sections; }

 private:
  CQWProfileEntry& FindOrCreate(std::string_view section, std::string_view entry);

  std::function<Profile&()> m_profile;
  std::vector<CQWProfileSection> m_sections;
};

}  // namespace rqx340
