// Reads the blocks in writing order, each checked before the next is trusted;
// the first field found wrong ends the read and is named with its offset.
#include "format/exchange_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>

#include "base/byte_order.h"
#include "format/exchange_layout.h"
#include "format/record_tables.h"

namespace rqx340 {
namespace {

namespace hdr = layout::header;
namespace tr = layout::text_record;
namespace vr = layout::value_record;
namespace lr = layout::list_record;
namespace qr = layout::quantity_record;

std::string Hex(std::uint64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

constexpr std::array<std::string_view, 8> kChannelListTags = {"CHNM", "FILT", "BAND", "WGHT",
                                                              "FTNM", "STOC", "LINA", "CALB"};
constexpr std::size_t kFtnm = 4;

// A comma-separated list split into its elements.
std::vector<std::string_view> SplitList(std::string_view text) {
  std::vector<std::string_view> items;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    items.push_back(text.substr(start, comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return items;
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

class Reader {
 public:
  Reader(const ExchangeSource& source, ExchangeReadError* error)
      : m_source(source), m_error(error) {}

  std::optional<ExchangeFile> Read() {
    if (!ReadAll()) return std::nullopt;
    return std::move(m_file);
  }

 private:
  bool Fail(std::string field, std::uint64_t offset, std::string message) {
    if (m_error != nullptr) *m_error = {std::move(field), offset, std::move(message)};
    return false;
  }

  // Reads the header fields and checks every byte the format leaves zero.
  bool ReadHeader();
  // Reads a block of `record_size`-byte records at `offset`, which the header
  // field `field` gave and which must equal `expected`, the end of the block
  // before. `records` receives the records' bytes.
  bool ReadBlock(std::string_view field, std::size_t field_offset, std::uint64_t offset,
                 std::uint64_t expected, std::size_t record_size, std::vector<std::byte>& records,
                 std::size_t& count);
  // A zero-terminated, zero-padded text field.
  bool CheckText(std::span<const std::byte> record, std::uint64_t record_offset, std::size_t offset,
                 std::size_t size, const std::string& field, std::string& text);
  bool CheckZero(std::span<const std::byte> record, std::uint64_t record_offset, std::size_t offset,
                 const std::string& field);
  bool ReadAll();
  bool CheckChannelLists();

  const ExchangeSource& m_source;
  ExchangeReadError* m_error;
  ExchangeFile m_file;
  std::array<std::byte, hdr::kSize> m_header{};
};

bool Reader::ReadHeader() {
  m_file.fileSize = m_source.Size();
  if (m_file.fileSize < hdr::kSize) {
    return Fail("ExchangeFileHeader", 0,
                "the file has " + std::to_string(m_file.fileSize) +
                    " bytes, fewer than the 8480 of the header");
  }
  if (!m_source.ReadAt(0, m_header)) return Fail("ExchangeFileHeader", 0, "cannot be read");
  auto& h = m_file.header;
  h.version = GetInt32(m_header, hdr::kVersion);
  h.complete = GetInt32(m_header, hdr::kComplete);
  h.rowCount = GetInt32(m_header, hdr::kRowCount);
  h.headerRecordsOffset = GetInt32(m_header, hdr::kHeaderRecordsOffset);
  h.timeRecordsOffset = GetInt32(m_header, hdr::kTimeRecordsOffset);
  h.summaryRecordsOffset = GetInt32(m_header, hdr::kSummaryRecordsOffset);
  h.chanBlockOffset = GetInt32(m_header, hdr::kChanBlockOffset);
  h.dtimBlockOffset = GetInt32(m_header, hdr::kDtimBlockOffset);
  h.channelRecordsOffset = GetInt32(m_header, hdr::kChannelRecordsOffset);
  h.dataOffset = GetInt32(m_header, hdr::kDataOffset);

  if (h.version != hdr::kVersionValue) {
    return Fail(
        "version", hdr::kVersion,
        "is " + std::to_string(h.version) + ", expected " + std::to_string(hdr::kVersionValue));
  }
  if (h.complete != 1) {
    return Fail("complete", hdr::kComplete,
                "is " + std::to_string(h.complete) + ": the file was not finished");
  }
  if (h.rowCount < 0) return Fail("rowCount", hdr::kRowCount, "is negative");

  std::array<bool, hdr::kSize> used{};
  for (const std::size_t field :
       {hdr::kVersion, hdr::kComplete, hdr::kRowCount, hdr::kHeaderRecordsOffset,
        hdr::kTimeRecordsOffset, hdr::kSummaryRecordsOffset, hdr::kChanBlockOffset,
        hdr::kDtimBlockOffset, hdr::kChannelRecordsOffset, hdr::kDataOffset}) {
    std::fill_n(used.begin() + field, 4, true);
  }
  for (std::size_t k = 0; k < hdr::kQuantityEntries; ++k) {
    std::fill_n(used.begin() + hdr::QuantityEntry(k), 4, true);
  }
  for (std::size_t i = 0; i < hdr::kSize; ++i) {
    if (!used[i] && m_header[i] != std::byte{0}) {
      return Fail("ExchangeFileHeader", i, "a reserved byte is not 0");
    }
  }
  return true;
}

bool Reader::ReadBlock(std::string_view field, std::size_t field_offset, std::uint64_t offset,
                       std::uint64_t expected, std::size_t record_size,
                       std::vector<std::byte>& records, std::size_t& count) {
  const std::string name(field);
  if (offset != expected) {
    return Fail(name, field_offset,
                "is " + Hex(offset) + ", but the block must start at " + Hex(expected) +
                    ", right after the one before it");
  }
  std::array<std::byte, 4> count_bytes{};
  if (offset + 4 > m_file.fileSize || !m_source.ReadAt(offset, count_bytes)) {
    return Fail(name, offset, "the block's count lies outside the file");
  }
  const std::int32_t n = GetInt32(count_bytes, 0);
  if (n < 0) return Fail(name, offset, "the block's count " + std::to_string(n) + " is negative");
  const std::uint64_t size = static_cast<std::uint64_t>(n) * record_size;
  if (size > m_file.fileSize - offset - 4) {
    return Fail(name, offset,
                "the block's " + std::to_string(n) + " records of " + std::to_string(record_size) +
                    " bytes run past the end of the file");
  }
  records.resize(size);
  if (!m_source.ReadAt(offset + 4, records)) return Fail(name, offset, "cannot be read");
  count = static_cast<std::size_t>(n);
  return true;
}

bool Reader::CheckText(std::span<const std::byte> record, std::uint64_t record_offset,
                       std::size_t offset, std::size_t size, const std::string& field,
                       std::string& text) {
  const std::string_view value = GetText(record, offset, size);
  if (value.size() > TextCapacity(size)) {
    return Fail(field, record_offset + offset,
                "the text is longer than " + std::to_string(TextCapacity(size)) + " bytes");
  }
  for (std::size_t i = value.size(); i < size; ++i) {
    if (record[offset + i] != std::byte{0}) {
      return Fail(field, record_offset + offset + i, "the padding after the text is not 0");
    }
  }
  text.assign(value);
  return true;
}

bool Reader::CheckZero(std::span<const std::byte> record, std::uint64_t record_offset,
                       std::size_t offset, const std::string& field) {
  if (GetInt32(record, offset) == 0) return true;
  return Fail(field, record_offset + offset, "must be 0");
}

bool Reader::CheckChannelLists() {
  const auto& lists = m_file.channelRecords;
  const std::uint64_t base = static_cast<std::uint64_t>(m_file.header.channelRecordsOffset) + 4;
  const std::size_t channels = static_cast<std::size_t>(m_file.chan.value);
  for (std::size_t i = 0; i < lists.size(); ++i) {
    const std::uint64_t text_offset = base + lr::kSize * i + lr::kText;
    if (i >= 6) continue;  // LINA and CALB carry one value
    std::vector<std::string_view> items = SplitList(lists[i].text);
    // WGHT ends with a comma.
    if (kChannelListTags[i] == "WGHT") {
      if (items.back() != "") return Fail("WGHT", text_offset, "does not end with a comma");
      items.pop_back();
    }
    if (items.size() != channels) {
      return Fail(std::string(kChannelListTags[i]), text_offset,
                  "lists " + std::to_string(items.size()) + " channels, CHAN gives " +
                      std::to_string(channels));
    }
  }
  // Every value of a data row is a broadband value or one band of an octave
  // channel.
  const std::vector<std::string_view> band_counts = SplitList(lists[kFtnm].text);
  std::uint64_t row_length = kBroadbandValues;
  for (std::size_t c = 0; c < band_counts.size(); ++c) {
    const auto bands = ParseInt32(band_counts[c]);
    const std::uint64_t text_offset = base + lr::kSize * kFtnm + lr::kText;
    if (!bands) return Fail("FTNM", text_offset, "channel " + std::to_string(c) + " is no number");
    if (c < 4) {
      if (*bands != 0) return Fail("FTNM", text_offset, "a broadband channel has bands");
      continue;
    }
    row_length += static_cast<std::uint64_t>(std::max(*bands, 0));
  }
  m_file.rowLength = row_length;
  return true;
}

bool Reader::ReadAll() {
  if (!ReadHeader()) return false;
  auto& h = m_file.header;
  std::vector<std::byte> records;
  std::size_t count = 0;

  // Header record block.
  if (!ReadBlock("headerRecordsOffset", hdr::kHeaderRecordsOffset,
                 static_cast<std::uint32_t>(h.headerRecordsOffset), hdr::kSize, tr::kSize, records,
                 count)) {
    return false;
  }
  std::uint64_t base = static_cast<std::uint64_t>(h.headerRecordsOffset) + 4;
  for (std::size_t i = 0; i < count; ++i) {
    const std::span<const std::byte> record(records.data() + tr::kSize * i, tr::kSize);
    const std::uint64_t at = base + tr::kSize * i;
    const std::string field = "headerRecords[" + std::to_string(i) + "]";
    TextRecord text_record;
    if (!CheckText(record, at, layout::kTag, layout::kTagSize, field + ".tag", text_record.tag) ||
        !CheckText(record, at, tr::kText, tr::kTextSize, field + ".text", text_record.text)) {
      return false;
    }
    m_file.headerRecords.push_back(std::move(text_record));
  }
  std::uint64_t end = base + tr::kSize * count;

  // Time and summary record blocks, both of ValueRecords.
  const auto read_values = [&](std::string_view field, std::size_t field_offset,
                               std::int32_t offset, std::string_view name, auto& out) {
    if (!ReadBlock(field, field_offset, static_cast<std::uint32_t>(offset), end, vr::kSize, records,
                   count)) {
      return false;
    }
    const std::uint64_t first = static_cast<std::uint64_t>(offset) + 4;
    for (std::size_t i = 0; i < count; ++i) {
      const std::span<const std::byte> record(records.data() + vr::kSize * i, vr::kSize);
      typename std::remove_reference_t<decltype(out)>::value_type value;
      if (!CheckText(record, first + vr::kSize * i, layout::kTag, layout::kTagSize,
                     std::string(name) + "[" + std::to_string(i) + "].tag", value.tag)) {
        return false;
      }
      if constexpr (std::is_same_v<decltype(value.value), float>) {
        value.value = GetFloat32(record, vr::kValue);
      } else {
        value.value = GetInt32(record, vr::kValue);
      }
      out.push_back(std::move(value));
    }
    end = first + vr::kSize * count;
    return true;
  };
  if (!read_values("timeRecordsOffset", hdr::kTimeRecordsOffset, h.timeRecordsOffset, "timeRecords",
                   m_file.timeRecords) ||
      !read_values("summaryRecordsOffset", hdr::kSummaryRecordsOffset, h.summaryRecordsOffset,
                   "summaryRecords", m_file.summaryRecords)) {
    return false;
  }

  // Channel list block: exactly the eight lists, in order.
  if (!ReadBlock("channelRecordsOffset", hdr::kChannelRecordsOffset,
                 static_cast<std::uint32_t>(h.channelRecordsOffset), end, lr::kSize, records,
                 count)) {
    return false;
  }
  base = static_cast<std::uint64_t>(h.channelRecordsOffset) + 4;
  if (count != kChannelListTags.size()) {
    return Fail("channelRecords", base - 4,
                "holds " + std::to_string(count) + " records instead of 8");
  }
  for (std::size_t i = 0; i < count; ++i) {
    const std::span<const std::byte> record(records.data() + lr::kSize * i, lr::kSize);
    const std::uint64_t at = base + lr::kSize * i;
    const std::string field = "channelRecords[" + std::to_string(i) + "]";
    TextRecord list;
    if (!CheckText(record, at, layout::kTag, layout::kTagSize, field + ".tag", list.tag) ||
        !CheckText(record, at, lr::kText, lr::kTextSize, field + ".text", list.text)) {
      return false;
    }
    if (list.tag != kChannelListTags[i]) {
      return Fail(field + ".tag", at,
                  "is \"" + list.tag + "\", expected \"" + std::string(kChannelListTags[i]) + "\"");
    }
    m_file.channelRecords.push_back(std::move(list));
  }
  end = base + lr::kSize * count;

  // CHAN and DTIM: one ValueRecord each.
  const auto read_single = [&](std::string_view field, std::size_t field_offset,
                               std::int32_t offset, std::string_view tag, auto& out) {
    if (!ReadBlock(field, field_offset, static_cast<std::uint32_t>(offset), end, vr::kSize, records,
                   count)) {
      return false;
    }
    const std::uint64_t first = static_cast<std::uint64_t>(offset) + 4;
    if (count != 1) {
      return Fail(std::string(tag), first - 4,
                  "holds " + std::to_string(count) + " records instead of 1");
    }
    if (!CheckText(records, first, layout::kTag, layout::kTagSize, std::string(tag) + ".tag",
                   out.tag)) {
      return false;
    }
    if (out.tag != tag) return Fail(std::string(tag) + ".tag", first, "has the wrong tag");
    if constexpr (std::is_same_v<decltype(out.value), float>) {
      out.value = GetFloat32(records, vr::kValue);
    } else {
      out.value = GetInt32(records, vr::kValue);
    }
    end = first + vr::kSize;
    return true;
  };
  if (!read_single("chanBlockOffset", hdr::kChanBlockOffset, h.chanBlockOffset, "CHAN",
                   m_file.chan))
    return false;
  const std::uint64_t chan_value = static_cast<std::uint64_t>(h.chanBlockOffset) + 4 + vr::kValue;
  if (m_file.chan.value != 4 && m_file.chan.value != 12 && m_file.chan.value != 20) {
    return Fail("CHAN", chan_value,
                "gives " + std::to_string(m_file.chan.value) + " channels, not 4, 12 or 20");
  }
  if (!read_single("dtimBlockOffset", hdr::kDtimBlockOffset, h.dtimBlockOffset, "DTIM",
                   m_file.dtim))
    return false;
  m_file.groups = m_file.chan.value / 4;

  // Quantity blocks, one per channel; the unused entries stay 0.
  const std::size_t channels = static_cast<std::size_t>(m_file.chan.value);
  for (std::size_t k = 0; k < hdr::kQuantityEntries; ++k) {
    const std::int32_t offset = GetInt32(m_header, hdr::QuantityEntry(k));
    const std::string field = "quantityBlockOffset[" + std::to_string(k) + "]";
    if (k >= channels) {
      if (offset != 0) return Fail(field, hdr::QuantityEntry(k), "no such channel");
      continue;
    }
    h.quantityBlockOffsets.push_back(offset);
    if (!ReadBlock(field, hdr::QuantityEntry(k), static_cast<std::uint32_t>(offset), end, qr::kSize,
                   records, count)) {
      return false;
    }
    base = static_cast<std::uint64_t>(offset) + 4;
    QuantityBlock block;
    block.group = static_cast<int>(k / 4);
    block.axis = static_cast<int>(k % 4);
    for (std::size_t i = 0; i < count; ++i) {
      const std::span<const std::byte> record(records.data() + qr::kSize * i, qr::kSize);
      const std::uint64_t at = base + qr::kSize * i;
      const std::string name =
          "quantityBlocks[" + std::to_string(k) + "][" + std::to_string(i) + "]";
      QuantityRecord quantity;
      quantity.valueKind = GetInt32(record, qr::kValueKind);
      quantity.channelClass = GetInt32(record, qr::kChannelClass);
      quantity.code = GetInt32(record, qr::kCode);
      if (!CheckZero(record, at, qr::kZero1, name + ".zero") ||
          !CheckZero(record, at, qr::kZero2, name + ".zero") ||
          !CheckZero(record, at, qr::kReserved, name + ".reserved") ||
          !CheckText(record, at, qr::kName, qr::kNameSize, name + ".name", quantity.name) ||
          !CheckText(record, at, qr::kUnit, qr::kUnitSize, name + ".unit", quantity.unit)) {
        return false;
      }
      block.records.push_back(std::move(quantity));
    }
    m_file.quantityBlocks.push_back(std::move(block));
    end = base + qr::kSize * count;
  }

  if (static_cast<std::uint32_t>(h.dataOffset) != end) {
    return Fail("dataOffset", hdr::kDataOffset,
                "is " + Hex(static_cast<std::uint32_t>(h.dataOffset)) +
                    ", the last block ends at " + Hex(end));
  }
  if (!CheckChannelLists()) return false;

  // The data area: rowCount rows of rowLength float32 values, nothing after.
  const std::uint64_t data_size = m_file.fileSize - end;
  const std::uint64_t row_bytes = m_file.rowLength * 4;
  const auto rows = static_cast<std::uint64_t>(h.rowCount);
  if (rows != 0 ? (data_size % row_bytes != 0 || data_size / row_bytes != rows) : data_size != 0) {
    return Fail("rowCount", hdr::kRowCount,
                std::to_string(rows) + " rows of " + std::to_string(m_file.rowLength) +
                    " values do not match the " + std::to_string(data_size) +
                    " bytes of the data area at " + Hex(end));
  }
  return true;
}

}  // namespace

bool MemorySource::ReadAt(std::uint64_t offset, std::span<std::byte> out) const {
  if (offset > m_bytes.size() || out.size() > m_bytes.size() - offset) return false;
  if (out.empty()) return true;  // an empty block has no buffer to copy into
  std::memcpy(out.data(), m_bytes.data() + offset, out.size());
  return true;
}

Result<FileSource> FileSource::Open(const std::string& path) {
  auto file = InputFile::Open(path);
  if (!file) return Failure(file.ErrorText());
  return FileSource(std::move(*file));
}

bool FileSource::ReadAt(std::uint64_t offset, std::span<std::byte> out) const {
  if (offset > Size() || out.size() > Size() - offset) return false;
  if (out.empty()) return true;
  return m_file.Seek(offset) && m_file.ReadExactly(out);
}

std::string DescribeReadError(const ExchangeReadError& error) {
  return error.field + " (offset " + Hex(error.offset) + "): " + error.message;
}

std::optional<ExchangeFile> ReadExchangeFile(const ExchangeSource& source,
                                             ExchangeReadError* error) {
  return Reader(source, error).Read();
}

bool ReadRowValues(const ExchangeSource& source, const ExchangeFile& file, std::uint64_t row,
                   std::uint64_t first, std::span<float> out) {
  if (row >= static_cast<std::uint64_t>(file.header.rowCount) || first > file.rowLength ||
      out.size() > file.rowLength - first) {
    return false;
  }
  const std::uint64_t offset =
      static_cast<std::uint32_t>(file.header.dataOffset) + (row * file.rowLength + first) * 4;
  std::vector<std::byte> bytes(out.size() * 4);
  if (!source.ReadAt(offset, bytes)) return false;
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = GetFloat32(bytes, 4 * i);
  return true;
}

}  // namespace rqx340
