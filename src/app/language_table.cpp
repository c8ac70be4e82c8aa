// Language libraries, and reading ".lang" string tables.
#include "app/language_table.h"

#include <charconv>

#include "app/profile.h"
#include "measurement/folder_scan.h"
#include "platform/code_page.h"
#include "platform/input_file.h"

namespace rqx340 {

namespace {

std::optional<std::string> ReadTableFile(const std::string& path, std::string* too_large) {
  auto file = InputFile::Open(path);
  if (!file) return std::nullopt;
  if (file->Size() > kMaxTableSize) {
    if (too_large != nullptr && too_large->empty()) {
      *too_large = "too large (" + std::to_string(file->Size()) + " bytes, at most " +
                   std::to_string(kMaxTableSize) + ")";
    }
    return std::nullopt;
  }
  std::string content(static_cast<std::size_t>(file->Size()), '\0');
  const auto read = file->Read(std::as_writable_bytes(std::span(content)));
  if (!read) return std::nullopt;
  content.resize(*read);
  return content;
}

// "x,y,w,h": four decimal integers.
std::optional<ControlPosition> ParsePosition(std::string_view text) {
  int values[4] = {};
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (at == end || *at != ',') return std::nullopt;
      ++at;
    }
    const auto [stop, error] = std::from_chars(at, end, values[i]);
    if (error != std::errc()) return std::nullopt;
    at = stop;
  }
  if (at != end) return std::nullopt;
  return ControlPosition{values[0], values[1], values[2], values[3]};
}

}  // namespace

std::string TableFileName(std::string_view library) {
  constexpr std::string_view kSuffix = ".DLL";
  if (library.size() >= kSuffix.size() &&
      EqualsIgnoringAsciiCase(library.substr(library.size() - kSuffix.size()), kSuffix)) {
    library.remove_suffix(kSuffix.size());
  }
  return std::string(library) + ".lang";
}

std::vector<std::string> DataFolders(const EnvironmentLookup& environment,
                                     const std::optional<std::string>& executable_dir) {
  std::vector<std::string> folders;
  if (auto data = environment("RQX340_DATA_DIR"); data && !data->empty()) {
    folders.push_back(WithTrailingSlash(*data));
  }
  if (executable_dir && !executable_dir->empty()) {
    const std::string exe = WithTrailingSlash(*executable_dir);
    folders.push_back(exe);
    folders.push_back(exe + "../share/rqx340-import/");
    folders.push_back(exe + "../../share/rqx340-import/");
  }
  return folders;
}

std::optional<LanguageTable> LanguageTable::Open(std::string_view name,
                                                 const std::vector<std::string>& folders,
                                                 const StringTable* fallback,
                                                 std::string* too_large) {
  for (const std::string& folder : folders) {
    const std::string path = folder + std::string(name);
    if (auto text = ReadTableFile(path, too_large)) {
      LanguageTable table = Parse(*text, fallback);
      table.m_strPath = path;
      return table;
    }
  }
  return std::nullopt;
}

std::string LanguageLibrary::Load(int id) const {
  if (auto text = Find(id)) return *text;
  return m_pFallback != nullptr ? m_pFallback->Load(id) : std::string();
}

std::unique_ptr<LanguageLibrary> TableFileLoader::Open(std::string_view library,
                                                       const StringTable* fallback,
                                                       std::string* refused) const {
  auto table = LanguageTable::Open(TableFileName(library), m_folders, fallback, refused);
  if (!table) return nullptr;
  return std::make_unique<LanguageTable>(std::move(*table));
}

LanguageTable LanguageTable::Parse(std::string_view text, const StringTable* fallback) {
  LanguageTable table(fallback);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos || tab + 1 == line.size()) continue;
    const bool position = line.starts_with('@');
    const std::size_t first = position ? 1 : 0;
    int id = 0;
    const auto [stop, error] = std::from_chars(line.data() + first, line.data() + tab, id);
    if (error != std::errc() || stop != line.data() + tab || id < 0) continue;
    if (!position) {
      table.m_strings.emplace(id, SanitizeUtf8(line.substr(tab + 1)));
    } else if (const auto place = ParsePosition(line.substr(tab + 1))) {
      table.m_positions.emplace(id, *place);
    }
  }
  return table;
}

std::optional<std::string> LanguageTable::Find(int id) const {
  const auto found = m_strings.find(id);
  if (found == m_strings.end()) return std::nullopt;
  return found->second;
}

std::optional<ControlPosition> LanguageTable::FindPosition(int id) const {
  const auto found = m_positions.find(id);
  if (found == m_positions.end()) return std::nullopt;
  return found->second;
}

}  // namespace rqx340
