// The language libraries beside the test programs, with one of them absent, as
// in a host installation that lacks that language.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "ui/win32/resource_library.h"

namespace rqx340::test {

class AbsentLibraryLoader final : public LibraryLoader {
 public:
  explicit AbsentLibraryLoader(std::string absent) : m_strAbsent(std::move(absent)) {}
  std::string FileName(std::string_view library) const override {
    return m_loader.FileName(library);
  }
  std::unique_ptr<LanguageLibrary> Open(std::string_view library, const StringTable* fallback,
                                        std::string* /*refused*/ = nullptr) const override {
    if (library == m_strAbsent) return nullptr;
    return m_loader.Open(library, fallback);
  }

 private:
  DllLibraryLoader m_loader;
  std::string m_strAbsent;
};

}  // namespace rqx340::test
