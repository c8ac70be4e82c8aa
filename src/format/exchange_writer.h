// Writes the exchange file of one measurement: the header, the record blocks in
// the host's order, then one row of float32 values per time-history entry, and
// finally the header again with every offset and `complete` = 1. A file whose
// writing failed keeps `complete` = 0 and must not be handed to the host.
#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <string_view>

#include "base/progress.h"
#include "format/byte_sink.h"

namespace rqx340 {

enum class ExchangeWriteStatus {
  kOk,
  kWriteFailed,  // the sink refused a write (disk full, I/O error)
  kTooLarge,     // an offset or count would not fit the format's 32-bit fields
  kStopped,      // the pump set the stop flag
};

struct ExchangeWriteResult {
  ExchangeWriteStatus status = ExchangeWriteStatus::kOk;
  std::int32_t dataOffset = 0;  // where the data rows start, for the name file
  std::int32_t rowCount = 0;
  bool Ok() const { return status == ExchangeWriteStatus::kOk; }
};

// Writes the whole file to `sink`, which must be empty and positioned at 0.
// `name` (UTF-8) is the text of record NAME, the measurement's file name.
// `document` may be the null document of a file that did not parse. Progress:
// position 0, step 1, range 0 .. rows, then one step and one pump per row.
// When the pump sets the stop flag the writing ends there, unfinished.
ExchangeWriteResult WriteExchangeFile(ByteSink& sink, const rapidjson::Value& document,
                                      std::string_view name, ProgressSink& progress,
                                      MessagePump& pump);

// A short English description of a failed status, for messages.
std::string_view DescribeWriteStatus(ExchangeWriteStatus status);

}  // namespace rqx340
