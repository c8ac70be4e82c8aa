// The import run and the conversion of one measurement: parse, write the
// exchange file, hand it and the raw signal over, drive the commands, clean up.
#include "import/import_run.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "base/display_text.h"
#include "exchange/raw_signal.h"
#include "format/exchange_writer.h"
#include "format/record_blocks.h"
#include "import/convert_file.h"
#include "measurement/json_reader.h"

namespace rqx340 {

namespace {

// How long one wait for the transfer lock lasts before messages are pumped.
constexpr int kLockWaitSliceMs = 50;

void Show(MessageSink& messages, const StringTable& strings, int id,
          std::string_view argument = {}) {
  messages.ShowMessage(id, FormatString(strings.Load(id), argument));
}

// Puts the name of the measurement in hand, as a detail, before each message
// about it: a message box otherwise says "Cannot open exchange file" twice for
// two files without saying which.
class MeasurementMessages final : public MessageSink {
 public:
  MeasurementMessages(MessageSink& sink, bool name_measurements)
      : m_sink(sink), m_bNameMeasurements(name_measurements) {}

  void SetMeasurement(std::string_view name) {
    m_strName = m_bNameMeasurements ? EscapeForDisplay(name) : std::string();
  }

  void ShowMessage(int id, std::string_view text) override {
    NameFirst();
    m_sink.ShowMessage(id, text);
  }
  void ShowDetail(std::string_view text) override { m_sink.ShowDetail(text); }
  void ShowHostError(int status, int id, std::string_view text) override {
    NameFirst();
    m_sink.ShowHostError(status, id, text);
  }

 private:
  void NameFirst() {
    if (!m_strName.empty()) m_sink.ShowDetail(m_strName);
  }

  MessageSink& m_sink;
  bool m_bNameMeasurements;
  std::string m_strName;
};

std::size_t CountImported(const ImportResult& result) {
  return static_cast<std::size_t>(
      std::count(result.outcomes.begin(), result.outcomes.end(), ImportOutcome::kImported));
}

// Reads the open measurement file whole; a file that cannot be read to its end
// or is not valid JSON is reported and not converted (nullopt), as is a stop.
std::optional<ImportOutcome> ReadForImport(InputFile& file, std::span<char> buffer,
                                           ImportServices& services, MessageSink& messages,
                                           const StringTable& strings,
                                           MeasurementContent& content) {
  switch (ReadMeasurementFile(file, buffer, services.progress, services.pump, content)) {
    case ReadOutcome::kStopped:
      return ImportOutcome::kStopped;
    case ReadOutcome::kReadFailed:
      Show(messages, strings, kIdsMeasurementNotRead, "read error");
      return ImportOutcome::kFailed;
    case ReadOutcome::kRead:
      break;
  }
  if (content.parse.IsError()) {
    // The host would store an empty measurement under the file's name.
    std::string_view reason = DescribeParseError(content.parse.Code());
    if (reason.ends_with('.')) reason.remove_suffix(1);
    messages.ShowMessage(kIdsMeasurementNotJson,
                         FormatString(strings.Load(kIdsMeasurementNotJson),
                                      {std::to_string(content.parse.Offset()), reason}));
    return ImportOutcome::kFailed;
  }
  return std::nullopt;
}

}  // namespace

std::string CurrentExceptionText() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return "out of memory";
  } catch (const std::exception& error) {
    return error.what();
  } catch (...) {
    return "an unexpected error";
  }
}

void ReportImportBrokenOff(MessageSink& messages, const StringTable& strings,
                           std::string_view reason, std::size_t imported, std::size_t total) {
  messages.ShowMessage(kIdsImportBrokenOff,
                       FormatString(strings.Load(kIdsImportBrokenOff),
                                    {reason, std::to_string(imported), std::to_string(total)}));
}

bool WaitForTransferLock(NamedMutex& lock, MessagePump& pump,
                         const std::function<void()>& waiting) {
  if (lock.TryLock()) return true;
  if (waiting) waiting();
  std::int32_t stop = 0;
  for (;;) {
    pump.PumpPendingMessages(&stop);
    if (stop != 0) return false;
    if (lock.LockFor(kLockWaitSliceMs)) return true;
  }
}

