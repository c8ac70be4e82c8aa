// The fixed tables the record blocks share: frequency weightings, operating
// modes, the quantities of a channel, and the tags made from settings keys.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace rqx340 {

// The weighting names for the setting values 0 to 12.
inline constexpr std::array<std::string_view, 13> kWeightingNames = {
    "Ws", "Fa", "Fb", "Fc", "Wh", "Wm", "Wb", "Wc", "Wd", "We", "Wg", "Wj", "Wk"};

// The weighting name of a setting value; below 0 the first, above 12 the last.
std::string_view WeightingName(std::int32_t value);

// The settings keys of the weightings of the axes X, Y and Z.
inline constexpr std::array<std::string_view, 3> kWeightingKeys = {
    "TAG_WEIGHTING_X_37", "TAG_WEIGHTING_Y_38", "TAG_WEIGHTING_Z_39"};

// The operating-mode texts for the values 0 (vibration), 1 (hand-arm) and 2
// (whole-body).
inline constexpr std::array<std::string_view, 3> kOperatingModeNames = {"Vibration", "HandArm",
                                                                        "WholeBody"};

// The operating-mode text of a setting value, clamped to 0..2.
std::string_view OperatingModeName(std::int32_t value);

// The quantities stored per channel, in the order of the time-history columns.
struct Quantity {
  std::string_view name;
  std::int32_t code;
};
inline constexpr std::array<Quantity, 5> kQuantities = {
    {{"rms", 0}, {"peak", 5}, {"vdv", 2}, {"min", 3}, {"max", 4}}};
inline constexpr std::size_t kVdvQuantity = 2;

// The axes of a channel group; the sum axis has no vdv.
inline constexpr std::array<std::string_view, 4> kAxisSuffixes = {"_x", "_y", "_z", "_sum"};
inline constexpr std::size_t kSumAxis = 3;
inline constexpr std::size_t kAxes = 4;

// The broadband values of one time-history row: 5 quantities on X, Y, Z, 4 on SUM.
inline constexpr std::size_t kBroadbandValues = 19;

// A record tag from a numbered settings key: the characters strictly between
// the first and the last underscore, at most 31 ("TAG_GAIN_Y_23" gives
// "GAIN_Y"). Empty when the key has fewer than two underscores.
std::string KeyToTag(std::string_view key);

}  // namespace rqx340
