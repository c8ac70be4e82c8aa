// One pass over the file: an unfinished header, the record blocks, the rows
// streamed from the document, then the finished header written over the first.
#include "format/exchange_writer.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "base/byte_order.h"
#include "format/exchange_layout.h"
#include "format/json_access.h"
#include "format/record_blocks.h"
#include "format/record_tables.h"

namespace rqx340 {
namespace {

namespace hdr = layout::header;
namespace vr = layout::value_record;

constexpr std::uint64_t kMaxOffset = std::numeric_limits<std::int32_t>::max();

// The values of one time-history row; whatever is not a number inside the row
// reads as 0.0, so no column index or octave range can read past a row.
class RowValues {
 public:
  explicit RowValues(const rapidjson::Value& row)
      : m_elements(row.IsArray() ? row.Begin() : nullptr),
        m_nSize(row.IsArray() ? row.Size() : 0) {}

  float At(std::int64_t index) const {
    if (index < 0 || static_cast<std::uint64_t>(index) >= m_nSize) return 0.0f;
    const rapidjson::Value& value = m_elements[index];
    return value.IsNumber() ? static_cast<float>(value.GetDouble()) : 0.0f;
  }

 private:
  const rapidjson::Value* m_elements;
  std::uint64_t m_nSize;
};

// The vector sum of one octave band, in the host's arithmetic: squares and sums
// in single precision, (x² + y²) + z², the root in double precision.
float BandSum(float x, float y, float z) {
  float squares = x * x + y * y;
  squares = squares + z * z;
  return static_cast<float>(std::sqrt(static_cast<double>(squares)));
}

struct OctaveSet {
  std::int64_t start = 0;
  std::int64_t bands = 0;  // below 0 counts as none
};

OctaveSet ReadOctaveSet(const rapidjson::Value& columns, std::string_view start_key,
                        std::string_view count_key) {
  return {json::GetInt(json::Member(columns, start_key)),
          std::max<std::int64_t>(0, json::GetInt(json::Member(columns, count_key)))};
}

// Band j of a set occupies the six values from start + 6j: X, Y, Z rms, then X,
// Y, Z peak. The file takes them axis by axis: X rms of every band, Y rms, Z
// rms, SUM rms, then the same for peak. The bands are streamed, never
// collected, so a band count however large costs no memory.
void WriteOctaveSet(BufferedWriter& out, const RowValues& row, const OctaveSet& set) {
  constexpr std::int64_t kCheckEvery = 4096;
  for (int statistic = 0; statistic < 2; ++statistic) {
    const std::int64_t first = set.start + 3 * statistic;
    for (int axis = 0; axis < 4; ++axis) {
      for (std::int64_t j = 0; j < set.bands; ++j) {
        const std::int64_t base = first + 6 * j;
        out.WriteFloat32(axis < 3 ? row.At(base + axis)
                                  : BandSum(row.At(base), row.At(base + 1), row.At(base + 2)));
        if (j % kCheckEvery == kCheckEvery - 1 && out.Failed()) return;
      }
      if (out.Failed()) return;
    }
  }
}

// The time-history column of each broadband value, in row order: for the axes
// x, y, z, sum the quantities rms, peak, vdv, min, max (no vdv_sum).
std::array<std::int32_t, kBroadbandValues> ReadColumnList(const rapidjson::Value& columns) {
  std::array<std::int32_t, kBroadbandValues> list{};
  std::size_t i = 0;
  std::string name;
  for (std::size_t axis = 0; axis < kAxes; ++axis) {
    for (std::size_t q = 0; q < kQuantities.size(); ++q) {
      if (q == kVdvQuantity && axis == kSumAxis) continue;
      name.assign(kQuantities[q].name);
      name += kAxisSuffixes[axis];
      list[i++] = json::GetInt(json::Member(columns, name));
    }
  }
  return list;
}

class ExchangeFileWriter {
 public:
  ExchangeFileWriter(ByteSink& sink) : m_out(sink) {}

  ExchangeWriteResult Write(const rapidjson::Value& document, std::string_view name,
                            ProgressSink& progress, MessagePump& pump);

 private:
  // Notes where the next block starts in `field` and writes it.
  bool WriteBlock(std::size_t field, std::int32_t size);
  bool NoteOffset(std::size_t field);
  ExchangeWriteResult Fail(ExchangeWriteStatus status) {
    m_result.status = status;
    return m_result;
  }

