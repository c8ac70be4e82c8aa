// What listing folders does alike on every system.
#include "platform/file_system.h"

#include "platform/file_system_impl.h"

namespace rqx340 {

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (AsciiLower(tail[i]) != AsciiLower(suffix[i])) return false;
  }
  return true;
}

Result<std::vector<FileEntry>> ListFiles(const std::string& folder, std::string_view suffix) {
  auto open = OpenFolder::Open(folder);
  if (!open) return Failure(open.ErrorText());
  return open->ListFiles(suffix);
}

}  // namespace rqx340
