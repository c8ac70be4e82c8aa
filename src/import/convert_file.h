// Reading a measurement file whole, and converting one into an exchange file
// on disk without a host: `rqx340 convert`, and whatever else wants the
// exchange file of one measurement.
#pragma once

#include <rapidjson/document.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/progress.h"
#include "base/result.h"
#include "format/packed_rows.h"
#include "platform/input_file.h"

namespace rqx340 {

// One measurement file read whole: everything but the time history as a
// document, and the rows packed.
struct MeasurementContent {
  rapidjson::Document document;
  PackedRows rows;
  rapidjson::ParseResult parse;  // the syntax error and its offset, when there was one
};

enum class ReadOutcome {
  kRead,        // the whole file was parsed (a syntax error gives the null document, no rows)
  kReadFailed,  // reading the file failed part way
  kStopped,     // the pump set the stop flag; the content is of no use
};

// The full parse of the open measurement file into `content`, through `buffer`
// (kReadBufferSize bytes): each block read is one progress step and one pump.
ReadOutcome ReadMeasurementFile(InputFile& file, std::span<char> buffer, ProgressSink& progress,
                                MessagePump& pump, MeasurementContent& content);

enum class ConvertStatus {
  kWritten,
  kNotReadable,  // IN is missing, unreadable or not a regular file
  kReadFailed,   // reading IN failed part way
  kNotWritten,   // OUT could not be written; the result says why
  kTooLarge,     // the exchange file would not fit the format; nothing was written
  kStopped,      // the pump set the stop flag; OUT is as it was and nothing is left
};

struct ConvertResult {
  ConvertStatus status = ConvertStatus::kWritten;
  std::string error;  // for kNotWritten: the system's reason, or what the writer refused
  std::uint64_t exchangeFileSize = 0;  // for kTooLarge: the bytes it would have had
};

// Hears the steps of ConvertFile, for labels and messages.
class ConvertObserver {
 public:
  virtual ~ConvertObserver() = default;
  virtual void Reading() {}
  // IN is not valid JSON; it is converted as the empty measurement, as the
  // import converts it.
  virtual void NotValidJson(std::size_t /*offset*/, rapidjson::ParseErrorCode /*error*/) {}
  virtual void Converting() {}
};

// Opens IN and reads it whole into `content`, with the progress bar over its
// blocks (hidden again unless the read succeeded); IN is closed on return. A
// failure is IN missing, unreadable or not a regular file.
Result<ReadOutcome> ReadMeasurementPath(const std::string& in, ProgressSink& progress,
                                        MessagePump& pump, ConvertObserver& observer,
                                        MeasurementContent& content);

// Parses the measurement file `in` and writes its exchange file to `out` as a
// replacement file: complete or not at all, a link followed, a FIFO or a
// device written through, anything else that is not a file refused.
// `name` (UTF-8) is the text of record NAME. The progress bar shows the
// reading (range size / 65536) and then the conversion, and is hidden at the
// end.
ConvertResult ConvertFile(const std::string& in, const std::string& out, std::string_view name,
                          ProgressSink& progress, MessagePump& pump, ConvertObserver& observer);

}  // namespace rqx340
