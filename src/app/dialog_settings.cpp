// The entries are read in the order the dialog first used them, which is the
// order the cache writes them back in.
#include "app/dialog_settings.h"

namespace rqx340 {

namespace {

constexpr std::string_view kRaw = "Raw";
constexpr std::string_view kLastFolder = "LastFolder";
constexpr std::string_view kWidth = "Width";
constexpr std::string_view kHeight = "Height";
constexpr std::string_view kExposureHours = "ExposureHours";
constexpr std::string_view kSortColumn = "SortColumn";
constexpr std::string_view kSortOrder = "SortOrder";

std::string HistoryEntryName(int index) { return "UsedFolder" + std::to_string(index); }

}  // namespace

DialogSettings::DialogSettings(CQWProfileSectionList& cache)
    : m_cache(cache), m_arrFolderHistory(kFolderHistorySize) {
  m_nImportRaw = m_cache.CachedGetProfileInt(kSettingsSection, kRaw, 1);
  m_strLastFolder = m_cache.CachedGetProfileString(kSettingsSection, kLastFolder);
  for (int i = 0; i < kFolderHistorySize; ++i) {
    std::string entry = m_cache.CachedGetProfileString(kSettingsSection, HistoryEntryName(i));
    if (entry.empty()) break;
    m_arrFolderHistory[static_cast<std::size_t>(i)] = std::move(entry);
  }
  m_nWidth = m_cache.CachedGetProfileInt(kSettingsSection, kWidth, 0);
  m_nHeight = m_cache.CachedGetProfileInt(kSettingsSection, kHeight, 0);
  m_strExposureHours = m_cache.CachedGetProfileString(kSettingsSection, kExposureHours);
  m_nSortColumn = m_cache.CachedGetProfileInt(kSortSection, kSortColumn, 0);
  m_nSortOrder = m_cache.CachedGetProfileInt(kSortSection, kSortOrder, 0);
}

void DialogSettings::SetImportRaw(std::int32_t value) {
  m_nImportRaw = value;
  m_cache.CachedWriteProfileInt(kSettingsSection, kRaw, value);
}

void DialogSettings::SetFolders(std::string_view last_folder,
                                const std::vector<std::string>& history) {
  m_strLastFolder = last_folder;
  m_cache.CachedWriteProfileString(kSettingsSection, kLastFolder, last_folder);
  for (int i = 0; i < kFolderHistorySize; ++i) {
    const auto index = static_cast<std::size_t>(i);
    m_arrFolderHistory[index] = index < history.size() ? history[index] : std::string();
    m_cache.CachedWriteProfileString(kSettingsSection, HistoryEntryName(i),
                                     m_arrFolderHistory[index]);
  }
}

void DialogSettings::SetSize(std::int32_t width, std::int32_t height) {
  m_nWidth = width;
  m_nHeight = height;
  m_cache.CachedWriteProfileInt(kSettingsSection, kWidth, width);
  m_cache.CachedWriteProfileInt(kSettingsSection, kHeight, height);
}

void DialogSettings::SetSort(std::int32_t column, std::int32_t order) {
  m_nSortColumn = column;
  m_nSortOrder = order;
  m_cache.CachedWriteProfileInt(kSortSection, kSortColumn, column);
  m_cache.CachedWriteProfileInt(kSortSection, kSortOrder, order);
}

void DialogSettings::SetExposureHours(std::string_view text) {
  m_strExposureHours = text;
  m_cache.CachedWriteProfileString(kSettingsSection, kExposureHours, text);
}

}  // namespace rqx340
