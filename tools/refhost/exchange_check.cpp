// The format library's reader checks a whole file at once and names the first
// field it finds wrong; the field tells which command's status it is.
#include "exchange_check.h"

#include <array>
#include <optional>

#include "base/byte_order.h"
#include "format/exchange_layout.h"
#include "format/exchange_reader.h"
#include "platform/code_page.h"

namespace rqx340::refhost {

namespace {

constexpr int kStatusBadVersion = 3;
constexpr int kStatusEmptyChannels = 4;
constexpr int kStatusUnknownChannel = 5;
constexpr int kStatusBadChannelData = 6;
constexpr int kStatusNoTimeData = 7;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The status for a reader error; nullopt for what command 27 checks (the time
// block and the data area).
std::optional<int> StructureStatus(const ExchangeReadError& error) {
  const std::string_view field = error.field;
  if (StartsWith(field, "timeRecords") || StartsWith(field, "TIME") || field == "rowCount") {
    return std::nullopt;
  }
  if (StartsWith(field, "chanBlockOffset") || StartsWith(field, "CHAN")) {
    return kStatusUnknownChannel;
  }
  if (StartsWith(field, "channelRecords")) return kStatusBadChannelData;
  for (const std::string_view list : {"CHNM", "FILT", "BAND", "WGHT", "FTNM", "STOC"}) {
    if (StartsWith(field, list)) {
      return error.message.find("lists 0 channels") != std::string::npos ? kStatusEmptyChannels
                                                                         : kStatusBadChannelData;
    }
  }
  if (StartsWith(field, "quantityBlock") || StartsWith(field, "dtimBlockOffset") ||
      StartsWith(field, "DTIM") || field == "dataOffset") {
    return kStatusBadChannelData;
  }
  return kStatusBadVersion;
}

}  // namespace

DecodedExchange DecodeExchange(const ExchangeSource& source) {
  DecodedExchange decoded;
  decoded.file = ReadExchangeFile(source, &decoded.error);
  return decoded;
}

CheckOutcome CheckStructure(const ExchangeSource& source, const DecodedExchange& decoded,
                            std::int32_t name_file_data_offset) {
  if (!decoded.file) {
    if (const auto status = StructureStatus(decoded.error)) {
      return {*status, {DescribeReadError(decoded.error)}};
    }
  }
  CheckOutcome outcome;
  outcome.checks.push_back("version 5, complete 1");
  std::int32_t data_offset = 0;
  if (decoded.file) {
    data_offset = decoded.file->header.dataOffset;
    outcome.checks.push_back(std::to_string(decoded.file->chan.value) + " channels, " +
                             std::to_string(decoded.file->quantityBlocks.size()) +
                             " quantity blocks");
  } else {
    // The header itself was read; only what command 27 looks at is wrong.
    std::array<std::byte, 4> field{};
    if (!source.ReadAt(layout::header::kDataOffset, field)) {
      return {kStatusBadVersion, {"no header"}};
    }
    data_offset = GetInt32(field, 0);
    outcome.checks.push_back("channels and quantity blocks not reached: " +
                             DescribeReadError(decoded.error));
  }
  if (data_offset != name_file_data_offset) {
    return {kStatusBadVersion,
            {"the name file gives data offset " + std::to_string(name_file_data_offset) +
             ", the header " + std::to_string(data_offset)}};
  }
  return outcome;
}

CheckOutcome CheckTimeAndData(const DecodedExchange& decoded) {
  if (!decoded.file) return {kStatusNoTimeData, {DescribeReadError(decoded.error)}};
  bool has_time = false;
  for (const auto& record : decoded.file->timeRecords) has_time = has_time || record.tag == "TIME";
  if (!has_time) return {kStatusNoTimeData, {"no TIME record"}};
  return {0,
          {"TIME record present", std::to_string(decoded.file->header.rowCount) + " rows of " +
                                      std::to_string(decoded.file->rowLength) + " values"}};
}

std::string MeasurementName(const DecodedExchange& decoded) {
  if (!decoded.file) return {};
  for (const auto& record : decoded.file->headerRecords) {
    if (record.tag == "NAME") return FromAnsi(record.text);
  }
  return {};
}

}  // namespace rqx340::refhost
