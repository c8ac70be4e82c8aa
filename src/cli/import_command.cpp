// rqx340 import --host HANDLE [--slot INDEX] [--folder DIR] FILE...
//
// Imports measurement files into the running host whose window is HANDLE,
// exactly as the dialog's import does. Messages about one measurement are
// printed as "<file>: <text>", messages about the connection bare.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/message_sink.h"
#include "base/string_table.h"
#include "cli/commands.h"
#include "cli/console_pump.h"
#include "cli/terminal_progress.h"
#include "cli/terminal_text.h"
#include "import/import_run.h"
#include "measurement/folder_scan.h"
#include "platform/interrupt.h"
#include "platform/path_text.h"
#include "platform/session_dir.h"
#include "platform/window.h"

namespace rqx340::cli {

namespace {

// How this program names itself in the slot it takes.
constexpr std::string_view kClientName = "rqx340";

constexpr std::string_view kImportUsage =
    "usage: rqx340 import --host HANDLE [--slot INDEX] [--folder DIR] FILE...\n"
    "\n"
    "Imports measurement files into the running host whose window is HANDLE\n"
    "(1 to 8 hexadecimal digits, as the host passes with -h).\n"
    "\n"
    "  --host HANDLE   the host's window\n"
    "  --slot INDEX    the exchange slot to take when the host offers several\n"
    "  --folder DIR    the folder FILE names are relative to (default: the current one)\n"
    "\n"
    "Exit status: 0 all imported, 1 some measurement or the connection failed, 2 usage,\n"
    "130 (SIGINT, Ctrl-C) or 143 (SIGTERM) stopped: the transfer in hand is\n"
    "abandoned, its files are removed and the connection is closed.\n";

int Usage(std::string_view error) {
  std::fprintf(stderr, "rqx340 import: %.*s\n%s", static_cast<int>(error.size()), error.data(),
               kImportUsage.data());
  return 2;
}

std::optional<WindowHandle> ParseHandle(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  WindowHandle value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  // from_chars accepts a leading '-' for no unsigned type, but be explicit.
  for (const char c : text) {
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
    if (!hex) return std::nullopt;
  }
  return value;
}

std::optional<int> ParseIndex(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

// The files given and their labels; messages about a measurement name it as
// the user wrote it.
struct FileArgument {
  std::string label;
  std::string folder;
  std::string name;
};

FileArgument SplitFile(std::string_view file, std::string_view base_folder) {
  std::string path(file);
  if (!IsAbsolutePath(path)) {
    path = std::string(base_folder.empty() ? "." : base_folder) + PreferredSeparator() + path;
  }
  const auto slash = LastSeparator(path);
  return {std::string(file), MakeFolderAbsolute(path.substr(0, slash + 1)), path.substr(slash + 1)};
}

// Messages go to standard error, labelled with the measurement they concern;
// the progress bar is cleared first so that a message never shares its line.
class ImportConsole final : public MessageSink, public ImportObserver {
 public:
  ImportConsole(const std::vector<FileArgument>& files, TerminalProgress& progress)
      : m_files(files), m_progress(progress) {}

  void SetItems(std::vector<std::size_t> file_of_item) { m_fileOfItem = std::move(file_of_item); }

  void ShowMessage(int, std::string_view text) override { Print(text); }
  // A status without a text of its own would leave the message saying nothing.
  void ShowHostError(int status, int, std::string_view text) override {
    const bool has_text = (status >= kFirstHostStatusText && status <= kLastHostStatusText) ||
                          status == kStatusNoSlot || status == kStatusNoWindow;
    if (has_text) {
      Print(text);
    } else {
      Print(std::string(text) + " (status " + std::to_string(status) + ")");
    }
  }
  void ShowDetail(std::string_view text) override { Print(text); }

  void BeginMeasurement(std::size_t item, const CRQX340Json&) override {
    m_current = &m_files[m_fileOfItem[item]].label;
    m_progress.SetLabel(*m_current);
  }
  void WaitingForTransferLock() override {
    Print("rqx340 import: another import of this session is running; waiting for it to end");
  }
  void EndMeasurement(std::size_t, ImportOutcome) override { m_current = nullptr; }

  // Names come from the command line, the file system and the measurement
  // files: their control characters are shown, never sent to the terminal.
  void Print(std::string_view text) {
    std::string line = m_current != nullptr ? *m_current + ": " : std::string();
    line += text;
    line = EscapeControls(line) + "\n";
    m_progress.Interrupt([&] {
      std::fwrite(line.data(), 1, line.size(), stderr);
      std::fflush(stderr);
    });
  }

 private:
  const std::vector<FileArgument>& m_files;
  TerminalProgress& m_progress;
  std::vector<std::size_t> m_fileOfItem;
  const std::string* m_current = nullptr;
};

}  // namespace

int RunImport(Arguments args) {
  std::optional<WindowHandle> host;
  std::optional<int> slot;
  std::string folder;
  std::vector<std::string_view> files;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (!options_done && (arg == "--help" || arg == "-h")) {
      std::fputs(kImportUsage.data(), stdout);
      return 0;
    }
    if (!options_done && (arg == "--host" || arg == "--slot" || arg == "--folder")) {
      if (i + 1 >= args.size()) return Usage(std::string(arg) + " needs a value");
      const std::string_view value = args[++i];
      if (arg == "--host") {
        host = ParseHandle(value);
        if (!host) return Usage("HANDLE must be 1 to 8 hexadecimal digits");
      } else if (arg == "--slot") {
        slot = ParseIndex(value);
        if (!slot) return Usage("INDEX must be a whole number");
      } else {
        if (value.empty()) return Usage("--folder needs a folder");
        folder = value;
      }
      continue;
    }
    if (!options_done && arg == "--") {
      options_done = true;
      continue;
    }
    if (!options_done && arg.size() > 1 && arg.front() == '-') {
      return Usage("unknown option '" + std::string(arg) + "'");
    }
    files.push_back(arg);
  }
  if (!host) return Usage("--host is required");
  if (files.empty()) return Usage("no measurement file given");

