// A handful of time zones with odd offsets, daylight-saving gaps and date-line
// jumps, for the targets that turn time values into local time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdlib>

namespace rqx340::fuzz {

inline constexpr std::array<const char*, 8> kTimeZones = {
    "UTC0",           "Europe/Berlin",      "America/St_Johns",  "Australia/Lord_Howe",
    "Asia/Kathmandu", "Pacific/Kiritimati", "America/Sao_Paulo", "Antarctica/Troll"};

// Sets TZ to zone `index` (modulo the count); the functions under test call
// tzset themselves.
inline void UseTimeZone(std::size_t index) {
  static std::size_t current = kTimeZones.size();
  index %= kTimeZones.size();
  if (index == current) return;
  setenv("TZ", kTimeZones[index], 1);
  current = index;
}

}  // namespace rqx340::fuzz
