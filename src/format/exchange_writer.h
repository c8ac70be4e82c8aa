// Writes the exchange file of one measurement: the header, the record blocks in
// the host's order, then one row of float32 values per time-history entry, and
// finally the header again with every offset and `complete` = 1. A file whose
// writing failed keeps `complete` = 0 and must not be handed to the host.
#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <limits>
#include <string_view>

#include "base/progress.h"
#include "format/byte_sink.h"
#include "format/record_blocks.h"
#include "format/record_tables.h"
#include "format/row_layout.h"
#include "format/row_source.h"

namespace rqx340 {

// The format's offsets and counts are signed 32-bit: no exchange file may be
// larger.
inline constexpr std::uint64_t kMaxExchangeFileSize = std::numeric_limits<std::int32_t>::max();

enum class ExchangeWriteStatus {
  kOk,
  kWriteFailed,  // the sink refused a write (disk full, I/O error)
  kTooLarge,     // the file would pass kMaxExchangeFileSize; nothing was written
  kStopped,      // the pump set the stop flag
};

struct ExchangeWriteResult {
  ExchangeWriteStatus status = ExchangeWriteStatus::kOk;
  std::int32_t dataOffset = 0;  // where the data rows start, for the name file
  std::int32_t rowCount = 0;
  bool Ok() const { return status == ExchangeWriteStatus::kOk; }
};

// Everything of one exchange file except its data rows, built in memory, and
// the size the whole file will have. It is made before the file is created or
// a byte of it written, so that a measurement whose file would not fit the
// format is refused before anything is allocated in proportion to a count it
// gives (a 138-byte file can ask for gigabytes per row) or written. It reads
// `rows`, which must outlive it.
class ExchangeFilePlan {
 public:
  // `name` (UTF-8) is the text of record NAME, the measurement's file name.
  // `document` may be the null document of a file that did not parse.
  ExchangeFilePlan(const rapidjson::Value& document, const RowSource& rows, std::string_view name);

  // How each data row is made from a time-history row.
  const RowLayout& Layout() const { return m_layout; }

  // The bytes the file will have; the largest uint64 when even that is too few.
  std::uint64_t FileSize() const { return m_nFileSize; }
  bool Fits() const { return m_nFileSize <= kMaxExchangeFileSize; }

 private:
  friend class ExchangeFileWriter;

  const RowSource& m_rows;
  BlockBuffer m_headerBlock;
  BlockBuffer m_timeBlock;
  BlockBuffer m_summaryBlock;
  BlockBuffer m_channelBlock;
  RowLayout m_layout;
  std::uint64_t m_nFileSize = 0;
};

// Writes the planned file to `sink`, which must be empty and positioned at 0.
// A plan that does not fit gives kTooLarge and writes nothing. Progress:
// position 0, step 1, range 0 .. rows, then one step and one pump per row.
// When the pump sets the stop flag the writing ends there, unfinished.
ExchangeWriteResult WriteExchangeFile(ByteSink& sink, const ExchangeFilePlan& plan,
                                      ProgressSink& progress, MessagePump& pump);

// Plans and writes in one go.
ExchangeWriteResult WriteExchangeFile(ByteSink& sink, const rapidjson::Value& document,
                                      const RowSource& rows, std::string_view name,
                                      ProgressSink& progress, MessagePump& pump);

// A short English description of a failed status, for messages.
std::string_view DescribeWriteStatus(ExchangeWriteStatus status);

}  // namespace rqx340
