// Reading ".lang" string tables.
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

LanguageTable LanguageTable::Parse(std::string_view text, const StringTable* fallback) {
  LanguageTable table;
  table.m_pFallback = fallback;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const auto tab = line.find('\t');
    if (tab == std::string_view::npos || tab + 1 == line.size()) continue;
    int id = 0;
    const auto [stop, error] = std::from_chars(line.data(), line.data() + tab, id);
    if (error != std::errc() || stop != line.data() + tab || id < 0) continue;
    table.m_strings.emplace(id, SanitizeUtf8(line.substr(tab + 1)));
  }
  return table;
}

std::optional<std::string> LanguageTable::Find(int id) const {
  const auto found = m_strings.find(id);
  if (found == m_strings.end()) return std::nullopt;
  return found->second;
}

std::string LanguageTable::Load(int id) const {
  if (auto text = Find(id)) return *text;
  return m_pFallback != nullptr ? m_pFallback->Load(id) : std::string();
}

}  // namespace rqx340
