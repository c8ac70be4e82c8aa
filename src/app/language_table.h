// String tables read from ".lang" files: one UTF-8 line per string, "id<TAB>text".
// A language library of the host installation ("ZULRQX340_GER.DLL") is the table
// file "ZULRQX340_GER.lang"; so is the host's resource library "ZULR.DLL".
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/string_table.h"
#include "platform/environment.h"

namespace rqx340 {

// A table file is a few kilobytes; anything far larger is not one.
inline constexpr std::uint64_t kMaxTableSize = 1 << 20;

// Indexed by the language index of the command line; entry 0 is the built-in
// language and the stem of the window class name.
inline constexpr std::array<std::string_view, 6> kLanguageLibraries = {
    "ZULRQX340",         "ZULRQX340_ITA.DLL", "ZULRQX340_FRA.DLL",
    "ZULRQX340_GER.DLL", "ZULRQX340_JAP.DLL", "ZULRQX340_ESP.DLL"};
inline constexpr std::string_view kHostResourceLibrary = "ZULR.DLL";

// `library` with its ".DLL" (any letter case) replaced by ".lang".
std::string TableFileName(std::string_view library);

// Where table files are looked for, in order, each ending in "/":
// $RQX340_DATA_DIR, the executable's folder, then its ../share/rqx340-import
// (a program in bin/) and ../../share/rqx340-import (in lib/rqx340-import/).
std::vector<std::string> DataFolders(const EnvironmentLookup& environment,
                                     const std::optional<std::string>& executable_dir);

class LanguageTable final : public StringTable {
 public:
  // Reads the first readable table file `name` of `folders`; nullopt when there
  // is none. Strings it lacks come from `fallback` (none: empty). When a table
  // file was passed over for its size, `too_large` (if given) says so:
  // "too large (N bytes, at most M)".
  static std::optional<LanguageTable> Open(std::string_view name,
                                           const std::vector<std::string>& folders,
                                           const StringTable* fallback,
                                           std::string* too_large = nullptr);
  // The table in `text`. Lines that are not "id<TAB>text" with a decimal id are
  // skipped, as are empty texts; of two lines with one id the first counts.
  // Ill-formed UTF-8 becomes U+FFFD.
  static LanguageTable Parse(std::string_view text, const StringTable* fallback);

  // The table's own text of `id`.
  std::optional<std::string> Find(int id) const;
  // The table's text, else the fallback's.
  std::string Load(int id) const override;

  const std::string& Path() const { return m_strPath; }

 private:
  std::map<int, std::string> m_strings;
  const StringTable* m_pFallback = nullptr;
  std::string m_strPath;
};

}  // namespace rqx340
