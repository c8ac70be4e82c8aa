// Fields are put and read byte by byte, so the layout is little-endian
// whatever the host's byte order.
#include "format/byte_layout.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace rqx340 {
namespace {

bool Fits(std::size_t buffer_size, std::size_t offset, std::size_t size) {
  return offset <= buffer_size && size <= buffer_size - offset;
}

void PutUint32(std::byte* out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<std::byte>((value >> (8 * i)) & 0xFFu);
}

std::uint32_t GetUint32(const std::byte* in) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= std::to_integer<std::uint32_t>(in[i]) << (8 * i);
  return value;
}

}  // namespace

bool PutInt32(std::span<std::byte> buffer, std::size_t offset, std::int32_t value) {
  if (!Fits(buffer.size(), offset, 4)) return false;
  PutUint32(buffer.data() + offset, static_cast<std::uint32_t>(value));
  return true;
}

bool PutFloat32(std::span<std::byte> buffer, std::size_t offset, float value) {
  if (!Fits(buffer.size(), offset, 4)) return false;
  PutUint32(buffer.data() + offset, std::bit_cast<std::uint32_t>(value));
  return true;
}

bool PutText(std::span<std::byte> buffer, std::size_t offset, std::size_t field_size,
             std::string_view text) {
  if (!Fits(buffer.size(), offset, field_size)) return false;
  text = text.substr(0, std::min(text.find('\0'), TextCapacity(field_size)));
  std::memcpy(buffer.data() + offset, text.data(), text.size());
  return true;
}

std::int32_t GetInt32(std::span<const std::byte> buffer, std::size_t offset) {
  if (!Fits(buffer.size(), offset, 4)) return 0;
  return static_cast<std::int32_t>(GetUint32(buffer.data() + offset));
}

float GetFloat32(std::span<const std::byte> buffer, std::size_t offset) {
  if (!Fits(buffer.size(), offset, 4)) return 0.0f;
  return std::bit_cast<float>(GetUint32(buffer.data() + offset));
}

std::string_view GetText(std::span<const std::byte> buffer, std::size_t offset,
                         std::size_t field_size) {
  if (!Fits(buffer.size(), offset, field_size)) return {};
  const char* text = reinterpret_cast<const char*>(buffer.data() + offset);
  return std::string_view(text, std::find(text, text + field_size, '\0') - text);
}

}  // namespace rqx340
