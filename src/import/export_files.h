// The data of one measurement in formats other tools read: the time history as
// CSV, with exactly the values of the exchange file, and the raw signal as a
// 3-channel IEEE-float WAV. Both are written as replacement files, complete or
// not at all, with the output rules of ConvertFile.
#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "base/progress.h"
#include "format/byte_sink.h"
#include "format/row_source.h"
#include "import/convert_file.h"
#include "platform/replacement_file.h"

namespace rqx340 {

enum class ExportStatus {
  kWritten,
  kNotReadable,  // IN (or its raw data file) is missing, unreadable or not a regular file
  kReadFailed,   // reading failed part way
  kNotWritten,   // OUT could not be written; the result says why
  kTooLarge,     // the output would be larger than allowed; nothing was written
  kNoRawData,    // the measurement stores no raw data, or its raw data file is missing
  kStopped,      // the pump set the stop flag; OUT is as it was and nothing is left
};

struct ExportResult {
  ExportStatus status = ExportStatus::kWritten;
  std::string error;    // kNotWritten: why; kTooLarge, kNoRawData: what was refused
  std::string rawPath;  // for a WAV: the raw data file read
};

// A CSV line may not pass this many bytes, the same bound as the exchange file:
// a file of a few bytes can ask for billions of octave bands, and with them a
// header line of any length, even without a row.
inline constexpr std::uint64_t kMaxCsvLineSize = 2147483647;

// RFC 4180 text of the time history of a parsed measurement: a header line,
// then per row its index from 0 and the float32 values of its exchange-file
// data row, each as the shortest text that reads back to the same float32.
// CRLF line ends, '.' as the decimal point. Refused (kTooLarge) when the
// exchange file would not fit its format or a line would pass kMaxCsvLineSize.
// Progress: one step and one pump per row. kNotWritten when `sink` refused a
// write, with the error text empty.
ExportResult WriteCsv(const rapidjson::Value& document, const RowSource& rows,
                      std::string_view name, ByteSink& sink, ProgressSink& progress,
                      MessagePump& pump);

// WriteCsv into a replacement file of `out`. A user interface thread passes
// ReaderWait::kRefuse: a FIFO at `out` without a reader is then refused at once
// (kNotWritten, "no program is reading from ...") instead of waited for.
ExportResult WriteCsvFile(const rapidjson::Value& document, const RowSource& rows,
                          std::string_view name, const std::string& out, ProgressSink& progress,
                          MessagePump& pump, ReaderWait wait = ReaderWait::kWait);

// Parses `in` and writes its CSV; the observer hears Reading, NotValidJson and
// Converting (the writing), as with ConvertFile.
ExportResult ExportCsv(const std::string& in, const std::string& out, ProgressSink& progress,
                       MessagePump& pump, ConvertObserver& observer);

// The WAV file: 58-byte header (RIFF, fmt with the 18-byte WAVEFORMATEX of
// 3-channel 32-bit IEEE float at 7162 Hz, fact, data), then the raw samples
// exactly as stored, a trailing partial sample left out. More than
// kMaxWavDataSize bytes of samples do not fit the RIFF sizes and are refused.
inline constexpr std::size_t kWavHeaderSize = 58;
inline constexpr std::uint64_t kMaxWavDataSize = 4294967244;  // 12 x 357913937
inline constexpr std::uint32_t kRawSampleRate = 7162;

// The raw data file of `in`, found as the folder scan finds it: none when the
// measurement's head gives no non-zero "TAG_STORE_RAW_53" (then no file is
// looked for) or when neither candidate is a file.
std::string RawDataFileOf(const std::string& in);

// Writes the raw signal of the measurement `in` to `out`. Progress: one step and
// one pump per block of samples. `wait` as for WriteCsvFile.
ExportResult ExportWav(const std::string& in, const std::string& out, ProgressSink& progress,
                       MessagePump& pump, ReaderWait wait = ReaderWait::kWait);

}  // namespace rqx340
