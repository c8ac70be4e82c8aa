// mmap of the first bytes of an open object, shared with other processes.
#include "platform/mapped_view.h"

#include <sys/mman.h>

#include <cerrno>

#include "platform/posix/posix_util.h"

namespace rqx340 {

Result<MappedView> MappedView::Map(NativeHandle handle, std::size_t size) {
  if (handle == kNoNativeHandle || size == 0) return Failure("nothing to map");
  void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, posix::FdOf(handle), 0);
  if (data == MAP_FAILED) return Failure(posix::ErrnoText(errno));
  return MappedView(Region{static_cast<std::byte*>(data), size});
}

void MappedView::RegionTraits::Close(const Region& region) noexcept {
  munmap(region.data, region.size);
}

}  // namespace rqx340
