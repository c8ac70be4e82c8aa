// The channel list block and the quantity block of each channel.
#include <string>

#include "format/block_buffer.h"
#include "format/json_access.h"
#include "format/record_tables.h"
#include "platform/code_page.h"

namespace rqx340 {
namespace {

namespace lr = layout::list_record;
namespace qr = layout::quantity_record;

constexpr std::size_t kListRecords = 8;

struct ChannelLists {
  std::string names = "X,Y,Z,SUM";
  std::string filters = "0,0,0,0";
  std::string bands = "0,0,0,0";
  std::string weightings;
  std::string band_counts = "0,0,0,0";
  std::string octave_kinds = "0,0,0,0";
};

// The eight channels of one octave set: rms X, Y, Z, SUM, then peak X, Y, Z, SUM.
void AppendOctaveSet(ChannelLists& lists, std::string_view names, std::string_view band,
                     std::int32_t band_count, std::string_view kind,
                     const std::string_view (&weightings)[3]) {
  lists.names += ',';
  lists.names += names;
  for (int channel = 0; channel < 8; ++channel) {
    const int axis = channel % 4;
    lists.filters += ",1";
    lists.bands += ',';
    lists.bands += band;
    lists.octave_kinds += ',';
    lists.octave_kinds += kind;
    lists.band_counts += ',';
    lists.band_counts += std::to_string(band_count);
    lists.weightings += ',';
    // The sum channels carry no weighting of their own: a single space.
    lists.weightings += axis == 3 ? std::string_view(" ") : weightings[axis];
  }
}

}  // namespace

ChannelLayout ReadChannelLayout(const rapidjson::Value& document) {
  const auto& props = json::MeasProperties(document);
  ChannelLayout channel_layout;
  channel_layout.fullOctave = json::IsFlagSet(json::Member(props, "TAG_FULL_OCTAVE_54"));
  channel_layout.thirdOctave = json::IsFlagSet(json::Member(props, "TAG_THIRD_OCTAVE_55"));
  return channel_layout;
}

std::int32_t BuildChannelBlock(BlockBuffer& buffer, const rapidjson::Value& document) {
  const auto& props = json::MeasProperties(document);
  const auto& columns = json::Member(document, "TimeHistoryColumns");
  std::string_view weightings[3];
  for (std::size_t axis = 0; axis < 3; ++axis) {
    weightings[axis] = WeightingName(json::GetInt(json::Member(props, kWeightingKeys[axis])));
  }

  ChannelLists lists;
  lists.weightings = std::string(weightings[0]) + ',' + std::string(weightings[1]) + ',' +
                     std::string(weightings[2]) + ", ";
  const ChannelLayout channel_layout = ReadChannelLayout(document);
  if (channel_layout.fullOctave) {
    AppendOctaveSet(lists,
                    "1/1 X rms,1/1 Y rms,1/1 Z rms,1/1 SUM rms,"
                    "1/1 X peak,1/1 Y peak,1/1 Z peak,1/1 SUM peak",
                    "0", json::GetInt(json::Member(columns, "OBA1_1_Count")), "-1", weightings);
  }
  if (channel_layout.thirdOctave) {
    AppendOctaveSet(lists,
                    "1/3 X rms,1/3 Y rms,1/3 Z rms,1/3 SUM rms,"
                    "1/3 X peak,1/3 Y peak,1/3 Z peak,1/3 SUM peak",
                    "1", json::GetInt(json::Member(columns, "OBA1_3_Count")), "-3", weightings);
  }
  lists.weightings += ',';

  StartBlock(buffer, lr::kSize, kListRecords);
  const std::pair<std::string_view, const std::string*> records[kListRecords] = {
      {"CHNM", &lists.names},
      {"FILT", &lists.filters},
      {"BAND", &lists.bands},
      {"WGHT", &lists.weightings},
      {"FTNM", &lists.band_counts},
      {"STOC", &lists.octave_kinds},
      {"LINA", nullptr},
      {"CALB", nullptr}};
  for (std::size_t i = 0; i < kListRecords; ++i) {
    const std::size_t offset = layout::RecordOffset(lr::kSize, i);
    PutAnsiText(buffer, offset + layout::kTag, layout::kTagSize, records[i].first);
    // The lists are ASCII; the conversion keeps them as they are.
    PutAnsiText(buffer, offset + lr::kText, lr::kTextSize,
                records[i].second != nullptr ? ToAnsi(*records[i].second) : std::string("0"));
  }
  return BlockSize(buffer);
}

std::int32_t BuildQuantityBlock(BlockBuffer& buffer, int group, int axis) {
  const bool broadband = group == 0;
  std::size_t count = 0;
  Quantity quantities[kQuantities.size()];
  if (broadband) {
    for (std::size_t q = 0; q < kQuantities.size(); ++q) {
      if (q == kVdvQuantity && axis == static_cast<int>(kSumAxis)) continue;
      quantities[count++] = kQuantities[q];
    }
  } else {
    // Octave groups come in pairs: rms (odd group), then peak (even group).
    quantities[count++] = kQuantities[group % 2 == 1 ? 0 : 1];
  }
  StartBlock(buffer, qr::kSize, count);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t offset = layout::RecordOffset(qr::kSize, k);
    PutInt32(buffer, offset + qr::kValueKind, qr::kValueKindValue);
    PutInt32(buffer, offset + qr::kChannelClass,
             broadband ? qr::kBroadbandClass : qr::kOctaveClass);
    PutInt32(buffer, offset + qr::kCode, quantities[k].code);
    PutAnsiText(buffer, offset + qr::kName, qr::kNameSize, quantities[k].name);
    PutAnsiText(buffer, offset + qr::kUnit, qr::kUnitSize, "m/s2");
  }
  return BlockSize(buffer);
}

}  // namespace rqx340
