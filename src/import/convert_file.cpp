// Open, parse, and write into a replacement of the output file.
#include "import/convert_file.h"

#include <vector>

#include "format/byte_sink.h"
#include "format/exchange_writer.h"
#include "measurement/json_reader.h"
#include "platform/replacement_file.h"

namespace rqx340 {

ReadOutcome ReadMeasurementFile(InputFile& file, std::span<char> buffer, ProgressSink& progress,
                                MessagePump& pump, MeasurementContent& content) {
  ProgressFileReadStream stream(&file, buffer, progress, pump);
  content.parse = ParseMeasurement(stream, content.document, content.rows);
  if (stream.Stopped()) return ReadOutcome::kStopped;
  return stream.ReadFailed() ? ReadOutcome::kReadFailed : ReadOutcome::kRead;
}

Result<ReadOutcome> ReadMeasurementPath(const std::string& in, ProgressSink& progress,
                                        MessagePump& pump, ConvertObserver& observer,
                                        MeasurementContent& content) {
  auto file = InputFile::Open(in);
  if (!file) return Failure(file.ErrorText());
  observer.Reading();
  progress.SetPos(0);
  progress.SetStep(1);
  progress.SetRange(0, static_cast<std::int32_t>(file->Size() >> 16));
  progress.Show();
  std::vector<char> buffer(kReadBufferSize);
  const ReadOutcome read = ReadMeasurementFile(*file, buffer, progress, pump, content);
  if (read != ReadOutcome::kRead) progress.Hide();
  return read;
}

ConvertResult ConvertFile(const std::string& in, const std::string& out, std::string_view name,
                          ProgressSink& progress, MessagePump& pump, ConvertObserver& observer) {
  MeasurementContent content;
  // IN is closed before OUT is written.
  const auto read = ReadMeasurementPath(in, progress, pump, observer, content);
  if (!read) return {ConvertStatus::kNotReadable, read.ErrorText()};
  if (*read != ReadOutcome::kRead) {
    return {*read == ReadOutcome::kStopped ? ConvertStatus::kStopped : ConvertStatus::kReadFailed,
            {}};
  }
  if (content.parse.IsError()) observer.NotValidJson(content.parse.Offset(), content.parse.Code());

  // Nothing is created or written for a file the format cannot hold.
  const ExchangeFilePlan plan(content.document, content.rows, name);
  if (!plan.Fits()) {
    progress.Hide();
    ConvertResult too_large{ConvertStatus::kTooLarge, {}};
    too_large.exchangeFileSize = plan.FileSize();
    return too_large;
  }

  auto replacement = ReplacementFile::Create(out);
  if (!replacement) {
    progress.Hide();
    return {ConvertStatus::kNotWritten, replacement.ErrorText()};
  }
  // The exchange file's bytes go straight to the replacement of OUT.
  FileSink<ReplacementFile> sink(*replacement);
  observer.Converting();
  const ExchangeWriteResult written = WriteExchangeFile(sink, plan, progress, pump);
  progress.Hide();
  if (written.status == ExchangeWriteStatus::kStopped) return {ConvertStatus::kStopped, {}};
  if (!written.Ok()) {
    // The file system's reason, when it gave one, says more than the status.
    std::string reason = sink.ErrorText();
    if (reason.empty()) reason = DescribeWriteStatus(written.status);
    return {ConvertStatus::kNotWritten, std::move(reason)};
  }
  if (Status committed = replacement->Commit(); !committed) {
    return {ConvertStatus::kNotWritten, committed.ErrorText()};
  }
  return {};
}

}  // namespace rqx340
