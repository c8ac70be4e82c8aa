// Folders listed with FindFirstFileExW. An open folder is held by a handle
// without delete sharing, so it cannot be removed or renamed while it is read.
#include "platform/file_system.h"

#include <algorithm>
#include <memory>

#include "platform/win32/win32_util.h"

namespace rqx340 {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (AsciiLower(tail[i]) != AsciiLower(suffix[i])) return false;
  }
  return true;
}

// One path component: no separators, no stream names, nothing Windows cannot
// name.
bool IsEntryName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name) {
    if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  path += name;
  return path;
}

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

Result<std::vector<FileEntry>> ListFiles(const std::string& folder, std::string_view suffix) {
  auto open = OpenFolder::Open(folder);
  if (!open) return Failure(open.ErrorText());
  return open->ListFiles(suffix);
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
  const std::wstring pattern = win32::Wide(JoinPath(m_strPath, "*"));
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
    if (!IsEntryName(name) || !EndsWithIgnoringAsciiCase(name, suffix)) continue;
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
  if (!IsEntryName(name)) return Failure("invalid file name");
  return InputFile::Open(JoinPath(m_strPath, name));
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
