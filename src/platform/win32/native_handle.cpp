// Handles given back, and written whole.
#include "platform/native_handle.h"

#include "platform/native_handle_impl.h"
#include "platform/win32/win32_util.h"

namespace rqx340 {

void NativeHandleTraits::Close(const NativeHandle& handle) noexcept {
  CloseHandle(win32::HandleOf(handle));
}

Status sys::WriteAllTo(NativeHandle file, std::span<const std::byte> bytes) {
  return win32::WriteAll(win32::HandleOf(file), bytes);
}

// A positioned write moves the file pointer on Windows: it is put back.
Status sys::WriteAllAt(NativeHandle file, std::uint64_t offset, std::span<const std::byte> bytes) {
  const HANDLE handle = win32::HandleOf(file);
  LARGE_INTEGER zero{};
  LARGE_INTEGER position{};
  SetFilePointerEx(handle, zero, &position, FILE_CURRENT);
  Status result = win32::WriteAll(handle, bytes, &offset);
  SetFilePointerEx(handle, position, nullptr, FILE_BEGIN);
  return result;
}

}  // namespace rqx340
