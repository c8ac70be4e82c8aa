// Slots within the 4096-byte area and their fields.
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
  result.clientId = std::string(GetText(slot, kClientIdOffset, kClientIdSize));
  result.slotName = std::string(GetText(slot, kSlotNameOffset, kSlotNameSize));
  result.clientName = std::string(GetText(slot, kClientNameOffset, kClientNameSize));
  return result;
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
