#include "exchange/slot_layout.h"

#include <algorithm>

namespace rqx340 {

std::span<std::byte> SlotBytes(std::span<std::byte> area, int index) {
  if (index < 0 || index >= kSlotCount || area.size() < kAreaSize) return {};
  return area.subspan(static_cast<std::size_t>(index) * kSlotSize, kSlotSize);
}

std::span<const std::byte> SlotBytes(std::span<const std::byte> area, int index) {
  if (index < 0 || index >= kSlotCount || area.size() < kAreaSize) return {};
  return area.subspan(static_cast<std::size_t>(index) * kSlotSize, kSlotSize);
}

Slot ReadSlot(std::span<const std::byte> slot) {
  Slot result;
  result.inUse = GetU32(slot, kInUseOffset);
  result.hostWindow = GetU32(slot, kHostWindowOffset);
  result.clientWindow = GetU32(slot, kClientWindowOffset);
  result.clientId = GetText(slot, kClientIdOffset, kClientIdSize);
  result.slotName = GetText(slot, kSlotNameOffset, kSlotNameSize);
  result.clientName = GetText(slot, kClientNameOffset, kClientNameSize);
  return result;
}

std::uint32_t GetU32(std::span<const std::byte> bytes, std::size_t offset) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return 0;
  const auto field = bytes.subspan(offset, 4);
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<std::uint32_t>(field[i]);
  return value;
}

void PutU32(std::span<std::byte> bytes, std::size_t offset, std::uint32_t value) {
  if (offset > bytes.size() || bytes.size() - offset < 4) return;
  const auto field = bytes.subspan(offset, 4);
  for (int i = 0; i < 4; ++i) field[i] = static_cast<std::byte>(value >> (8 * i));
}

std::string GetText(std::span<const std::byte> bytes, std::size_t offset, std::size_t size) {
  if (offset > bytes.size() || bytes.size() - offset < size) return {};
  const auto field = bytes.subspan(offset, size);
  const auto end = std::find(field.begin(), field.end(), std::byte{0});
  std::string text;
  for (auto it = field.begin(); it != end; ++it) text += static_cast<char>(*it);
  return text;
}

void PutText(std::span<std::byte> bytes, std::size_t offset, std::size_t size, std::size_t max_text,
             std::string_view text) {
  if (offset > bytes.size() || bytes.size() - offset < size) return;
  const auto field = bytes.subspan(offset, size);
  std::fill(field.begin(), field.end(), std::byte{0});
  const std::size_t length = std::min({text.size(), max_text, size});
  for (std::size_t i = 0; i < length; ++i) field[i] = static_cast<std::byte>(text[i]);
}

}  // namespace rqx340
