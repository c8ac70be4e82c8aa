// Handles given back.
#include "platform/native_handle.h"

#include "platform/win32/win32_util.h"

namespace rqx340 {

void NativeHandleTraits::Close(const NativeHandle& handle) noexcept {
  CloseHandle(win32::HandleOf(handle));
}

}  // namespace rqx340
