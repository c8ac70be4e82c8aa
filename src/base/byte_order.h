// Little-endian fields in fixed-size byte buffers: the exchange file, the slots
// of the exchange area, the axis files and the window protocol. Every field is
// put at an explicit offset, never through a struct laid over the bytes, and
// every access is bounds-checked: one that does not fit the buffer changes
// nothing and reports false (reads give 0).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace rqx340 {

namespace detail {

constexpr bool FieldFits(std::size_t buffer_size, std::size_t offset, std::size_t size) {
  return offset <= buffer_size && size <= buffer_size - offset;
}

// Byte by byte, so the layout is little-endian whatever the machine's order.
template <typename Unsigned>
bool PutLittleEndian(std::span<std::byte> buffer, std::size_t offset, Unsigned value) {
  static_assert(std::is_unsigned_v<Unsigned>);
  if (!FieldFits(buffer.size(), offset, sizeof(Unsigned))) return false;
  for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
    buffer[offset + i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
  }
  return true;
}

template <typename Unsigned>
Unsigned GetLittleEndian(std::span<const std::byte> buffer, std::size_t offset) {
  static_assert(std::is_unsigned_v<Unsigned>);
  if (!FieldFits(buffer.size(), offset, sizeof(Unsigned))) return 0;
  Unsigned value = 0;
  for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
    value |= static_cast<Unsigned>(std::to_integer<Unsigned>(buffer[offset + i]) << (8 * i));
  }
  return value;
}

}  // namespace detail

inline bool PutUint16(std::span<std::byte> buffer, std::size_t offset, std::uint16_t value) {
  return detail::PutLittleEndian(buffer, offset, value);
}
inline bool PutUint32(std::span<std::byte> buffer, std::size_t offset, std::uint32_t value) {
  return detail::PutLittleEndian(buffer, offset, value);
}
inline bool PutUint64(std::span<std::byte> buffer, std::size_t offset, std::uint64_t value) {
  return detail::PutLittleEndian(buffer, offset, value);
}
inline bool PutInt32(std::span<std::byte> buffer, std::size_t offset, std::int32_t value) {
  return PutUint32(buffer, offset, static_cast<std::uint32_t>(value));
}
inline bool PutFloat32(std::span<std::byte> buffer, std::size_t offset, float value) {
  return PutUint32(buffer, offset, std::bit_cast<std::uint32_t>(value));
}

inline std::uint16_t GetUint16(std::span<const std::byte> buffer, std::size_t offset) {
  return detail::GetLittleEndian<std::uint16_t>(buffer, offset);
}
inline std::uint32_t GetUint32(std::span<const std::byte> buffer, std::size_t offset) {
  return detail::GetLittleEndian<std::uint32_t>(buffer, offset);
}
inline std::int32_t GetInt32(std::span<const std::byte> buffer, std::size_t offset) {
  return static_cast<std::int32_t>(GetUint32(buffer, offset));
}
inline float GetFloat32(std::span<const std::byte> buffer, std::size_t offset) {
  return std::bit_cast<float>(GetUint32(buffer, offset));
}

// The most bytes of text the exchange file's fields hold: they keep a spare
// byte before the terminator.
constexpr std::size_t TextCapacity(std::size_t field_size) {
  return field_size < 2 ? 0 : field_size - 2;
}

// A text field of `field_size` bytes: `text` up to its first NUL, cut to
// `max_text` bytes (at most the field), then zeros to the field's end, so no
// longer text from before shows through.
bool PutText(std::span<std::byte> buffer, std::size_t offset, std::size_t field_size,
             std::string_view text, std::size_t max_text);
inline bool PutText(std::span<std::byte> buffer, std::size_t offset, std::size_t field_size,
                    std::string_view text) {
  return PutText(buffer, offset, field_size, text, TextCapacity(field_size));
}

// The bytes of a text field up to its first NUL (the whole field when it has none).
std::string_view GetText(std::span<const std::byte> buffer, std::size_t offset,
                         std::size_t field_size);

}  // namespace rqx340
