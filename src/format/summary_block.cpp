// The summary record block: the row count, per-axis settings and the real
// summary values, AeqX/AeqY/AeqZ also weighted by their axis's sum factor.
#include <array>
#include <optional>
#include <string>

#include "format/block_buffer.h"
#include "format/json_access.h"
#include "format/record_tables.h"
#include "platform/code_page.h"

namespace rqx340 {
namespace {

namespace vr = layout::value_record;

// The settings records 1 to 12 in order; record 10 is the decibel reference.
constexpr std::array<std::string_view, 12> kSettingKeys = {
    "TAG_GAIN_X_22",        "TAG_GAIN_Y_23",        "TAG_GAIN_Z_24",
    "TAG_SUM_FACTOR_KX_34", "TAG_SUM_FACTOR_KY_35", "TAG_SUM_FACTOR_KZ_36",
    "TAG_SENSITIVITY_X_46", "TAG_SENSITIVITY_Y_47", "TAG_SENSITIVITY_Z_48",
    "TAG_DB_REFERENCE_51",  "TAG_EXPOSURELIMIT_65", "TAG_EXPOSUREACTION_66"};
constexpr std::size_t kDbReference = 9;  // index in kSettingKeys
constexpr std::size_t kFixedRecords = 1 + kSettingKeys.size();

constexpr std::array<std::string_view, 3> kSumFactorKeys = {
    "TAG_SUM_FACTOR_KX_34", "TAG_SUM_FACTOR_KY_35", "TAG_SUM_FACTOR_KZ_36"};

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The axis (0 to 2) when `name` is AeqX, AeqY or AeqZ in any ASCII letter case.
std::optional<std::size_t> AeqAxis(std::string_view name) {
  if (name.size() != 4) return std::nullopt;
  if (AsciiLower(name[0]) != 'a' || AsciiLower(name[1]) != 'e' || AsciiLower(name[2]) != 'q') {
    return std::nullopt;
  }
  const char axis = AsciiLower(name[3]);
  if (axis < 'x' || axis > 'z') return std::nullopt;
  return static_cast<std::size_t>(axis - 'x');
}

}  // namespace

std::int32_t BuildSummaryBlock(BlockBuffer& buffer, const rapidjson::Value& document,
                               const RowSource& rows) {
  const auto& props = json::MeasProperties(document);
  const auto& summary = json::Member(document, "Summary");
  std::size_t reals = 0;
  if (summary.IsObject()) {
    for (auto it = summary.MemberBegin(); it != summary.MemberEnd(); ++it) {
      if (!it->value.IsDouble()) continue;
      reals += AeqAxis(json::MemberName(it->name)) ? 2 : 1;
    }
  }
  if (!StartBlock(buffer, vr::kSize, kFixedRecords + reals)) return -1;

  std::size_t index = 0;
  auto put = [&](std::string_view tag, float value) {
    const std::size_t offset = layout::RecordOffset(vr::kSize, index++);
    PutAnsiText(buffer, offset + layout::kTag, layout::kTagSize, tag);
    PutFloat32(buffer, offset + vr::kValue, value);
  };
  put("RTIM", static_cast<float>(static_cast<double>(rows.RowCount())));
  for (std::size_t i = 0; i < kSettingKeys.size(); ++i) {
    const auto& value = json::Member(props, kSettingKeys[i]);
    if (i == kDbReference) {
      put("#50", static_cast<float>(json::GetInt(value) != 0 ? 1.0e-6 : 1.0e-5));
    } else {
      put(ToAnsi(KeyToTag(kSettingKeys[i])), static_cast<float>(json::GetDouble(value)));
    }
  }
  if (summary.IsObject()) {
    for (auto it = summary.MemberBegin(); it != summary.MemberEnd(); ++it) {
      if (!it->value.IsDouble()) continue;
      const std::string_view name = json::MemberName(it->name);
      const std::string tag = ToAnsi(name);
      const float value = static_cast<float>(it->value.GetDouble());
      put(tag, value);
      if (const auto axis = AeqAxis(name)) {
        const float factor =
            static_cast<float>(json::GetDouble(json::Member(props, kSumFactorKeys[*axis])));
        const float weighted = value * factor;
        put(tag + "_xK", weighted);
      }
    }
  }
  return BlockSize(buffer);
}

}  // namespace rqx340
