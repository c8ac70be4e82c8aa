// Writing to an open file through the system: what the portable parts of the
// file facilities ask of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/result.h"
#include "platform/native_handle.h"

namespace rqx340::sys {

// Writes all of `bytes` at the file's current position.
Status WriteAllTo(NativeHandle file, std::span<const std::byte> bytes);

// Writes all of `bytes` at `offset`, leaving the current position alone.
Status WriteAllAt(NativeHandle file, std::uint64_t offset, std::span<const std::byte> bytes);

}  // namespace rqx340::sys
