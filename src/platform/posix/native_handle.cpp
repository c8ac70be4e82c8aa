// Descriptors given back.
#include "platform/native_handle.h"

#include <unistd.h>

#include "platform/posix/posix_util.h"

namespace rqx340 {

void NativeHandleTraits::Close(const NativeHandle& handle) noexcept { close(posix::FdOf(handle)); }

}  // namespace rqx340
