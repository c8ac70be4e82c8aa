// What the reference host checks in an exchange file before it takes it, with
// the statuses a careful host answers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/exchange_reader.h"

namespace rqx340::refhost {

struct CheckOutcome {
  int status = 0;
  std::vector<std::string> checks;  // what was found, for the log
};

// An exchange file decoded once: the reader's result, or what it found wrong.
// The reader reads the header and the blocks, never the data rows.
struct DecodedExchange {
  std::optional<ExchangeFile> file;
  ExchangeReadError error;
};
DecodedExchange DecodeExchange(const ExchangeSource& source);

// Command 2: version 5 and complete 1 (else 3), the data offset of the name file
// (else 3), the channel list (4 empty, 5 unknown id) and the quantity blocks (6).
CheckOutcome CheckStructure(const ExchangeSource& source, const DecodedExchange& decoded,
                            std::int32_t name_file_data_offset);

// Command 27: the TIME record, and a data area of rowCount x row length x 4
// bytes (else 7).
CheckOutcome CheckTimeAndData(const DecodedExchange& decoded);

// The text of record NAME, decoded from the ANSI code page; empty without one.
std::string MeasurementName(const DecodedExchange& decoded);

}  // namespace rqx340::refhost
