// The session directory on Windows: RQX340_RUNTIME_DIR, else the user's TEMP
// folder, which is private to the user already. The exchange areas and locks
// are named kernel objects; only the hand-over files live here. The folder is
// held open without delete sharing while it is in use.
#include "platform/session_dir.h"

#include <filesystem>

#include "platform/environment.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

std::string ChoosePath() {
  if (auto dir = GetEnvironment("RQX340_RUNTIME_DIR"); dir && !dir->empty()) return *dir;
  return win32::TempPath();
}

std::string FullPath(const std::string& path) {
  const std::wstring wide = win32::Wide(path);
  const DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  return win32::Utf8(full);
}

}  // namespace

Result<SessionDir> SessionDir::Open() { return OpenPath(ChoosePath()); }

Result<SessionDir> SessionDir::OpenPath(std::string_view path_view) {
  const std::string path = FullPath(std::string(path_view));
  const std::wstring wide = win32::Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
      return Failure("cannot examine session directory " + path + ": " + win32::ErrorText(error));
    }
    if (CreateDirectoryW(wide.c_str(), nullptr) == 0 && GetLastError() != ERROR_ALREADY_EXISTS) {
      return Failure("cannot create session directory " + path + ": " + win32::LastErrorText());
    }
  } else if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return Failure("session directory " + path + " is a symbolic link");
  } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return Failure("session directory " + path + " is not a directory");
  }
  UniqueNativeHandle dir = win32::OpenFolderHandle(path);
  if (!dir.Valid()) {
    return Failure("cannot open session directory " + path + ": " + win32::LastErrorText());
  }
  return SessionDir(std::move(dir), path);
}

Result<SessionDir> SessionDir::Duplicate() const {
  HANDLE copy = nullptr;
  if (DuplicateHandle(GetCurrentProcess(), win32::HandleOf(m_dir), GetCurrentProcess(), &copy, 0,
                      FALSE, DUPLICATE_SAME_ACCESS) == 0) {
    return Failure("cannot duplicate the session directory handle");
  }
  return SessionDir(win32::OwnHandle(copy), m_strPath);
}

Result<std::string> SessionDir::ReadFile(std::string_view name, std::size_t max_size) const {
  const std::string text(name);
  if (!win32::IsObjectName(name)) return Failure("invalid file name '" + text + "'");
  const std::string path = PathOf(text);
  UniqueNativeHandle file = win32::OwnHandle(CreateFileW(
      win32::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) return Failure("cannot open " + path + ": " + win32::LastErrorText());
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(win32::HandleOf(file)) != FILE_TYPE_DISK ||
      GetFileInformationByHandle(win32::HandleOf(file), &info) == 0 ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return Failure(path + " is not a regular file");
  }
  const std::uint64_t size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (size > max_size) {
    return Failure(path + " is larger than " + std::to_string(max_size) + " bytes");
  }
  std::string content;
  content.reserve(static_cast<std::size_t>(size));
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (::ReadFile(win32::HandleOf(file), buffer, sizeof buffer, &got, nullptr) == 0) {
      return Failure("cannot read " + path + ": " + win32::LastErrorText());
    }
    if (got == 0) break;
    if (content.size() + got > max_size) {
      return Failure(path + " is larger than " + std::to_string(max_size) + " bytes");
    }
    content.append(buffer, got);
  }
  return content;
}

std::string SessionDir::PathOf(std::string_view name) const {
  return win32::JoinPath(m_strPath, name);
}

}  // namespace rqx340
