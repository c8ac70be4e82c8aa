// Resource libraries: the language libraries (ZULRQX340_GER.DLL ...) and the
// host's ZULR.DLL, loaded as resource-only images, and the program's own
// resources. Dialog 129, the strings and icon 128 come from the language
// library when one is loaded, else from the program.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/language_table.h"
#include "app/rqx340_app.h"
#include "base/string_table.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {

// The strings of a module's string table (LoadStringW).
class ModuleStrings final : public StringTable {
 public:
  explicit ModuleStrings(HMODULE module) : m_hModule(module) {}
  // The string `id`; nullopt when the module has none.
  std::optional<std::string> Find(int id) const;
  std::string Load(int id) const override { return Find(id).value_or(std::string()); }

 private:
  HMODULE m_hModule;
};

// The program's own strings, from its resources.
const ModuleStrings& ProgramStrings();

// A library loaded for its resources; released when the object goes.
class DllLanguageLibrary final : public LanguageLibrary {
 public:
  DllLanguageLibrary(HMODULE module, const StringTable* fallback)
      : LanguageLibrary(fallback), m_hModule(module), m_strings(module) {}
  ~DllLanguageLibrary() override;
  DllLanguageLibrary(const DllLanguageLibrary&) = delete;
  DllLanguageLibrary& operator=(const DllLanguageLibrary&) = delete;

  std::optional<std::string> Find(int id) const override { return m_strings.Find(id); }
  HMODULE Module() const { return m_hModule; }

 private:
  HMODULE m_hModule;
  ModuleStrings m_strings;
};

// Loads libraries by name with the system's search, which begins with the
// program's own folder: LoadLibraryExW as a data file and image resource, so no
// code of the library runs.
class DllLibraryLoader final : public LibraryLoader {
 public:
  std::string FileName(std::string_view library) const override { return std::string(library); }
  std::unique_ptr<LanguageLibrary> Open(std::string_view library, const StringTable* fallback,
                                        std::string* refused = nullptr) const override;
};

// Where dialog 129 and icon 128 come from: the loaded language library, else
// the program.
HMODULE ResourceModule(const CRQX340App& app);

}  // namespace rqx340
