// Sizing a record block before its fields are put, and its text fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "base/byte_order.h"
#include "format/exchange_layout.h"
#include "format/record_blocks.h"
#include "platform/code_page.h"

namespace rqx340 {

// Sizes `buffer` to a zeroed block of `count` records of `record_size` bytes and
// puts the count. False, with `buffer` empty, when the block is too large for a
// 32-bit size; nothing is allocated then.
inline bool StartBlock(BlockBuffer& buffer, std::size_t record_size, std::size_t count) {
  constexpr auto kMax = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
  if (count > (kMax - layout::block::kFirstRecord) / record_size) {
    buffer.clear();
    return false;
  }
  buffer.assign(layout::block::kFirstRecord + record_size * count, std::byte{0});
  PutInt32(buffer, layout::block::kCount, static_cast<std::int32_t>(count));
  return true;
}

// A text field (a tag or a text) of `field_size` bytes: `ansi` up to its first
// NUL, cut to the field's capacity without splitting a character of the ANSI
// code page. A lead byte left before the terminator would make the host read
// the NUL as the rest of a character and run past the field.
inline bool PutAnsiText(std::span<std::byte> buffer, std::size_t offset, std::size_t field_size,
                        std::string_view ansi) {
  return PutText(buffer, offset, field_size, AnsiFieldText(ansi, TextCapacity(field_size)));
}

inline std::int32_t BlockSize(const BlockBuffer& buffer) {
  return static_cast<std::int32_t>(buffer.size());
}

}  // namespace rqx340
