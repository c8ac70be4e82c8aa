// Descriptors given back, and written whole.
#include "platform/native_handle.h"

#include <unistd.h>

#include "platform/native_handle_impl.h"
#include "platform/posix/posix_util.h"

namespace rqx340 {

void NativeHandleTraits::Close(const NativeHandle& handle) noexcept { close(posix::FdOf(handle)); }

Status sys::WriteAllTo(NativeHandle file, std::span<const std::byte> bytes) {
  return posix::WriteAllTo(posix::FdOf(file), bytes);
}

Status sys::WriteAllAt(NativeHandle file, std::uint64_t offset, std::span<const std::byte> bytes) {
  return posix::WriteAllAt(posix::FdOf(file), offset, bytes);
}

}  // namespace rqx340
