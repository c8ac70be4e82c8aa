// Raw signals in tests: samples written as the meter stores them, and the
// little-endian values of the axis files read back independently of the code
// that wrote them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/exchange_bytes.h"

namespace rqx340::test {

// One raw sample: X, Y, Z.
struct Sample {
  float x, y, z;
};

// The samples as float32 X, Y, Z each, little-endian.
inline std::string RawBytes(const std::vector<Sample>& samples) {
  std::string out;
  out.reserve(samples.size() * 12);
  for (const Sample& sample : samples) {
    for (const float value : {sample.x, sample.y, sample.z}) {
      const auto bits = std::bit_cast<std::uint32_t>(value);
      for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
    }
  }
  return out;
}

// The little-endian float32 at `offset`.
inline float FloatAt(std::string_view bytes, std::size_t offset) {
  return LeF32(BytesOf(bytes), offset);
}

// The little-endian 64-bit value at `offset`.
inline std::uint64_t U64At(std::string_view bytes, std::size_t offset) {
  return LeU32(BytesOf(bytes), offset) |
         static_cast<std::uint64_t>(LeU32(BytesOf(bytes), offset + 4)) << 32;
}

}  // namespace rqx340::test
