// A view of shared bytes: a named shared memory block, or the first bytes of a
// file that other processes map as well. Unmapped when its owner goes.
#pragma once

#include <cstddef>
#include <span>

#include "base/result.h"
#include "base/unique_handle.h"
#include "platform/native_handle.h"

namespace rqx340 {

class MappedView {
 public:
  // Maps the first `size` bytes of the open object `handle` for reading and
  // writing, shared with every other process that maps it. For the other
  // facilities of the platform layer only; a size of 0 is refused.
  static Result<MappedView> Map(NativeHandle handle, std::size_t size);

  std::span<std::byte> Bytes() const { return {m_region.Get().data, m_region.Get().size}; }

 private:
  struct Region {
    std::byte* data = nullptr;
    std::size_t size = 0;
    bool operator==(const Region&) const = default;
  };
  struct RegionTraits {
    using Value = Region;
    static constexpr Value Invalid() { return {}; }
    static void Close(const Value& region) noexcept;
  };

  explicit MappedView(Region region) : m_region(region) {}

  UniqueHandle<RegionTraits> m_region;
};

}  // namespace rqx340
