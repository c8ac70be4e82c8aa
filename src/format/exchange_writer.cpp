// One pass over the file: an unfinished header, the record blocks, the rows
// expanded from the packed time history, then the finished header written over
// the first. The size of the whole file is known before the first byte.
#include "format/exchange_writer.h"

#include <cmath>
#include <string>

#include "base/byte_order.h"
#include "format/block_buffer.h"
#include "format/exchange_layout.h"
#include "format/record_tables.h"

namespace rqx340 {

namespace {

namespace hdr = layout::header;
namespace vr = layout::value_record;

constexpr std::uint64_t kNoSize = ~std::uint64_t{0};

// a + b and a * b, or kNoSize when they do not fit.
std::uint64_t AddSizes(std::uint64_t a, std::uint64_t b) {
  return a > kNoSize - b ? kNoSize : a + b;
}
std::uint64_t MultiplySizes(std::uint64_t a, std::uint64_t b) {
  return b != 0 && a > kNoSize / b ? kNoSize : a * b;
}

// The block size a builder returned, or kNoSize for a block it refused.
std::uint64_t BlockBytes(std::int32_t size) {
  return size < 0 ? kNoSize : static_cast<std::uint64_t>(size);
}

}  // namespace

ExchangeFilePlan::ExchangeFilePlan(const rapidjson::Value& document, const RowSource& rows,
                                   std::string_view name)
    : m_rows(rows), m_layout(document) {
  std::uint64_t size = hdr::kSize;
  size = AddSizes(size, BlockBytes(BuildHeaderBlock(m_headerBlock, document, name)));
  size = AddSizes(size, BlockBytes(BuildTimeBlock(m_timeBlock, document)));
  size = AddSizes(size, BlockBytes(BuildSummaryBlock(m_summaryBlock, document, rows)));
  size = AddSizes(size, BlockBytes(BuildChannelBlock(m_channelBlock, document)));
  size = AddSizes(size, 2 * layout::kChanBlockSize);  // CHAN and DTIM
  BlockBuffer quantities;
  for (int group = 0; group < m_layout.Channels().Groups(); ++group) {
    for (int axis = 0; axis < 4; ++axis) {
      size = AddSizes(size, BlockBytes(BuildQuantityBlock(quantities, group, axis)));
    }
  }
  m_nFileSize = AddSizes(
      size, MultiplySizes(rows.RowCount(), MultiplySizes(m_layout.RowValues(), sizeof(float))));
}

class ExchangeFileWriter {
 public:
  ExchangeFileWriter(ByteSink& sink, const ExchangeFilePlan& plan) : m_out(sink), m_plan(plan) {}

  ExchangeWriteResult Write(ProgressSink& progress, MessagePump& pump);

 private:
  // Notes where the next block starts in `field` and writes it.
  bool WriteBlock(std::size_t field, std::span<const std::byte> block);
  bool NoteOffset(std::size_t field);
  // One data row: the broadband values, then each octave set present.
  void WriteRow(std::span<const float> row);
  ExchangeWriteResult Fail(ExchangeWriteStatus status) {
    m_result.status = status;
    return m_result;
  }

