// Slots within the 4096-byte area and their fields.
#include "exchange/slot_layout.h"

#include "base/byte_order.h"

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
  result.inUse = GetUint32(slot, kInUseOffset);
  result.hostWindow = GetUint32(slot, kHostWindowOffset);
  result.clientWindow = GetUint32(slot, kClientWindowOffset);
  result.clientId = std::string(GetText(slot, kClientIdOffset, kClientIdSize));
  result.slotName = std::string(GetText(slot, kSlotNameOffset, kSlotNameSize));
  result.clientName = std::string(GetText(slot, kClientNameOffset, kClientNameSize));
  return result;
}

}  // namespace rqx340
