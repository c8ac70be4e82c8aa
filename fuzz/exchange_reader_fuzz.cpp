// The exchange-file reader on arbitrary bytes, as `rqx340 dump` and the
// reference host run it on files they did not write. A file it accepts must be
// exactly what its header describes, and every row of it must be readable.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "format/exchange_reader.h"
#include "fuzz_support.h"
#include "platform/code_page.h"

using namespace rqx340;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const MemorySource source(std::as_bytes(std::span(data, size)));
  ExchangeReadError error;
  const auto file = ReadExchangeFile(source, &error);
  if (!file) {
    FUZZ_CHECK(!DescribeReadError(error).empty());
    return 0;
  }
  const auto& h = file->header;
  FUZZ_CHECK(file->fileSize == size);
  FUZZ_CHECK(h.version == 5 && h.complete == 1 && h.rowCount >= 0);
  FUZZ_CHECK(file->chan.value == 4 * file->groups);
  FUZZ_CHECK(file->quantityBlocks.size() == static_cast<std::size_t>(file->chan.value));
  FUZZ_CHECK(file->channelRecords.size() == 8);
  FUZZ_CHECK(file->rowLength >= 19);
  FUZZ_CHECK(h.dataOffset >= 0 &&
             static_cast<std::uint64_t>(h.dataOffset) +
                     static_cast<std::uint64_t>(h.rowCount) * file->rowLength * 4 ==
                 size);

  // What dump prints: every text decoded from the ANSI code page.
  for (const auto& record : file->headerRecords) {
    FromAnsi(record.tag);
    FromAnsi(record.text);
  }
  for (const auto& record : file->channelRecords) FromAnsi(record.text);

  const auto rows = static_cast<std::uint64_t>(h.rowCount);
  std::vector<float> values(
      static_cast<std::size_t>(std::min<std::uint64_t>(file->rowLength, 4096)));
  for (std::uint64_t row = 0; row < std::min<std::uint64_t>(rows, 8); ++row) {
    FUZZ_CHECK(ReadRowValues(source, *file, row, 0, values));
    FUZZ_CHECK(ReadRowValues(source, *file, row, file->rowLength - 1, std::span(values).first(1)));
  }
  // Outside the file's rows nothing is read.
  FUZZ_CHECK(!ReadRowValues(source, *file, rows, 0, std::span(values).first(1)));
  FUZZ_CHECK(!ReadRowValues(source, *file, 0, file->rowLength, std::span(values).first(1)));
  return 0;
}