  const StringTable& strings = EnglishStrings();
  auto session = SessionDir::Open();
  if (!session) {
    // As with no exchange area: the reason, then "connection not possible".
    std::fprintf(stderr, "%s\n%s\n", session.ErrorText().c_str(),
                 strings.Load(kIdsNoConnection).c_str());
    return 1;
  }
  auto messenger = SessionMessenger::Open(*session);
  if (!messenger || !(*messenger)->IsWindow(*host)) {
    std::fprintf(stderr, "rqx340 import: %08X is not a host window\n", *host);
    return 1;
  }
  auto created = MessageEndpoint::Create(*session);
  if (!created) {
    std::fprintf(stderr, "rqx340 import: cannot open a window: %s\n", created.ErrorText().c_str());
    return 1;
  }
  std::unique_ptr<MessageEndpoint> endpoint = std::move(*created);

  std::vector<FileArgument> arguments;
  for (const std::string_view file : files) arguments.push_back(SplitFile(file, folder));

  TerminalProgress progress;
  ImportConsole console(arguments, progress);
  bool failed = false;
  ImportRequest request;
  request.exe_name = kClientName;
  request.exchange_index = slot.value_or(-1);
  request.client_window = endpoint->Handle();
  // Only the host the user named: another host's slots in the same area never
  // take the measurements.
  request.host_window = *host;
  std::vector<std::size_t> file_of_item;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    auto item = ImportItemForFile(arguments[i].folder, arguments[i].name);
    if (!item) {
      console.Print(arguments[i].label + ": not a measurement file");
      failed = true;
      continue;
    }
    request.items.push_back(std::move(*item));
    file_of_item.push_back(i);
  }
  if (request.items.empty()) return 1;
  console.SetItems(std::move(file_of_item));

  // Ctrl-C or a termination request ends the run at the next block, row or
  // chunk of the raw signal: the transfer in hand is abandoned (99), the
  // hand-over files are removed and the connection is closed (4).
  CatchTerminationRequests();
  ConsolePump pump(endpoint.get());
  ImportServices services{console, progress, pump};
  services.strings = &strings;
  services.observer = &console;
  // Each line names its measurement already.
  services.name_measurements = false;
  const ImportResult result = RunImport(request, services);
  if (result.connection_status == kStatusStopped) return TerminationExitCode();
  if (result.connection_status == kStatusChoiceDeclined) {
    if (slot) {
      console.Print("rqx340 import: --slot " + std::to_string(*slot) + " is not one of the " +
                    std::to_string(result.offered_slots) + " slots the host offers (0 to " +
                    std::to_string(result.offered_slots - 1) + ")");
    } else {
      console.Print("rqx340 import: the host offers several slots; choose one with --slot INDEX");
    }
  }
  for (const ImportOutcome outcome : result.outcomes) {
    if (outcome == ImportOutcome::kStopped) return TerminationExitCode();
    if (outcome != ImportOutcome::kImported) failed = true;
  }
  return failed ? 1 : 0;
}

}  // namespace rqx340::cli
