// The dialog's settings as one typed object: every entry the dialog keeps, read
// through the settings cache once, when the object is made. A change goes into
// the cache at once, which touches memory only; the cache writes what changed
// to the profile once, at exit. The names of the entries live here alone.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/profile_cache.h"

namespace rqx340 {

// The dialog's section, and the list's.
inline constexpr std::string_view kSettingsSection = "RQX340Import";
inline constexpr std::string_view kSortSection = "MeasList";
// The folders most recently imported from.
inline constexpr int kFolderHistorySize = 10;

class DialogSettings {
 public:
  // Reads every entry through `cache`, which must outlive the object.
  explicit DialogSettings(CQWProfileSectionList& cache);

  // "Raw": the state of "Import Raw", 1 when none is kept.
  std::int32_t ImportRaw() const { return m_nImportRaw; }
  void SetImportRaw(std::int32_t value);

  // "LastFolder": the folder of the last run.
  const std::string& LastFolder() const { return m_strLastFolder; }
  // "UsedFolder0" to "UsedFolder9", most recent first, up to the first empty
  // one: entries after it stay empty, whatever the profile holds. Always
  // kFolderHistorySize entries.
  const std::vector<std::string>& FolderHistory() const { return m_arrFolderHistory; }
  // Writes "LastFolder" and all ten history entries; an empty entry is removed
  // from the profile at exit. `history` is cut or padded to ten.
  void SetFolders(std::string_view last_folder, const std::vector<std::string>& history);

  // "Width" and "Height": the window's size in pixels; 0 when none is kept.
  std::int32_t Width() const { return m_nWidth; }
  std::int32_t Height() const { return m_nHeight; }
  void SetSize(std::int32_t width, std::int32_t height);

  // "SortColumn" and "SortOrder" of section "MeasList", both 0 when none is
  // kept, taken as they are stored.
  std::int32_t SortColumn() const { return m_nSortColumn; }
  std::int32_t SortOrder() const { return m_nSortOrder; }
  void SetSort(std::int32_t column, std::int32_t order);

  // "ExposureHours": the preview's daily exposure time as the user typed it,
  // in the C locale; empty when none is kept.
  const std::string& ExposureHours() const { return m_strExposureHours; }
  void SetExposureHours(std::string_view text);

 private:
  CQWProfileSectionList& m_cache;
  std::int32_t m_nImportRaw = 1;
  std::string m_strLastFolder;
  std::vector<std::string> m_arrFolderHistory;
  std::int32_t m_nWidth = 0;
  std::int32_t m_nHeight = 0;
  std::int32_t m_nSortColumn = 0;
  std::int32_t m_nSortOrder = 0;
  std::string m_strExposureHours;
};

}  // namespace rqx340
