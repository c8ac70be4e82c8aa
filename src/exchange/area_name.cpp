// CRC-32 from a table built at compile time, and the area names made from it.
#include "exchange/area_name.h"

#include <array>
#include <cstdio>

namespace rqx340 {

namespace {

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t value = i;
    for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? 0xEDB88320u ^ (value >> 1) : value >> 1;
    table[i] = value;
  }
  return table;
}

constexpr auto kCrcTable = MakeCrcTable();

}  // namespace

std::uint32_t Crc32(std::span<const std::byte> bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::byte byte : bytes) {
    crc = kCrcTable[(crc ^ static_cast<std::uint32_t>(byte)) & 0xFF] ^ (crc >> 8);
  }
  return ~crc;
}

std::uint32_t Crc32(std::string_view bytes) {
  return Crc32(std::as_bytes(std::span<const char>(bytes.data(), bytes.size())));
}

std::string AreaNameFromNumber(std::uint32_t number) {
  char name[12];
  std::snprintf(name, sizeof name, "ZUL%08X", static_cast<unsigned>(number));
  return name;
}

std::string AreaNameFromDirectory(std::string_view directory) {
  return AreaNameFromNumber(Crc32(directory));
}

}  // namespace rqx340
