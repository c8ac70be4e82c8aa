// CSV from the parsed rows through the exchange file's row reader; WAV by
// copying the raw data file's bytes behind a header of our own.
#include "import/export_files.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <vector>

#include "base/byte_order.h"
#include "base/shortest_text.h"
#include "exchange/raw_signal.h"
#include "format/exchange_writer.h"
#include "format/row_layout.h"
#include "measurement/folder_scan.h"
#include "measurement/json_reader.h"
#include "platform/input_file.h"
#include "platform/path_text.h"
#include "platform/replacement_file.h"

namespace rqx340 {

namespace {

// The longest text of one value with its separator: a name such as
// "oct3_2147483647_sum_peak," or a float such as "-1.17549435E-38,".
constexpr std::uint64_t kMaxNameBytes = 32;
constexpr std::uint64_t kMaxValueBytes = 16;
constexpr std::uint64_t kMaxRowIndexBytes = 20;

constexpr std::size_t kFlushSize = 1 << 16;

// Text put together in memory and handed to the sink in blocks.
class TextOut {
 public:
  explicit TextOut(ByteSink& sink) : m_sink(sink) { m_buffer.reserve(2 * kFlushSize); }

  void Append(std::string_view text) {
    m_buffer += text;
    if (m_buffer.size() >= kFlushSize) Flush();
  }
  bool Flush() {
    if (!m_buffer.empty() && !m_bFailed)
      m_bFailed = !m_sink.Write(std::as_bytes(std::span(m_buffer)));
    m_buffer.clear();
    return !m_bFailed;
  }
  bool Failed() const { return m_bFailed; }

