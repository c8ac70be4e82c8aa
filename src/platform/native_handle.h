// The system's handle on an open object (a file, a folder, a pipe, a socket),
// as the facilities of the platform layer hand it to each other. It is opaque
// above the platform layer: only the system's own half knows what it holds (a
// descriptor on POSIX).
#pragma once

#include <cstdint>

#include "base/unique_handle.h"

namespace rqx340 {

enum class NativeHandle : std::intptr_t {};
inline constexpr NativeHandle kNoNativeHandle = static_cast<NativeHandle>(-1);

// Files, folders, pipes and sockets: closed by their owner.
struct NativeHandleTraits {
  using Value = NativeHandle;
  static constexpr Value Invalid() { return kNoNativeHandle; }
  static void Close(const Value& handle) noexcept;
};
using UniqueNativeHandle = UniqueHandle<NativeHandleTraits>;

}  // namespace rqx340
