// The import run: connects to the host through the exchange area, then takes
// the chosen measurements one after the other (parse, convert into the exchange
// file, hand the files over, drive the transfer commands) and closes the
// connection. Failures are shown through the message sink where they happen; the
// run goes on with the next measurement. The dialog and the command line both
// call it; nothing here knows about either.
#pragma once

#include <rapidjson/document.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/message_sink.h"
#include "base/progress.h"
#include "base/string_table.h"
#include "exchange/handover_files.h"
#include "exchange/rqx340_client.h"
#include "format/row_source.h"
#include "measurement/folder_scan.h"
#include "platform/named_mutex.h"
#include "platform/temp_files.h"
#include "platform/window.h"

namespace rqx340 {

enum class ImportOutcome {
  kImported,      // every command of the transfer was answered with 0
  kNotRead,       // no file was named (an index past the records); nothing was shown
  kFailed,        // a message was shown (the measurement file, the exchange file, the raw
                  // signal or a host status), or the connection was lost during its transfer
  kNotAttempted,  // the run ended before this measurement (no connection, the host gone,
                  // stopped, or broken off by an error)
  kStopped,       // the pump set a stop flag: the run ended here, nothing was shown, and a
                  // transfer already begun was abandoned with command 99
};

// Hears which measurement the run is at; the command line labels its messages
// and progress with it. The dialog needs none.
class ImportObserver {
 public:
  virtual ~ImportObserver() = default;
  virtual void BeginMeasurement(std::size_t /*item*/, const CRQX340Json& /*record*/) {}
  virtual void EndMeasurement(std::size_t /*item*/, ImportOutcome /*outcome*/) {}
  // Another run of the session holds the transfer lock; this one waits for it,
  // pumping messages. Heard once per run at most.
  virtual void WaitingForTransferLock() {}
};

// One measurement to import: its folder (with or without the trailing "/") and
// its summary record.
struct ImportItem {
  std::string folder;
  CRQX340Json record;
};

// The measurement file `name` of `folder` as the folder scan lists it: name
// and size from the file system, the rest from the file's head. nullopt when
// the scan would leave it out.
std::optional<ImportItem> ImportItemForFile(std::string_view folder, std::string_view name);

struct ImportRequest {
  std::vector<ImportItem> items;
  // The program's executable name without path and extension: it names the
  // client in its slot (the area's name comes from the executable's directory).
  std::string exe_name;
  std::string exchange_id{kExchangeId};
  int exchange_index = -1;         // -i: the slot to take when several are offered
  WindowHandle client_window = 0;  // the caller's own window
  // Only slots of this host window are taken; 0 (the dialog's choice) any host's.
  WindowHandle host_window = 0;
  // The dialog's "Import Raw": false keeps every raw signal back.
  bool import_raw = true;
};

// What the run reports through and talks through. Only the first three are
// required; the rest stand in for the real thing in tests.
struct ImportServices {
  ImportServices(MessageSink& message_sink, ProgressSink& progress_sink, MessagePump& message_pump)
      : messages(message_sink), progress(progress_sink), pump(message_pump) {}

  MessageSink& messages;
  ProgressSink& progress;
  MessagePump& pump;
  const StringTable* strings = nullptr;  // English by default
  WindowMessenger* messenger = nullptr;  // the session's windows by default
  ImportObserver* observer = nullptr;
  const TempFolder* temp_folder = nullptr;  // the area's session directory by default
  const TempNamer* namer = nullptr;         // the tick clock and process id by default
  std::string executable_path;              // names the area instead of the running program
  // Each message about one measurement comes after a detail naming its file,
  // as a message box needs; a front end that labels its messages itself (the
  // command line) turns this off.
  bool name_measurements = true;
};

struct ImportResult {
  // 0 when the connection was opened; else the status it failed with (254 no
  // area or slot, 255 no host window, 253 the slot choice gave up, 252 stopped
  // while waiting for the transfer lock, or the host's).
  int connection_status = 0;
  int offered_slots = 0;                // the usable slots the connection found
  std::vector<ImportOutcome> outcomes;  // one per item, in order
};

// The hand-over files have fixed names in the session directory, so one run
// at a time may use them: the run holds the session's transfer lock from
// before it claims a slot until after command 4, waiting for it (and pumping
// messages) while another run has it.
//
// A measurement file that does not open, does not read to its end or is not
// valid JSON is reported (strings 230 to 232) and never handed to the host.
//
// A stop flag set by the pump ends the run at the next point that leaves
// nothing behind: the measurement in hand is abandoned (command 99 once its
// transfer has begun), its files are removed and the connection is closed.
//
// A host window that is gone (looked at before each measurement, and after a
// command that failed with 255) ends the run with one message (string 233)
// saying how many measurements were imported and how many were not. So does
// an error that breaks the run off (an allocation that fails), with string 234:
// the run never throws and never ends without a word.
ImportResult RunImport(const ImportRequest& request, ImportServices& services);

// Inside a catch block: what was caught, in words for string 234.
std::string CurrentExceptionText();
// String 234 for a run broken off by `reason` after `imported` of `total`.
void ReportImportBrokenOff(MessageSink& messages, const StringTable& strings,
                           std::string_view reason, std::size_t imported, std::size_t total);

// Takes `lock`, pumping messages between short waits while another holds it;
// `waiting` is called once when the lock is not free at once. False, without
// the lock, when the pump sets the stop flag first.
bool WaitForTransferLock(NamedMutex& lock, MessagePump& pump, const std::function<void()>& waiting);

// The dialog's form: the checked indices into the record array, all from one
// folder. An index outside the array is passed over like a file that does not open.
ImportRequest MakeImportRequest(std::string_view folder, std::span<const CRQX340Json> records,
                                std::span<const std::int32_t> checked);

// What converting one measurement needs besides the document.
struct ConversionContext {
  CQWExchangeClient& client;
  const TempFolder& temp_folder;
  const TempNamer& namer;
  MessageSink& messages;
  const StringTable& strings;
  ProgressSink& progress;
  MessagePump& pump;
  std::string_view exchange_id;
};

// Converts one parsed measurement into the exchange file, hands it and its raw
// signal (when `raw_path` is not empty) to the host and cleans up. A
// measurement whose exchange file would not fit the format is refused with
// string 202 before the file is created.
ImportOutcome ConvertMeasurement(const rapidjson::Document& document, const RowSource& rows,
                                 const CRQX340Json& record, const std::string& raw_path,
                                 ConversionContext& context);

}  // namespace rqx340
