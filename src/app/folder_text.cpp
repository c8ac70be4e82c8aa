// A folder counts as one when it opens as a folder; a path is walked one
// component at a time, the way the system resolves it.
#include "app/folder_text.h"

#include <string_view>
#include <vector>

#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/path_text.h"

namespace rqx340 {

namespace {

bool IsFolder(const std::string& path) { return static_cast<bool>(OpenFolder::Open(path)); }

bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    std::size_t length = 0;
    if (!DecodeUtf8(text, length)) return false;
    text.remove_prefix(length);
  }
  return true;
}

// `path` without its last component: the root stays the root; empty for a
// relative path of one component.
std::string ParentOf(std::string_view path) {
  const std::size_t root = PathRootLength(path);
  while (path.size() > root && IsPathSeparator(path.back())) path.remove_suffix(1);
  const std::size_t last = LastSeparator(path);
  if (last == std::string_view::npos || last + 1 <= root) return std::string(path.substr(0, root));
  std::string_view parent = path.substr(0, last);
  while (parent.size() > root && IsPathSeparator(parent.back())) parent.remove_suffix(1);
  return std::string(parent);
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::string ShownFolderText(std::string_view folder) { return SanitizeUtf8(folder); }

std::string NearestExistingFolder(const std::string& folder) {
  std::string path = folder;
  const std::size_t root = PathRootLength(path);
  while (path.size() > root && IsPathSeparator(path.back())) path.pop_back();
  while (!path.empty()) {
    if (IsFolder(path)) return path;
    std::string parent = ParentOf(path);
    if (parent == path) return {};
    path = std::move(parent);
  }
  return {};
}

std::string ChooserStartFolder(const std::string& folder) {
  std::string path = NearestExistingFolder(folder);
  while (!path.empty() && !IsValidUtf8(path)) {
    std::string parent = ParentOf(path);
    if (parent == path) return {};
    path = NearestExistingFolder(parent);
  }
  return path;
}

std::optional<std::string> FolderFromShownText(const std::string& shown) {
  if (IsFolder(shown)) return shown;
  if (shown.find(kReplacement) == std::string::npos) return std::nullopt;
  const std::size_t root = PathRootLength(shown);
  if (root == 0) return std::nullopt;
  std::string path = shown.substr(0, root);
  std::string_view rest = std::string_view(shown).substr(root);
  while (!rest.empty()) {
    std::size_t end = 0;
    while (end < rest.size() && !IsPathSeparator(rest[end])) ++end;
    const std::string_view component = rest.substr(0, end);
    rest.remove_prefix(end);
    while (!rest.empty() && IsPathSeparator(rest.front())) rest.remove_prefix(1);
    if (component.empty()) continue;
    const std::string separator =
        path.empty() || IsPathSeparator(path.back()) ? "" : std::string(1, PreferredSeparator());
    std::string next = path + separator + std::string(component);
    if (component.find(kReplacement) != std::string_view::npos && !IsFolder(next)) {
      // The chooser could not read this name: the entry of the parent that
      // shows as it does, when there is exactly one.
      const auto parent = OpenFolder::Open(path);
      if (!parent) return std::nullopt;
      std::vector<SkippedEntry> others;
      if (!parent->ListFiles("", &others)) return std::nullopt;
      std::optional<std::string> found;
      for (const SkippedEntry& entry : others) {
        if (ShownFolderText(entry.name) != component) continue;
        if (found) return std::nullopt;
        found = entry.name;
      }
      if (!found) return std::nullopt;
      next = path + separator + *found;
    }
    path = std::move(next);
  }
  if (!IsFolder(path)) return std::nullopt;
  return path;
}

}  // namespace rqx340
