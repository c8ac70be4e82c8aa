// The byte layout of the exchange file that the host reads: the fixed header
// with its table of block offsets, and the fixed-size records of the blocks.
// All offsets of the format live here and nowhere else.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rqx340::layout {

// ExchangeFileHeader; every byte not named here is 0.
namespace header {
inline constexpr std::size_t kSize = 0x2120;  // 8480
inline constexpr std::size_t kVersion = 0x000;
inline constexpr std::size_t kComplete = 0x004;
inline constexpr std::size_t kRowCount = 0x008;
inline constexpr std::size_t kHeaderRecordsOffset = 0x028;
inline constexpr std::size_t kTimeRecordsOffset = 0x02C;
inline constexpr std::size_t kSummaryRecordsOffset = 0x030;
inline constexpr std::size_t kChanBlockOffset = 0x044;
inline constexpr std::size_t kDtimBlockOffset = 0x048;
inline constexpr std::size_t kChannelRecordsOffset = 0x04C;
// Entry k at kQuantityTable + kQuantityEntrySize * k; only its first 4 bytes
// are used.
inline constexpr std::size_t kQuantityTable = 0x060;
inline constexpr std::size_t kQuantityEntrySize = 16;
inline constexpr std::size_t kQuantityEntries = 63;
inline constexpr std::size_t kDataOffset = 0x454;

inline constexpr std::int32_t kVersionValue = 5;

constexpr std::size_t QuantityEntry(std::size_t k) {
  return kQuantityTable + kQuantityEntrySize * k;
}
}  // namespace header

// Every block: an int32 count, then the records back to back.
namespace block {
inline constexpr std::size_t kCount = 0;
inline constexpr std::size_t kFirstRecord = 4;
}  // namespace block

// Every record that starts with a tag.
inline constexpr std::size_t kTag = 0;
inline constexpr std::size_t kTagSize = 32;

namespace text_record {  // header record block
inline constexpr std::size_t kSize = 288;
inline constexpr std::size_t kText = 32;
inline constexpr std::size_t kTextSize = 256;
}  // namespace text_record

namespace value_record {  // time, summary, CHAN and DTIM blocks
inline constexpr std::size_t kSize = 36;
inline constexpr std::size_t kValue = 32;
}  // namespace value_record

namespace list_record {  // channel list block
inline constexpr std::size_t kSize = 544;
inline constexpr std::size_t kText = 32;
inline constexpr std::size_t kTextSize = 512;
}  // namespace list_record

namespace quantity_record {  // quantity blocks
inline constexpr std::size_t kSize = 56;
inline constexpr std::size_t kValueKind = 0;
inline constexpr std::size_t kChannelClass = 4;
inline constexpr std::size_t kCode = 8;
inline constexpr std::size_t kZero1 = 12;
inline constexpr std::size_t kZero2 = 16;
inline constexpr std::size_t kReserved = 20;
inline constexpr std::size_t kName = 24;
inline constexpr std::size_t kNameSize = 16;
inline constexpr std::size_t kUnit = 40;
inline constexpr std::size_t kUnitSize = 16;

inline constexpr std::int32_t kValueKindValue = 3;
inline constexpr std::int32_t kBroadbandClass = 1;
inline constexpr std::int32_t kOctaveClass = 11;
}  // namespace quantity_record

// Start of record `index` in a block of records of `record_size` bytes.
constexpr std::size_t RecordOffset(std::size_t record_size, std::size_t index) {
  return block::kFirstRecord + record_size * index;
}

// The small fixed blocks after the channel list.
inline constexpr std::size_t kChanBlockSize = block::kFirstRecord + value_record::kSize;  // 40
inline constexpr std::size_t kDtimBlockSize = block::kFirstRecord + value_record::kSize;  // 40

}  // namespace rqx340::layout
