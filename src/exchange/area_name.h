// The exchange area's name: "ZUL" and the CRC-32 of the directory that holds the
// program, so that a host finds the area of exactly the program it started.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rqx340 {

// IEEE 802.3 CRC-32 (reflected polynomial 0xEDB88320, initial value 0xFFFFFFFF,
// result complemented).
std::uint32_t Crc32(std::span<const std::byte> bytes);
std::uint32_t Crc32(std::string_view bytes);

// "ZUL" followed by `number` as 8 upper-case hexadecimal digits.
std::string AreaNameFromNumber(std::uint32_t number);

// The name for a program directory given with its trailing separator, as the
// bytes the system names it with.
std::string AreaNameFromDirectory(std::string_view directory);

}  // namespace rqx340
