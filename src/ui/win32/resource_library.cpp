// Resource-only libraries and string resources.
#include "ui/win32/resource_library.h"

#include "platform/win32/win32_util.h"

namespace rqx340 {

std::optional<std::string> ModuleStrings::Find(int id) const {
  // With no buffer, LoadStringW points at the resource itself: no length limit.
  const wchar_t* text = nullptr;
  const int length =
      LoadStringW(m_hModule, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::nullopt;
  return win32::Utf8(std::wstring_view(text, static_cast<std::size_t>(length)));
}

const ModuleStrings& ProgramStrings() {
  static const ModuleStrings strings(GetModuleHandleW(nullptr));
  return strings;
}

DllLanguageLibrary::~DllLanguageLibrary() { FreeLibrary(m_hModule); }

std::unique_ptr<LanguageLibrary> DllLibraryLoader::Open(std::string_view library,
                                                        const StringTable* fallback,
                                                        std::string* /*refused*/) const {
  const HMODULE module = LoadLibraryExW(win32::Wide(library).c_str(), nullptr,
                                        LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) return nullptr;
  return std::make_unique<DllLanguageLibrary>(module, fallback);
}

HMODULE ResourceModule(const CRQX340App& app) {
  if (const auto* library = dynamic_cast<const DllLanguageLibrary*>(app.Language())) {
    return library->Module();
  }
  return GetModuleHandleW(nullptr);
}

}  // namespace rqx340
