// The exchange area's bytes: 32 slots of 128 bytes, little-endian, written and
// read with the fields of base/byte_order.h. Every read of a text field stops at
// the field's end even when the host left no NUL in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rqx340 {

inline constexpr std::size_t kAreaSize = 4096;
inline constexpr int kSlotCount = 32;
inline constexpr std::size_t kSlotSize = 128;

// Offsets inside a slot.
inline constexpr std::size_t kInUseOffset = 0x00;
inline constexpr std::size_t kHostWindowOffset = 0x04;
inline constexpr std::size_t kClientWindowOffset = 0x08;
inline constexpr std::size_t kClientIdOffset = 0x0C;
inline constexpr std::size_t kClientIdSize = 16;
inline constexpr std::size_t kSlotNameOffset = 0x1C;
inline constexpr std::size_t kSlotNameSize = 32;
inline constexpr std::size_t kClientNameOffset = 0x3C;
inline constexpr std::size_t kClientNameSize = 32;
// The client's name holds at most this many bytes of text.
inline constexpr std::size_t kClientNameMaxText = 30;

// One slot as the client reads it; texts are the field's bytes up to the first
// NUL or the field's end (ANSI code page).
struct Slot {
  std::uint32_t inUse = 0;
  std::uint32_t hostWindow = 0;
  std::uint32_t clientWindow = 0;
  std::string clientId;
  std::string slotName;
  std::string clientName;
};

// The bytes of slot `index` (0 .. 31) of a 4096-byte area; empty otherwise.
std::span<std::byte> SlotBytes(std::span<std::byte> area, int index);
std::span<const std::byte> SlotBytes(std::span<const std::byte> area, int index);

Slot ReadSlot(std::span<const std::byte> slot);

}  // namespace rqx340
