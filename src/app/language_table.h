// Language libraries: the program's texts in another language, and the host
// installation's resource library ("ZULR.DLL"). Each front end reads them its
// own way; the Qt one reads string tables from ".lang" files: one UTF-8 line per
// string, "id<TAB>text", and "@<control id><TAB>x,y,w,h" where the language
// moves a control of the dialog. The library "ZULRQX340_GER.DLL" is the table
// file "ZULRQX340_GER.lang"; so is the host's resource library "ZULR.DLL".
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
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

// Where a language puts a control of the dialog, in dialog units.
struct ControlPosition {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const ControlPosition&, const ControlPosition&) = default;
};

// A loaded library. Strings it lacks come from its fallback table.
class LanguageLibrary : public StringTable {
 public:
  // The library's own text of `id`.
  virtual std::optional<std::string> Find(int id) const = 0;
  // The library's text, else the fallback's.
  std::string Load(int id) const final;
  // Where the library's dialog puts control `id`; nullopt: where the template does.
  virtual std::optional<ControlPosition> FindPosition(int /*id*/) const { return std::nullopt; }

 protected:
  explicit LanguageLibrary(const StringTable* fallback) : m_pFallback(fallback) {}

 private:
  const StringTable* m_pFallback;
};

// How a front end opens libraries by their names in the host installation.
class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;
  // The file that stands for `library`, as the missing-library warning names it.
  virtual std::string FileName(std::string_view library) const = 0;
  // The library, its missing strings from `fallback` (none: empty); null when it
  // cannot be loaded. When it is there but refused, `refused` (if given) says
  // why, as a sentence's end: "too large (N bytes, at most M)".
  virtual std::unique_ptr<LanguageLibrary> Open(std::string_view library,
                                                const StringTable* fallback,
                                                std::string* refused = nullptr) const = 0;
};

// `library` with its ".DLL" (any letter case) replaced by ".lang".
std::string TableFileName(std::string_view library);

// Where table files are looked for, in order, each ending in "/":
// $RQX340_DATA_DIR, the executable's folder, then its ../share/rqx340-import
// (a program in bin/) and ../../share/rqx340-import (in lib/rqx340-import/).
std::vector<std::string> DataFolders(const EnvironmentLookup& environment,
                                     const std::optional<std::string>& executable_dir);

class LanguageTable final : public LanguageLibrary {
 public:
  // Reads the first readable table file `name` of `folders`; nullopt when there
  // is none. Strings it lacks come from `fallback` (none: empty). When a table
  // file was passed over for its size, `too_large` (if given) says so:
  // "too large (N bytes, at most M)".
  static std::optional<LanguageTable> Open(std::string_view name,
                                           const std::vector<std::string>& folders,
                                           const StringTable* fallback,
                                           std::string* too_large = nullptr);
  // The table in `text`. Lines that are neither "id<TAB>text" with a decimal id
  // nor "@id<TAB>x,y,w,h" are skipped, as are empty texts; of two lines with one
  // id the first counts. Ill-formed UTF-8 becomes U+FFFD.
  static LanguageTable Parse(std::string_view text, const StringTable* fallback);

  std::optional<std::string> Find(int id) const override;
  std::optional<ControlPosition> FindPosition(int id) const override;

  const std::string& Path() const { return m_strPath; }

 private:
  explicit LanguageTable(const StringTable* fallback) : LanguageLibrary(fallback) {}

  std::map<int, std::string> m_strings;
  std::map<int, ControlPosition> m_positions;
  std::string m_strPath;
};

// Libraries as table files in the data folders.
class TableFileLoader final : public LibraryLoader {
 public:
  explicit TableFileLoader(std::vector<std::string> folders) : m_folders(std::move(folders)) {}
  std::string FileName(std::string_view library) const override { return TableFileName(library); }
  std::unique_ptr<LanguageLibrary> Open(std::string_view library, const StringTable* fallback,
                                        std::string* refused = nullptr) const override;

 private:
  std::vector<std::string> m_folders;
};

}  // namespace rqx340