std::optional<ImportItem> ImportItemForFile(std::string_view folder, std::string_view name) {
  ImportItem item{WithTrailingSlash(folder), {}};
  if (name.empty()) return std::nullopt;
  item.record.m_strName = name;
  if (auto file = InputFile::Open(item.folder + item.record.m_strName)) {
    item.record.m_nSize = file->Size();
  }
  if (!ReadSummary(item.record, item.folder, name)) return std::nullopt;
  return item;
}

ImportRequest MakeImportRequest(std::string_view folder, std::span<const CRQX340Json> records,
                                std::span<const std::int32_t> checked) {
  ImportRequest request;
  for (const std::int32_t index : checked) {
    ImportItem item{std::string(folder), {}};
    if (index >= 0 && static_cast<std::size_t>(index) < records.size()) {
      item.record = records[static_cast<std::size_t>(index)];
    }
    request.items.push_back(std::move(item));
  }
  return request;
}

ImportOutcome ConvertMeasurement(const rapidjson::Document& document, const RowSource& rows,
                                 const CRQX340Json& record, const std::string& raw_path,
                                 ConversionContext& context) {
  const ExchangeFilePlan plan(document, rows, record.m_strName);
  if (!plan.Fits()) {
    Show(context.messages, context.strings, kIdsCannotCreateExchangeFile);
    return ImportOutcome::kFailed;
  }
  auto handover = ExchangeHandover::Create(context.temp_folder, context.exchange_id);
  if (!handover) {
    Show(context.messages, context.strings, kIdsCannotCreateExchangeFile);
    return ImportOutcome::kFailed;
  }
  FileSink<OutputFile> sink(handover->File());
  const ExchangeWriteResult written = WriteExchangeFile(sink, plan, context.progress, context.pump);
  if (!written.Ok()) {
    // The file is incomplete: the host must never be told about it.
    handover->Release();
    if (written.status == ExchangeWriteStatus::kStopped) return ImportOutcome::kStopped;
    Show(context.messages, context.strings, kIdsCannotCreateExchangeFile);
    return ImportOutcome::kFailed;
  }
  // The host finds no name file when this fails and answers with its status.
  handover->WriteNameFile(written.dataOffset);
  if (!handover->Map(written.dataOffset)) {
    handover->Release();
    Show(context.messages, context.strings, kIdsCannotMapExchangeFile);
    return ImportOutcome::kFailed;
  }

  bool raw_failed = false;
  const int status = context.client.TransferMeasurement([&] {
    if (raw_path.empty()) return true;
    const RawHandoverResult result = HandOverRawSignal(
        context.temp_folder, context.exchange_id, context.namer, raw_path,
        MeasurementStartTime(document),
        [&] {
          // A host that is gone is reported once, by the command 22 that follows.
          const int status = context.client.SendRawSignalCommand();
          return status == kStatusDone || status == kStatusNoWindow;
        },
        context.pump);
    if (result == RawHandoverResult::kStopped) return false;
    if (result == RawHandoverResult::kFailed) {
      raw_failed = true;
      Show(context.messages, context.strings, kIdsCannotHandOverRaw,
           EscapeForDisplay(record.m_strName));
    }
    return true;
  });
  handover->Release();
  if (status == kStatusStopped) return ImportOutcome::kStopped;
  return status == kStatusDone && !raw_failed ? ImportOutcome::kImported : ImportOutcome::kFailed;
}

