// A temporary file beside the target, moved over it on Commit; for a console,
// a device or a pipe, a spool file in TEMP that deletes itself when closed and
// is copied through on Commit, since the output's header is rewritten at the
// end and neither can seek back.
#include "platform/replacement_file.h"

#include <vector>

#include "platform/path_text.h"
#include "platform/replacement_file_impl.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The path the system reached through every link, without the \\?\ prefix
// where an ordinary path says the same.
std::string FinalPath(HANDLE file, const std::string& fallback) {
  const DWORD size = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
  if (size == 0) return fallback;
  std::wstring buffer(size, L'\0');
  const DWORD length = GetFinalPathNameByHandleW(file, buffer.data(), size, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= size) return fallback;
  buffer.resize(length);
  std::string path = win32::Utf8(buffer);
  if (path.rfind("\\\\?\\UNC\\", 0) == 0) return "\\\\" + path.substr(8);
  if (path.rfind("\\\\?\\", 0) == 0 && path.size() > 6 && path[5] == ':') return path.substr(4);
  return path;
}

Result<UniqueNativeHandle> CreateSpool() {
  const std::string folder = win32::TempPath();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = folder + ".rqx340-" + win32::RandomSuffix();
    UniqueNativeHandle file = win32::OwnHandle(
        CreateFileW(win32::Wide(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (file.Valid()) return file;
    if (GetLastError() != ERROR_FILE_EXISTS) {
      return Failure("cannot make a temporary file in " + folder + ": " + win32::LastErrorText());
    }
  }
  return Failure("cannot make a temporary file in " + folder);
}

}  // namespace

Result<ReplacementFile> ReplacementFile::Create(const std::string& path, ReaderWait) {
  if (path.empty()) return Failure("invalid file name");
  // "aux.csv" opens the AUX device: the output would go nowhere, with success.
  if (const std::string_view name = FileNameOf(path); IsWindowsDeviceName(name)) {
    std::string reason(1, '"');
    reason += name;
    reason += "\" is the name of a Windows device, not of a file; choose another name";
    return Failure(std::move(reason));
  }
  std::string target_path = path;
  DWORD attributes = 0;
  bool exists = false;
  {
    // Opened without access: enough to ask what it is, and links followed.
    UniqueNativeHandle probe =
        win32::OwnHandle(CreateFileW(win32::Wide(path).c_str(), 0, kShareAll, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (probe.Valid()) {
      exists = true;
      const DWORD type = GetFileType(win32::HandleOf(probe));
      if (type == FILE_TYPE_CHAR || type == FILE_TYPE_PIPE) {
        probe.Reset();
        // Opening a pipe never waits for its reader: a pipe whose instances
        // are all taken is refused at once.
        UniqueNativeHandle out =
            win32::OwnHandle(CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, kShareAll,
                                         nullptr, OPEN_EXISTING, 0, nullptr));
        if (!out.Valid()) {
          const DWORD error = GetLastError();
          if (error == ERROR_PIPE_BUSY) return Failure("no program is reading from " + path);
          return Failure(win32::ErrorText(error));
        }
        auto spool = CreateSpool();
        if (!spool) return Failure(spool.ErrorText());
        return ReplacementFile(std::move(*spool), {}, path, std::move(out));
      }
      BY_HANDLE_FILE_INFORMATION info{};
      if (GetFileInformationByHandle(win32::HandleOf(probe), &info) == 0) {
        return Failure(win32::LastErrorText());
      }
      if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Failure(
            "it is a folder; only a regular file, a pipe or a character device is written");
      }
      attributes = info.dwFileAttributes;
      target_path = FinalPath(win32::HandleOf(probe), path);
    } else {
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND) return Failure(win32::ErrorText(error));
    }
  }

  const std::string folder = FolderOf(target_path);
  const std::string name = target_path.substr(folder.size());
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp_path = folder + "." + name + "." + win32::RandomSuffix();
    UniqueNativeHandle file = win32::OwnHandle(CreateFileW(
        win32::Wide(temp_path).c_str(), GENERIC_READ | GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return Failure(win32::LastErrorText());
    }
    ReplacementFile replacement(std::move(file), temp_path, target_path, {});
    // The replacement keeps the attributes of the file it replaces, except
    // read-only, which would refuse the move over it.
    if (exists) {
      const DWORD keep = attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                       FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
      if (keep != 0) SetFileAttributesW(win32::Wide(temp_path).c_str(), keep);
    }
    return replacement;
  }
  return Failure("cannot make a temporary file in " + folder);
}

void ReplacementFile::TempPathTraits::Close(const std::string& path) noexcept {
  DeleteFileW(win32::Wide(path).c_str());
}

Status sys::CopyThrough(NativeHandle spool, UniqueNativeHandle target) {
  const HANDLE from = win32::HandleOf(spool);
  const HANDLE to = win32::HandleOf(target);
  LARGE_INTEGER zero{};
  if (SetFilePointerEx(from, zero, nullptr, FILE_BEGIN) == 0)
    return Failure(win32::LastErrorText());
  std::vector<std::byte> buffer(std::size_t{1} << 20);
  for (;;) {
    DWORD got = 0;
    if (ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) == 0) {
      return Failure(win32::LastErrorText());
    }
    if (got == 0) return {};
    if (Status put = win32::WriteAll(to, std::span<const std::byte>(buffer.data(), got)); !put) {
      return put;
    }
  }
}

Status sys::CloseWritten(NativeHandle file) {
  if (CloseHandle(win32::HandleOf(file)) == 0) return Failure(win32::LastErrorText());
  return {};
}

Status sys::RenameOver(const std::string& from, const std::string& to) {
  if (MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) ==
      0) {
    return Failure(win32::LastErrorText());
  }
  return {};
}

}  // namespace rqx340
