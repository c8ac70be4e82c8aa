// Reading regular files through a handle that was checked to be a disk file,
// so the file read is the file checked. Others may read, write and delete it
// meanwhile, as POSIX allows.
#include "platform/input_file.h"

#include <limits>

#include "platform/win32/win32_util.h"

namespace rqx340 {

Result<InputFile> InputFile::Open(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return Failure("invalid file name");
  UniqueNativeHandle file = win32::OwnHandle(
      CreateFileW(win32::Wide(path).c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return Failure(win32::LastErrorText());
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(win32::HandleOf(file)) != FILE_TYPE_DISK ||
      GetFileInformationByHandle(win32::HandleOf(file), &info) == 0 ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Failure("not a regular file");
  }
  const std::uint64_t size =
      (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  return InputFile(std::move(file), size);
}

Result<std::size_t> InputFile::Read(std::span<std::byte> buffer) {
  if (!m_file.Valid()) return Failure("the file is not open");
  std::size_t done = 0;
  while (done < buffer.size()) {
    const DWORD want = static_cast<DWORD>(
        std::min<std::size_t>(buffer.size() - done, std::numeric_limits<DWORD>::max() / 2));
    DWORD got = 0;
    if (ReadFile(win32::HandleOf(m_file), buffer.data() + done, want, &got, nullptr) == 0) {
      return Failure(win32::LastErrorText());
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

Status InputFile::ReadExactly(std::span<std::byte> buffer) {
  const auto got = Read(buffer);
  if (!got) return Failure(got.ErrorText());
  if (*got != buffer.size()) return Failure("the file ends early");
  return {};
}

Status InputFile::Seek(std::uint64_t offset) {
  if (!m_file.Valid()) return Failure("the file is not open");
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max())) {
    return Failure("offset out of range");
  }
  LARGE_INTEGER to{};
  to.QuadPart = static_cast<LONGLONG>(offset);
  if (SetFilePointerEx(win32::HandleOf(m_file), to, nullptr, FILE_BEGIN) == 0) {
    return Failure(win32::LastErrorText());
  }
  return {};
}

}  // namespace rqx340
