// The settings cache: linear lookups in the order of first use, which is also
// the order of the write-back.
#include "app/profile_cache.h"

#include <algorithm>

namespace rqx340 {

CQWProfileEntry& CQWProfileSectionList::FindOrCreate(std::string_view section,
                                                     std::string_view entry) {
  auto found_section = std::find_if(
      m_sections.begin(), m_sections.end(),
      [&](const CQWProfileSection& s) { return EqualsIgnoringAsciiCase(s.m_strName, section); });
  if (found_section == m_sections.end()) {
    m_sections.push_back({std::string(section), {}});
    found_section = m_sections.end() - 1;
  }
  auto& entries = found_section->m_entries;
  auto found_entry = std::find_if(entries.begin(), entries.end(), [&](const CQWProfileEntry& e) {
    return EqualsIgnoringAsciiCase(e.m_strName, entry);
  });
  if (found_entry != entries.end()) return *found_entry;
  CQWProfileEntry created;
  created.m_strName = entry;
  return entries.emplace_back(std::move(created));
}

std::int32_t CQWProfileSectionList::CachedGetProfileInt(std::string_view section,
                                                        std::string_view entry,
                                                        std::int32_t fallback) {
  CQWProfileEntry& cached = FindOrCreate(section, entry);
  if (cached.m_nKind == CQWProfileEntry::kUnread) {
    cached.m_nKind = CQWProfileEntry::kInteger;
    cached.m_nNumber = m_profile().GetProfileInt(section, entry, fallback);
  }
  return cached.m_nNumber;
}

void CQWProfileSectionList::CachedWriteProfileInt(std::string_view section, std::string_view entry,
                                                  std::int32_t value) {
  CQWProfileEntry& cached = FindOrCreate(section, entry);
  cached.m_nNumber = value;
  cached.m_nKind = CQWProfileEntry::kInteger;
  cached.m_bDirty = true;
}

std::string CQWProfileSectionList::CachedGetProfileString(std::string_view section,
                                                          std::string_view entry) {
  CQWProfileEntry& cached = FindOrCreate(section, entry);
  if (cached.m_nKind == CQWProfileEntry::kUnread) {
    cached.m_nKind = CQWProfileEntry::kText;
    cached.m_strText = m_profile().GetProfileString(section, entry);
  }
  return cached.m_strText;
}

void CQWProfileSectionList::CachedWriteProfileString(std::string_view section,
                                                     std::string_view entry,
                                                     std::string_view value) {
  CQWProfileEntry& cached = FindOrCreate(section, entry);
  cached.m_nKind = CQWProfileEntry::kText;
  cached.m_strText = value;
  cached.m_bDirty = true;
}

void CQWProfileSectionList::FlushProfileCache() {
  for (const CQWProfileSection& section : m_sections) {
    for (const CQWProfileEntry& entry : section.m_entries) {
      if (!entry.m_bDirty) continue;
      Profile& profile = m_profile();
      if (entry.m_nKind == CQWProfileEntry::kInteger) {
        profile.WriteProfileInt(section.m_strName, entry.m_strName, entry.m_nNumber);
      } else if (entry.m_strText.empty()) {
        profile.WriteProfileString(section.m_strName, entry.m_strName, std::nullopt);
      } else {
        profile.WriteProfileString(section.m_strName, entry.m_strName, entry.m_strText);
      }
    }
  }
}

}  // namespace rqx340