 private:
  ByteSink& m_sink;
  std::string m_buffer;
  bool m_bFailed = false;
};

// A CSV field, quoted when it holds a comma, a quote or a line break.
void AppendField(TextOut& out, std::string_view field) {
  if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
    out.Append(field);
    return;
  }
  std::string quoted = "\"";
  for (const char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  quoted += '"';
  out.Append(quoted);
}

ExportResult Refused(ExportStatus status, std::string error) {
  ExportResult result;
  result.status = status;
  result.error = std::move(error);
  return result;
}

// What convert refuses is refused here, so the rows times the values are
// bounded; the lines are bounded on their own, since without rows the plan
// does not count the header. None when the CSV may be written.
std::optional<ExportResult> RefuseCsv(const ExchangeFilePlan& plan) {
  if (!plan.Fits()) {
    return Refused(ExportStatus::kTooLarge,
                   "its exchange file would be larger than the format's 2147483647 bytes");
  }
  const std::uint64_t values = plan.Layout().RowValues();
  if (values > (kMaxCsvLineSize - kMaxRowIndexBytes) / kMaxNameBytes) {
    return Refused(ExportStatus::kTooLarge,
                   "its rows of " + std::to_string(values) +
                       " values would make CSV lines longer than 2147483647 bytes");
  }
  return std::nullopt;
}

}  // namespace

ExportResult WriteCsv(const rapidjson::Value& document, const RowSource& rows,
                      std::string_view name, ByteSink& sink, ProgressSink& progress,
                      MessagePump& pump) {
  const ExchangeFilePlan plan(document, rows, name);
  if (auto refused = RefuseCsv(plan)) return *refused;
  const RowLayout& layout = plan.Layout();
  TextOut text(sink);
  progress.SetPos(0);
  progress.SetStep(1);
  progress.SetRange(0,
                    static_cast<std::int32_t>(std::min<std::uint64_t>(rows.RowCount(), INT32_MAX)));
  text.Append("row");
  layout.ForEachValueName([&](std::string_view value_name) {
    text.Append(",");
    AppendField(text, value_name);
    return !text.Failed();
  });
  text.Append("\r\n");

  std::int32_t stop = 0;
  std::uint64_t index = 0;
  rows.ForEachRow([&](const RowView& row) {
    progress.StepIt();
    pump.PumpPendingMessages(&stop);
    if (stop != 0) return false;
    text.Append(std::to_string(index++));
    layout.ExpandRow(row.values, [&](float value) {
      text.Append(",");
      text.Append(ShortestText(value));
      return !text.Failed();
    });
    text.Append("\r\n");
    return !text.Failed();
  });
  if (stop != 0) return Refused(ExportStatus::kStopped, {});
  if (!text.Flush()) return Refused(ExportStatus::kNotWritten, {});
  return {};
}

ExportResult WriteCsvFile(const rapidjson::Value& document, const RowSource& rows,
                          std::string_view name, const std::string& out, ProgressSink& progress,
                          MessagePump& pump, ReaderWait wait) {
  // Nothing is created for a file that is refused.
  if (auto refused = RefuseCsv(ExchangeFilePlan(document, rows, name))) return *refused;
  auto replacement = ReplacementFile::Create(out, wait);
  if (!replacement) return Refused(ExportStatus::kNotWritten, replacement.ErrorText());
  FileSink<ReplacementFile> sink(*replacement);
  ExportResult result = WriteCsv(document, rows, name, sink, progress, pump);
  if (result.status == ExportStatus::kNotWritten) {
    result.error = sink.ErrorText().empty() ? "write error" : sink.ErrorText();
  }
  if (result.status != ExportStatus::kWritten) return result;
  if (Status committed = replacement->Commit(); !committed) {
    return Refused(ExportStatus::kNotWritten, committed.ErrorText());
  }
  return result;
}

ExportResult ExportCsv(const std::string& in, const std::string& out, ProgressSink& progress,
                       MessagePump& pump, ConvertObserver& observer) {
  MeasurementContent content;
  const auto read = ReadMeasurementPath(in, progress, pump, observer, content);
  if (!read) return Refused(ExportStatus::kNotReadable, read.ErrorText());
  if (*read != ReadOutcome::kRead) {
    return Refused(
        *read == ReadOutcome::kStopped ? ExportStatus::kStopped : ExportStatus::kReadFailed, {});
  }
  if (content.parse.IsError()) observer.NotValidJson(content.parse.Offset(), content.parse.Code());
  observer.Converting();
  ExportResult result = WriteCsvFile(content.document, content.rows, std::string(FileNameOf(in)),
                                     out, progress, pump);
  progress.Hide();
  return result;
}

std::string RawDataFileOf(const std::string& in) {
  const std::size_t slash = LastSeparator(in);
  const std::string folder = slash == std::string::npos ? std::string() : in.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? in : in.substr(slash + 1);
  CRQX340Json record;
  ReadSummary(record, folder.empty() ? "." : folder, name);
  // A head without a non-zero raw flag, listed or not, means no raw data.
  if (record.m_nRaw == 0) return {};
  return FindRawFile(folder.empty() ? "." : folder, name);
}

ExportResult ExportWav(const std::string& in, const std::string& out, ProgressSink& progress,
                       MessagePump& pump, ReaderWait wait) {
  {
    auto measurement = InputFile::Open(in);
    if (!measurement) return Refused(ExportStatus::kNotReadable, measurement.ErrorText());
  }
  const std::string raw_path = RawDataFileOf(in);
  if (raw_path.empty()) {
    return Refused(ExportStatus::kNoRawData,
                   "it stores no raw data, or its raw data file is missing");
  }
  auto raw = InputFile::Open(raw_path);
  if (!raw) {
    ExportResult result = Refused(ExportStatus::kNotReadable, raw.ErrorText());
    result.rawPath = raw_path;
    return result;
  }
  const std::uint64_t samples = raw->Size() / kRawSampleSize;
  const std::uint64_t data_size = samples * kRawSampleSize;
  if (data_size > kMaxWavDataSize) {
    ExportResult result = Refused(ExportStatus::kTooLarge,
                                  "its raw data of " + std::to_string(data_size) +
                                      " bytes is larger than a WAV file can hold (4294967244)");
    result.rawPath = raw_path;
    return result;
  }

  auto replacement = ReplacementFile::Create(out, wait);
  if (!replacement) return Refused(ExportStatus::kNotWritten, replacement.ErrorText());

  std::array<std::byte, kWavHeaderSize> header{};
  const auto put_tag = [&](std::size_t offset, std::string_view tag) {
    for (std::size_t i = 0; i < 4; ++i) header[offset + i] = static_cast<std::byte>(tag[i]);
  };
  const auto size32 = static_cast<std::uint32_t>(data_size);
  put_tag(0, "RIFF");
  PutUint32(header, 4, static_cast<std::uint32_t>(kWavHeaderSize - 8) + size32);
  put_tag(8, "WAVE");
  put_tag(12, "fmt ");
  PutUint32(header, 16, 18);
  PutUint16(header, 20, 3);  // WAVE_FORMAT_IEEE_FLOAT
  PutUint16(header, 22, 3);  // X, Y, Z
  PutUint32(header, 24, kRawSampleRate);
  PutUint32(header, 28, kRawSampleRate * static_cast<std::uint32_t>(kRawSampleSize));
  PutUint16(header, 32, static_cast<std::uint16_t>(kRawSampleSize));
  PutUint16(header, 34, 32);
  PutUint16(header, 36, 0);
  // A non-PCM format carries its length in samples per channel.
  put_tag(38, "fact");
  PutUint32(header, 42, 4);
  PutUint32(header, 46, static_cast<std::uint32_t>(samples));
  put_tag(50, "data");
  PutUint32(header, 54, size32);

  Status status = replacement->Write(header);
  std::vector<std::byte> block(kRawChunkSamples * kRawSampleSize);
  const std::uint64_t blocks = (data_size + block.size() - 1) / block.size();
  progress.SetPos(0);
  progress.SetStep(1);
  progress.SetRange(0, static_cast<std::int32_t>(std::min<std::uint64_t>(blocks, INT32_MAX)));
  progress.Show();
  std::int32_t stop = 0;
  for (std::uint64_t done = 0; status && done < data_size;) {
    const auto size =
        static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), data_size - done));
    const std::span<std::byte> piece(block.data(), size);
    if (Status read = raw->ReadExactly(piece); !read) {
      progress.Hide();
      ExportResult result = Refused(ExportStatus::kReadFailed, read.ErrorText());
      result.rawPath = raw_path;
      return result;
    }
    status = replacement->Write(piece);
    done += size;
    progress.StepIt();
    pump.PumpPendingMessages(&stop);
    if (stop != 0) {
      progress.Hide();
      return Refused(ExportStatus::kStopped, {});
    }
  }
  progress.Hide();
  if (status) status = replacement->Commit();
  if (!status) return Refused(ExportStatus::kNotWritten, status.ErrorText());
  ExportResult result;
  result.rawPath = raw_path;
  return result;
}

}  // namespace rqx340
