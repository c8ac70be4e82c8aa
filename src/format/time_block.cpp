// The time record block: start time, fixed codes and the integer summary values.
#include "format/block_buffer.h"
#include "format/json_access.h"
#include "platform/code_page.h"
#include "platform/local_time.h"

namespace rqx340 {
namespace {

namespace vr = layout::value_record;

struct FixedRecord {
  std::string_view tag;
  std::int32_t value;
};

}  // namespace

std::int64_t MeasurementStartTime(const rapidjson::Value& document) {
  return ConvertStartTime(
      json::GetInt64(json::Member(json::Member(document, "Header"), "StartDateTime")));
}

std::int32_t BuildTimeBlock(BlockBuffer& buffer, const rapidjson::Value& document) {
  const auto& summary = json::Member(document, "Summary");
  std::size_t integers = 0;
  if (summary.IsObject()) {
    for (auto it = summary.MemberBegin(); it != summary.MemberEnd(); ++it) {
      if (it->value.IsInt()) ++integers;
    }
  }
  const std::int64_t start = MeasurementStartTime(document);
  const FixedRecord fixed[] = {{"TIME", static_cast<std::int32_t>(start)},
                               {"TYPE", 0},
                               {"SQNC", 0},
                               {"BLCK", 1},
                               {"ANLD", 15}};
  constexpr std::size_t kFixed = std::size(fixed);
  if (!StartBlock(buffer, vr::kSize, kFixed + integers)) return -1;

  std::size_t index = 0;
  auto put = [&](std::string_view tag, std::int32_t value) {
    const std::size_t offset = layout::RecordOffset(vr::kSize, index++);
    PutAnsiText(buffer, offset + layout::kTag, layout::kTagSize, tag);
    PutInt32(buffer, offset + vr::kValue, value);
  };
  for (const auto& record : fixed) put(record.tag, record.value);
  if (summary.IsObject()) {
    for (auto it = summary.MemberBegin(); it != summary.MemberEnd(); ++it) {
      if (it->value.IsInt()) put(ToAnsi(json::MemberName(it->name)), it->value.GetInt());
    }
  }
  return BlockSize(buffer);
}

}  // namespace rqx340
