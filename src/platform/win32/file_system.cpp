// Folders listed with FindFirstFileExW. An open folder is held by a handle
// without delete sharing, so it cannot be removed or renamed while it is read.
#include "platform/file_system.h"

#include <algorithm>
#include <memory>

#include "platform/file_system_impl.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {
namespace {

struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};

DWORD Attributes(const std::string& path) { return GetFileAttributesW(win32::Wide(path).c_str()); }

}  // namespace

bool IsRegularFile(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool PathExists(const std::string& path) {
  if (Attributes(path) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = GetLastError();
  return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
         error != ERROR_INVALID_NAME;
}

Result<OpenFolder> OpenFolder::Open(const std::string& path) {
  UniqueNativeHandle handle = win32::OwnHandle(CreateFileW(
      win32::Wide(path).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!handle.Valid()) return Failure(win32::LastErrorText());
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(win32::HandleOf(handle), &info) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return Failure("not a folder");
  }
  return OpenFolder(path, std::move(handle));
}

Result<std::vector<FileEntry>> OpenFolder::ListFiles(std::string_view suffix,
                                                     std::vector<SkippedEntry>* skipped) const {
  WIN32_FIND_DATAW found{};
  const std::wstring pattern = win32::Wide(win32::JoinPath(m_strPath, "*"));
  HANDLE first = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                  nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (first == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<FileEntry>{};
    return Failure(win32::LastErrorText());
  }
  std::unique_ptr<void, FindCloser> find(first);
  std::vector<FileEntry> files;
  do {
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (folder && skipped == nullptr) continue;
    std::string name = win32::Utf8(found.cFileName);
    if (!win32::IsObjectName(name) || !EndsWithIgnoringAsciiCase(name, suffix)) continue;
    if (folder) {
      skipped->push_back({std::move(name), {}});
      continue;
    }
    // A link's own size is not its target's: leave it to be read at open.
    std::optional<std::uint64_t> size;
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
      size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    }
    files.push_back({std::move(name), size});
  } while (FindNextFileW(find.get(), &found) != 0);
  if (GetLastError() != ERROR_NO_MORE_FILES) return Failure(win32::LastErrorText());
  return files;
}

Result<InputFile> OpenFolder::OpenFile(std::string_view name) const {
  if (!win32::IsObjectName(name)) return Failure("invalid file name");
  return InputFile::Open(win32::JoinPath(m_strPath, name));
}

Result<std::string> CurrentDirectory() {
  const DWORD size = GetCurrentDirectoryW(0, nullptr);
  if (size == 0) return Failure(win32::LastErrorText());
  std::wstring buffer(size, L'\0');
  const DWORD length = GetCurrentDirectoryW(size, buffer.data());
  if (length == 0 || length >= size) return Failure(win32::LastErrorText());
  buffer.resize(length);
  return win32::Utf8(buffer);
}

std::FILE* OpenStdioFile(const std::string& path, const char* mode) {
  return _wfopen(win32::Wide(path).c_str(), win32::Wide(mode).c_str());
}

}  // namespace rqx340
