// Little-endian fields in fixed-size byte buffers. The host reads the exchange
// file with a fixed layout, so every field is put at an explicit offset, never
// through a struct laid over the bytes. Every access is bounds-checked: one that
// does not fit the buffer changes nothing and reports false (reads give 0).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace rqx340 {

bool PutInt32(std::span<std::byte> buffer, std::size_t offset, std::int32_t value);
bool PutFloat32(std::span<std::byte> buffer, std::size_t offset, float value);

// A zero-terminated text field of `field_size` bytes: `text` up to its first
// NUL, cut to `field_size` - 2 bytes (the fields keep a spare byte before the
// terminator). The rest of the field is left as it is, zero in a zeroed buffer.
bool PutText(std::span<std::byte> buffer, std::size_t offset, std::size_t field_size,
             std::string_view text);

std::int32_t GetInt32(std::span<const std::byte> buffer, std::size_t offset);
float GetFloat32(std::span<const std::byte> buffer, std::size_t offset);

// The bytes of a text field up to its first NUL (the whole field when it has none).
std::string_view GetText(std::span<const std::byte> buffer, std::size_t offset,
                         std::size_t field_size);

// The most bytes a text field of `field_size` holds.
constexpr std::size_t TextCapacity(std::size_t field_size) {
  return field_size < 2 ? 0 : field_size - 2;
}

}  // namespace rqx340
