// Reading expected values out of exchange-file bytes in tests, independently of
// the format library's own accessors, and parsing measurement text.
#pragma once

#include <rapidjson/document.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rqx340::test {

// The bytes of a text, and a text of bytes.
inline std::span<const std::byte> BytesOf(std::string_view text) {
  return std::as_bytes(std::span<const char>(text.data(), text.size()));
}
inline std::string AsString(std::span<const std::byte> bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

inline std::uint32_t LeU32(std::span<const std::byte> bytes, std::size_t offset) {
  if (offset + 4 > bytes.size()) return 0xDEADBEEF;
  return std::to_integer<std::uint32_t>(bytes[offset]) |
         std::to_integer<std::uint32_t>(bytes[offset + 1]) << 8 |
         std::to_integer<std::uint32_t>(bytes[offset + 2]) << 16 |
         std::to_integer<std::uint32_t>(bytes[offset + 3]) << 24;
}
inline std::int32_t LeI32(std::span<const std::byte> bytes, std::size_t offset) {
  return static_cast<std::int32_t>(LeU32(bytes, offset));
}
inline float LeF32(std::span<const std::byte> bytes, std::size_t offset) {
  return std::bit_cast<float>(LeU32(bytes, offset));
}

// `size` bytes from `offset` as a string, every byte kept (NULs included).
inline std::string Field(std::span<const std::byte> bytes, std::size_t offset, std::size_t size) {
  if (offset + size > bytes.size()) return "<out of range>";
  return std::string(reinterpret_cast<const char*>(bytes.data() + offset), size);
}

// `text` zero-padded to `size` bytes: what a fixed text field must hold.
inline std::string Padded(std::string_view text, std::size_t size) {
  std::string field(text);
  field.resize(size, '\0');
  return field;
}

// The full parse as the import makes it (a parse error leaves a null document).
inline void ParseDocument(rapidjson::Document& document, std::string_view text) {
  document.Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(text.data(),
                                                                                 text.size());
  if (document.HasParseError()) document.SetNull();
}

}  // namespace rqx340::test