  BufferedWriter m_out;
  const ExchangeFilePlan& m_plan;
  std::array<std::byte, hdr::kSize> m_header{};
  ExchangeWriteResult m_result;
};

bool ExchangeFileWriter::NoteOffset(std::size_t field) {
  // The plan has checked the size; this only keeps a wrong plan from wrapping.
  if (m_out.Position() > kMaxExchangeFileSize) return false;
  PutInt32(m_header, field, static_cast<std::int32_t>(m_out.Position()));
  return true;
}

bool ExchangeFileWriter::WriteBlock(std::size_t field, std::span<const std::byte> block) {
  if (!NoteOffset(field)) return false;
  m_out.Write(block);
  return !m_out.Failed();
}

void ExchangeFileWriter::WriteRow(std::span<const float> row) {
  const std::uint64_t bytes = m_plan.m_layout.RowValues() * sizeof(float);
  if (bytes <= BufferedWriter::kDefaultCapacity) {
    // The usual row goes into the output buffer in one piece.
    const std::span<std::byte> out = m_out.Reserve(static_cast<std::size_t>(bytes));
    if (out.empty()) return;
    std::size_t offset = 0;
    m_plan.m_layout.ExpandRow(row, [&](float value) {
      PutFloat32(out, offset, value);
      offset += 4;
      return true;
    });
    m_out.Commit(out.size());
    return;
  }
  // A row longer than the buffer (a huge band count) is streamed, and ends
  // early once the output has failed.
  std::uint64_t count = 0;
  m_plan.m_layout.ExpandRow(row, [&](float value) {
    m_out.WriteFloat32(value);
    return ++count % 4096 != 0 || !m_out.Failed();
  });
}

ExchangeWriteResult ExchangeFileWriter::Write(ProgressSink& progress, MessagePump& pump) {
  if (!m_plan.Fits()) return Fail(ExchangeWriteStatus::kTooLarge);
  const std::uint64_t rows = m_plan.m_rows.RowCount();
  progress.SetPos(0);
  progress.SetStep(1);
  progress.SetRange(0, static_cast<std::int32_t>(rows));

  // The first header marks the file unfinished until the last write.
  PutInt32(m_header, hdr::kVersion, hdr::kVersionValue);
  m_out.Write(m_header);
  if (!m_out.Flush()) return Fail(ExchangeWriteStatus::kWriteFailed);

  bool ok = WriteBlock(hdr::kHeaderRecordsOffset, m_plan.m_headerBlock) &&
            WriteBlock(hdr::kTimeRecordsOffset, m_plan.m_timeBlock) &&
            WriteBlock(hdr::kSummaryRecordsOffset, m_plan.m_summaryBlock) &&
            WriteBlock(hdr::kChannelRecordsOffset, m_plan.m_channelBlock);

  // CHAN: the number of channels; DTIM: the time step, always 1.0.
  const int groups = m_plan.m_layout.Channels().Groups();
  BlockBuffer block;
  const auto value_block = [&](std::string_view tag, auto value) -> std::span<const std::byte> {
    block.assign(layout::kChanBlockSize, std::byte{0});
    PutInt32(block, layout::block::kCount, 1);
    PutAnsiText(block, layout::block::kFirstRecord + layout::kTag, layout::kTagSize, tag);
    if constexpr (std::is_same_v<decltype(value), float>) {
      PutFloat32(block, layout::block::kFirstRecord + vr::kValue, value);
    } else {
      PutInt32(block, layout::block::kFirstRecord + vr::kValue, value);
    }
    return block;
  };
  ok = ok && WriteBlock(hdr::kChanBlockOffset, value_block("CHAN", 4 * groups)) &&
       WriteBlock(hdr::kDtimBlockOffset, value_block("DTIM", 1.0f));
  for (int group = 0; ok && group < groups; ++group) {
    for (int axis = 0; ok && axis < 4; ++axis) {
      BuildQuantityBlock(block, group, axis);
      ok = WriteBlock(hdr::QuantityEntry(static_cast<std::size_t>(4 * group + axis)), block);
    }
  }
  ok = ok && NoteOffset(hdr::kDataOffset);
  if (!ok) return Fail(ExchangeWriteStatus::kWriteFailed);
  m_result.dataOffset = GetInt32(m_header, hdr::kDataOffset);

  std::int32_t stop = 0;
  ExchangeWriteStatus status = ExchangeWriteStatus::kOk;
  m_plan.m_rows.ForEachRow([&](const RowView& row) {
    progress.StepIt();
    pump.PumpPendingMessages(&stop);
    if (stop != 0) {
      status = ExchangeWriteStatus::kStopped;
      return false;
    }
    WriteRow(row.values);
    if (m_out.Failed()) {
      status = ExchangeWriteStatus::kWriteFailed;
      return false;
    }
    ++m_result.rowCount;
    return true;
  });
  if (status != ExchangeWriteStatus::kOk) return Fail(status);

  PutInt32(m_header, hdr::kComplete, 1);
  PutInt32(m_header, hdr::kRowCount, m_result.rowCount);
  if (!m_out.WriteAt(0, m_header)) return Fail(ExchangeWriteStatus::kWriteFailed);
  return m_result;
}

ExchangeWriteResult WriteExchangeFile(ByteSink& sink, const ExchangeFilePlan& plan,
                                      ProgressSink& progress, MessagePump& pump) {
  ExchangeFileWriter writer(sink, plan);
  return writer.Write(progress, pump);
}

ExchangeWriteResult WriteExchangeFile(ByteSink& sink, const rapidjson::Value& document,
                                      const RowSource& rows, std::string_view name,
                                      ProgressSink& progress, MessagePump& pump) {
  const ExchangeFilePlan plan(document, rows, name);
  return WriteExchangeFile(sink, plan, progress, pump);
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