namespace {

void RunImportInto(const ImportRequest& request, ImportServices& services,
                   const StringTable& strings, ImportResult& result) {
  MeasurementMessages messages(services.messages, services.name_measurements);
  // Before the client, so that it is released only after the client's end has
  // sent command 4 on every way out.
  std::optional<NamedMutex> transfer_lock;
  CRQX340Client client(messages, request.exchange_index, strings, services.messenger);
  if (!services.executable_path.empty()) client.SetExecutablePath(services.executable_path);
  if (!client.MakeName(request.exe_name) || !client.OpenMapping()) {
    result.connection_status = kStatusNoSlot;
    client.ReportError(kStatusNoSlot);
    return;
  }
  auto lock = NamedMutex::Open(*client.Session(), TransferLockName(request.exchange_id));
  if (!lock) {
    result.connection_status = kStatusNoSlot;
    messages.ShowDetail(lock.ErrorText());
    client.ReportError(kStatusNoSlot);
    return;
  }
  transfer_lock.emplace(std::move(*lock));
  if (!WaitForTransferLock(*transfer_lock, services.pump, [&] {
        if (services.observer != nullptr) services.observer->WaitingForTransferLock();
      })) {
    result.connection_status = kStatusStopped;
    transfer_lock.reset();
    return;
  }
  const int status = client.OpenConnection(request.exe_name, request.exchange_id,
                                           request.client_window, request.host_window);
  result.offered_slots = client.CandidateCount();
  if (status != kStatusDone) {
    result.connection_status = status;
    if (status != kStatusChoiceDeclined) client.ReportError(status);
    return;
  }

  // The hand-over files live in the area's session directory.
  std::optional<TempFolder> session_folder;
  const TempFolder* temp_folder = services.temp_folder;
  if (temp_folder == nullptr && client.Session() != nullptr) {
    if (auto folder = TempFolder::FromSession(*client.Session())) {
      session_folder = std::move(*folder);
      temp_folder = &*session_folder;
    }
  }
  const TempNamer default_namer;
  const TempNamer& namer = services.namer != nullptr ? *services.namer : default_namer;

  services.progress.Show();
  std::vector<char> read_buffer(kReadBufferSize);
  bool connection_lost = false;
  for (std::size_t item = 0; item < request.items.size(); ++item) {
    // One look per measurement: a host that went away while nothing was sent
    // costs no reading or converting of the files still to come.
    if (client.ConnectionLost() || !client.HostIsWindow()) {
      connection_lost = true;
      break;
    }
    const CRQX340Json& record = request.items[item].record;
    if (services.observer != nullptr) services.observer->BeginMeasurement(item, record);
    messages.SetMeasurement(record.m_strName);
    ImportOutcome outcome = ImportOutcome::kNotRead;

    const std::string folder = WithTrailingSlash(request.items[item].folder);
    std::string raw_path;
    if (record.m_nRaw == 1 && request.import_raw) raw_path = FindRawFile(folder, record.m_strName);
    if (!record.m_strName.empty()) {
      // Gone, unreadable or replaced since the scan: said, never passed over.
      auto file = InputFile::Open(folder + record.m_strName);
      if (!file) {
        Show(messages, strings, kIdsMeasurementNotOpened, file.ErrorText());
        outcome = ImportOutcome::kFailed;
      } else {
        services.progress.SetRange(
            0, static_cast<std::int32_t>(static_cast<std::uint32_t>(record.m_nSize >> 16)));
        auto content = std::make_unique<MeasurementContent>();
        if (const auto refused =
                ReadForImport(*file, read_buffer, services, messages, strings, *content)) {
          outcome = *refused;
        } else if (temp_folder == nullptr) {
          // Without a folder for the hand-over the exchange file cannot be made.
          Show(messages, strings, kIdsCannotCreateExchangeFile);
          outcome = ImportOutcome::kFailed;
        } else {
          ConversionContext context{client,  *temp_folder,      namer,         messages,
                                    strings, services.progress, services.pump, request.exchange_id};
          outcome = ConvertMeasurement(content->document, content->rows, record, raw_path, context);
        }
      }
    }
    messages.SetMeasurement({});
    result.outcomes[item] = outcome;
    if (services.observer != nullptr) services.observer->EndMeasurement(item, outcome);
    if (outcome == ImportOutcome::kStopped) break;
    if (client.ConnectionLost()) {
      connection_lost = true;
      break;
    }
  }
  services.progress.Hide();
  if (connection_lost) {
    // One message, not one per measurement still to come.
    const std::size_t imported = CountImported(result);
    const std::size_t total = request.items.size();
    messages.ShowMessage(kIdsConnectionLost,
                         FormatString(strings.Load(kIdsConnectionLost),
                                      {std::to_string(imported), std::to_string(total),
                                       std::to_string(total - imported)}));
  }
  client.CloseConnection();
  client.Close();
}

}  // namespace

ImportResult RunImport(const ImportRequest& request, ImportServices& services) {
  ImportResult result;
  result.outcomes.assign(request.items.size(), ImportOutcome::kNotAttempted);
  const StringTable& strings = services.strings != nullptr ? *services.strings : EnglishStrings();
  try {
    RunImportInto(request, services, strings, result);
  } catch (...) {
    // Unwinding has closed the connection (command 4) and removed the
    // measurement's files; the run ends with a word, not silently.
    try {
      services.progress.Hide();
      ReportImportBrokenOff(services.messages, strings, CurrentExceptionText(),
                            CountImported(result), request.items.size());
    } catch (...) {
      // Not even the message could be made; the outcomes still say it.
    }
  }
  return result;
}

}  // namespace rqx340
