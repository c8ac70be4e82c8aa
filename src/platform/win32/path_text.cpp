// Windows paths: either slash, and the colon after a drive letter.
#include "platform/path_text.h"

#include "platform/code_page.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {

bool IsPathSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

char PreferredSeparator() { return '\\'; }

// "C:\" and "C:" (a drive's current folder, taken as its root here), "\\server"
// and a lone "\" (the current drive's root).
std::size_t PathRootLength(std::string_view path) {
  const auto slash = [](char c) { return c == '/' || c == '\\'; };
  if (path.size() >= 2 && path[1] == ':' &&
      ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
    return path.size() >= 3 && slash(path[2]) ? 3 : 2;
  }
  if (path.size() >= 2 && slash(path[0]) && slash(path[1])) return 2;
  return !path.empty() && slash(path[0]) ? 1 : 0;
}

namespace {

// `path` as GetLongPathNameW or GetShortPathNameW gives it; empty when the
// file cannot be found.
template <typename Call>
std::wstring PathForm(const std::wstring& path, Call call) {
  const DWORD size = call(path.c_str(), nullptr, 0);
  if (size == 0) return {};
  std::wstring form(size, L'\0');
  const DWORD length = call(path.c_str(), form.data(), size);
  if (length == 0 || length >= size) return {};
  form.resize(length);
  return form;
}

bool SurvivesCodePage(const std::string& utf8) { return FromAnsi(ToAnsi(utf8)) == utf8; }

}  // namespace

std::string HostPathText(const std::string& path) {
  const std::wstring wide = win32::Wide(path);
  std::wstring long_form = PathForm(wide, GetLongPathNameW);
  if (long_form.empty()) long_form = wide;
  const std::string text = win32::Utf8(long_form);
  if (SurvivesCodePage(text)) return ToAnsi(text);
  // A host opening the ANSI spelling would find no file: the short form is
  // plain ASCII where the volume keeps short names.
  if (const std::wstring short_form = PathForm(wide, GetShortPathNameW); !short_form.empty()) {
    if (const std::string short_text = win32::Utf8(short_form); SurvivesCodePage(short_text)) {
      return ToAnsi(short_text);
    }
  }
  return ToAnsi(text);
}

std::string PathFromHostText(std::string_view text) { return FromAnsi(text); }

}  // namespace rqx340
