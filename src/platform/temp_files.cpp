// What the temporary folder's files do alike on every system: writes checked
// against a closed file, and the folder's path kept with its separator.
#include "platform/temp_files.h"

#include "platform/native_handle_impl.h"
#include "platform/path_text.h"
#include "platform/temp_files_impl.h"

namespace rqx340 {

Status OutputFile::Write(std::span<const std::byte> bytes) {
  if (!m_file.Valid()) return Failure("the file is not open");
  return sys::WriteAllTo(m_file.Get(), bytes);
}

Status OutputFile::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  if (!m_file.Valid()) return Failure("the file is not open");
  return sys::WriteAllAt(m_file.Get(), offset, bytes);
}

Result<MappedView> OutputFile::Map(std::size_t size) const {
  return MappedView::Map(m_file.Get(), size);
}

Result<TempFolder> TempFolder::Open(std::string_view path) {
  std::string text(path);
  if (text.empty() || text.find('\0') != std::string::npos) {
    return Failure("invalid temporary folder path");
  }
  auto dir = sys::OpenTempFolder(text);
  if (!dir) return Failure(text + ": " + dir.ErrorText());
  // '/' ends a folder's path on every system; a drive's ':' does not.
  if (text.back() != '/' && text.back() != PreferredSeparator()) {
    text.push_back(PreferredSeparator());
  }
  return TempFolder(std::move(*dir), std::move(text));
}

}  // namespace rqx340
