// Reading regular files through a handle that was checked to be a disk file,
// so the file read is the file checked. Others may read, write and delete it
// meanwhile, as POSIX allows.
#include <algorithm>
#include <limits>

#include "platform/input_file_impl.h"
#include "platform/win32/win32_util.h"

namespace rqx340::sys {

Result<OpenedFile> OpenRegularFile(const std::string& path) {
  UniqueNativeHandle file =
      win32::OwnHandle(CreateFileW(win32::Wide(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return Failure(win32::LastErrorText());
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(win32::HandleOf(file)) != FILE_TYPE_DISK ||
      GetFileInformationByHandle(win32::HandleOf(file), &info) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Failure("not a regular file");
  }
  const std::uint64_t size =
      (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return OpenedFile{std::move(file), size};
}

Result<std::size_t> ReadSome(NativeHandle file, std::span<std::byte> buffer) {
  const DWORD want = static_cast<DWORD>(
      std::min<std::size_t>(buffer.size(), std::numeric_limits<DWORD>::max() / 2));
  DWORD got = 0;
  if (ReadFile(win32::HandleOf(file), buffer.data(), want, &got, nullptr) == 0) {
    return Failure(win32::LastErrorText());
  }
  return static_cast<std::size_t>(got);
}

Status SeekTo(NativeHandle file, std::uint64_t offset) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max())) {
    return Failure("offset out of range");
  }
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  if (SetFilePointerEx(win32::HandleOf(file), to, nullptr, FILE_BEGIN) == 0) {
    return Failure(win32::LastErrorText());
  }
  return {};
}

}  // namespace rqx340::sys