  BufferedWriter m_out;
  std::array<std::byte, hdr::kSize> m_header{};
  BlockBuffer m_block;
  bool m_bTooLarge = false;
  ExchangeWriteResult m_result;
};

bool ExchangeFileWriter::NoteOffset(std::size_t field) {
  if (m_out.Position() > kMaxOffset) {
    m_bTooLarge = true;
    return false;
  }
  PutInt32(m_header, field, static_cast<std::int32_t>(m_out.Position()));
  return true;
}

bool ExchangeFileWriter::WriteBlock(std::size_t field, std::int32_t size) {
  if (size < 0) {
    m_bTooLarge = true;
    return false;
  }
  if (!NoteOffset(field)) return false;
  m_out.Write(m_block);
  return !m_out.Failed();
}

ExchangeWriteResult ExchangeFileWriter::Write(const rapidjson::Value& document,
                                              std::string_view name, ProgressSink& progress,
                                              MessagePump& pump) {
  const ChannelLayout channels = ReadChannelLayout(document);
  const auto& history = json::Member(document, "TimeHistory");
  const std::size_t rows = json::ArraySize(history);
  if (rows > kMaxOffset) return Fail(ExchangeWriteStatus::kTooLarge);

  progress.SetPos(0);
  progress.SetStep(1);
  progress.SetRange(0, static_cast<std::int32_t>(rows));

  // The first header marks the file unfinished until the last write.
  PutInt32(m_header, hdr::kVersion, hdr::kVersionValue);
  m_out.Write(m_header);
  if (!m_out.Flush()) return Fail(ExchangeWriteStatus::kWriteFailed);

  const auto& columns = json::Member(document, "TimeHistoryColumns");
  bool ok = WriteBlock(hdr::kHeaderRecordsOffset, BuildHeaderBlock(m_block, document, name)) &&
            WriteBlock(hdr::kTimeRecordsOffset, BuildTimeBlock(m_block, document));
  const auto column_list = ReadColumnList(columns);
  ok = ok && WriteBlock(hdr::kSummaryRecordsOffset, BuildSummaryBlock(m_block, document)) &&
       WriteBlock(hdr::kChannelRecordsOffset, BuildChannelBlock(m_block, document));

  // CHAN: the number of channels; DTIM: the time step, always 1.0.
  const int groups = channels.Groups();
  const auto put_value_block = [&](std::string_view tag, auto value) {
    m_block.assign(layout::kChanBlockSize, std::byte{0});
    PutInt32(m_block, layout::block::kCount, 1);
    PutText(m_block, layout::block::kFirstRecord + layout::kTag, layout::kTagSize, tag);
    if constexpr (std::is_same_v<decltype(value), float>) {
      PutFloat32(m_block, layout::block::kFirstRecord + vr::kValue, value);
    } else {
      PutInt32(m_block, layout::block::kFirstRecord + vr::kValue, value);
    }
    return static_cast<std::int32_t>(m_block.size());
  };
  ok = ok && WriteBlock(hdr::kChanBlockOffset, put_value_block("CHAN", 4 * groups)) &&
       WriteBlock(hdr::kDtimBlockOffset, put_value_block("DTIM", 1.0f));
  for (int group = 0; ok && group < groups; ++group) {
    for (int axis = 0; ok && axis < 4; ++axis) {
      ok = WriteBlock(hdr::QuantityEntry(static_cast<std::size_t>(4 * group + axis)),
                      BuildQuantityBlock(m_block, group, axis));
    }
  }
  ok = ok && NoteOffset(hdr::kDataOffset);
  if (!ok)
    return Fail(m_bTooLarge ? ExchangeWriteStatus::kTooLarge : ExchangeWriteStatus::kWriteFailed);
  m_result.dataOffset = GetInt32(m_header, hdr::kDataOffset);
  m_block = BlockBuffer();

  const OctaveSet full =
      channels.fullOctave ? ReadOctaveSet(columns, "OBA1_1_Start", "OBA1_1_Count") : OctaveSet{};
  const OctaveSet third =
      channels.thirdOctave ? ReadOctaveSet(columns, "OBA1_3_Start", "OBA1_3_Count") : OctaveSet{};
  std::int32_t stop = 0;
  for (std::size_t r = 0; r < rows; ++r) {
    progress.StepIt();
    pump.PumpPendingMessages(&stop);
    if (stop != 0) return Fail(ExchangeWriteStatus::kStopped);
    const RowValues row(history[static_cast<rapidjson::SizeType>(r)]);
    for (const std::int32_t column : column_list) m_out.WriteFloat32(row.At(column));
    if (channels.fullOctave) WriteOctaveSet(m_out, row, full);
    if (channels.thirdOctave) WriteOctaveSet(m_out, row, third);
    if (m_out.Failed()) return Fail(ExchangeWriteStatus::kWriteFailed);
    ++m_result.rowCount;
  }

  PutInt32(m_header, hdr::kComplete, 1);
  PutInt32(m_header, hdr::kRowCount, m_result.rowCount);
  if (!m_out.WriteAt(0, m_header)) return Fail(ExchangeWriteStatus::kWriteFailed);
  return m_result;
}

}  // namespace

ExchangeWriteResult WriteExchangeFile(ByteSink& sink, const rapidjson::Value& document,
                                      std::string_view name, ProgressSink& progress,
                                      MessagePump& pump) {
  ExchangeFileWriter writer(sink);
  return writer.Write(document, name, progress, pump);
}

std::string_view DescribeWriteStatus(ExchangeWriteStatus status) {
  switch (status) {
    case ExchangeWriteStatus::kOk:
      return "written";
    case ExchangeWriteStatus::kWriteFailed:
      return "the exchange file could not be written";
    case ExchangeWriteStatus::kTooLarge:
      return "the measurement is too large for the exchange file";
    case ExchangeWriteStatus::kStopped:
      return "the conversion was stopped";
  }
  return "unknown error";
}

}  // namespace rqx340
