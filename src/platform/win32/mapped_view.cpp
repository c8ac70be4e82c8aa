// A view of the first bytes of a file or section object, shared with other
// processes.
#include "platform/mapped_view.h"

#include "platform/win32/win32_util.h"

namespace rqx340 {

Result<MappedView> MappedView::Map(NativeHandle handle, std::size_t size) {
  if (handle == kNoNativeHandle || size == 0) return Failure("nothing to map");
  HANDLE object = win32::HandleOf(handle);
  // A section (from CreateFileMappingW or OpenFileMappingW) is mapped as it
  // is; a file needs a section of its own first. Only a file answers
  // GetFileInformationByHandle.
  UniqueNativeHandle section;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(object, &info) != 0) {
    const auto high = static_cast<DWORD>(static_cast<std::uint64_t>(size) >> 32);
    const auto low = static_cast<DWORD>(size & 0xFFFFFFFFu);
    section = win32::OwnHandle(CreateFileMappingW(object, nullptr, PAGE_READWRITE, high, low, nullptr));
    if (!section.Valid()) return Failure(win32::LastErrorText());
    object = win32::HandleOf(section);
  }
  void* data = MapViewOfFile(object, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size);
  if (data == nullptr) return Failure(win32::LastErrorText());
  return MappedView(Region{static_cast<std::byte*>(data), size});
}

void MappedView::RegionTraits::Close(const Region& region) noexcept {
  UnmapViewOfFile(region.data);
}

}  // namespace rqx340
