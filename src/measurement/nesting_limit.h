// How deep the measurement files' arrays and objects may nest, in both parses.
#pragma once

#include <cstdint>

namespace rqx340 {

// Real measurements nest 4 deep; the limit stops a file of nothing but
// brackets from taking memory without bound. Depth 100000 still parses.
inline constexpr std::uint32_t kMaxNestingDepth = 100000;

}  // namespace rqx340
