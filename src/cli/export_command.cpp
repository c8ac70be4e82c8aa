// rqx340 export: a measurement's time history as CSV, or its raw signal as WAV.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/console_pump.h"
#include "cli/terminal_progress.h"
#include "cli/terminal_text.h"
#include "import/export_files.h"
#include "measurement/json_reader.h"
#include "platform/interrupt.h"
#include "platform/path_text.h"

namespace rqx340::cli {
namespace {

constexpr std::string_view kExportUsage =
    "usage: rqx340 export --csv FILE.rqx2 OUT.csv\n"
    "       rqx340 export --wav FILE.rqx2 OUT.wav\n"
    "\n"
    "--csv writes the time history as CSV (RFC 4180, CRLF, UTF-8): a header line,\n"
    "then one line per row: the row number from 0, the 19 broadband values in the\n"
    "exchange file's order (rms_x, peak_x, vdv_x, min_x, max_x, ... max_sum), then\n"
    "the octave bands the exchange file carries, 1/1 before 1/3, named\n"
    "oct1_<band>_<axis>_<rms|peak>, with the band sums the exchange file adds.\n"
    "Each value is the float32 of the exchange file, as the shortest text that\n"
    "reads back to it; non-finite ones as Infinity, -Infinity or NaN.\n"
    "\n"
    "--wav writes the raw signal (the raw data file the measurement list finds)\n"
    "as a 3-channel WAV: X, Y, Z, 32-bit IEEE float, 7162 samples per second,\n"
    "the samples exactly as stored.\n"
    "\n"
    "OUT is written under a temporary name and renamed into place when complete,\n"
    "with the same rules as 'rqx340 convert' (a link followed, a FIFO written\n"
    "through, a folder refused).\n"
    "\n"
    "Exit status: 0 written, 1 FILE cannot be read, is too large (as for convert,\n"
    "or raw data above 4294967244 bytes), has no raw data (--wav), or OUT cannot\n"
    "be written, 2 usage error, 130 (SIGINT, Ctrl-C) or 143 (SIGTERM) stopped,\n"
    "OUT left as it was.\n";

int UsageError(const std::string& message) {
  std::fprintf(stderr, "rqx340 export: %s\n%s", EscapeControls(message).c_str(),
               kExportUsage.data());
  return 2;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "rqx340 export: %s\n", EscapeControls(message).c_str());
  return 1;
}

class ExportConsole final : public ConvertObserver {
 public:
  ExportConsole(const std::string& in, TerminalProgress& progress)
      : m_in(in), m_progress(progress) {}

  void Reading() override { m_progress.SetLabel("Reading " + std::string(FileNameOf(m_in))); }
  void NotValidJson(std::size_t offset, rapidjson::ParseErrorCode error) override {
    m_progress.Interrupt([&] {
      std::fprintf(stderr,
                   "rqx340 export: warning: %s is not valid JSON (offset %zu: %s); exported as "
                   "an empty measurement\n",
                   EscapeControls(m_in).c_str(), offset,
                   std::string(DescribeParseError(error)).c_str());
    });
  }
  void Converting() override { m_progress.SetLabel("Writing " + std::string(FileNameOf(m_in))); }

 private:
  const std::string& m_in;
  TerminalProgress& m_progress;
};

}  // namespace

int RunExport(Arguments args) {
  enum class Kind { kCsv, kWav };
  std::optional<Kind> kind;
  std::vector<std::string> paths;
  bool options_done = false;
  for (const std::string_view arg : args) {
    if (options_done) {
      paths.emplace_back(arg);
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kExportUsage.data(), stdout);
      return 0;
    } else if (arg == "--csv" || arg == "--wav") {
      const Kind wanted = arg == "--csv" ? Kind::kCsv : Kind::kWav;
      if (kind && *kind != wanted) return UsageError("--csv and --wav exclude each other");
      kind = wanted;
    } else if (arg == "--") {
      options_done = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option '" + std::string(arg) + "'");
    } else {
      paths.emplace_back(arg);
    }
  }
  if (!kind) return UsageError("expected --csv or --wav");
  if (paths.size() != 2) return UsageError("expected FILE and OUT");
  const std::string& in = paths[0];
  const std::string& out = paths[1];

  CatchTerminationRequests();
  TerminalProgress progress;
  ConsolePump pump;
  ExportResult result;
  if (*kind == Kind::kCsv) {
    ExportConsole console(in, progress);
    result = ExportCsv(in, out, progress, pump, console);
  } else {
    progress.SetLabel("Writing " + std::string(FileNameOf(out)));
    result = ExportWav(in, out, progress, pump);
  }
  switch (result.status) {
    case ExportStatus::kWritten:
      return 0;
    case ExportStatus::kNotReadable:
      return Failure("cannot read " + (result.rawPath.empty() ? in : result.rawPath) +
                     ": missing, unreadable or not a regular file");
    case ExportStatus::kReadFailed:
      return Failure("cannot read " + (result.rawPath.empty() ? in : result.rawPath) +
                     ": read error");
    case ExportStatus::kTooLarge:
      return Failure("cannot export " + in + ": " + result.error + "; nothing was written");
    case ExportStatus::kNoRawData:
      return Failure("cannot export " + in + " as WAV: " + result.error);
    case ExportStatus::kStopped:
      return TerminationExitCode();
    case ExportStatus::kNotWritten:
      // A signal that breaks off a blocking open or write (a FIFO at OUT without a
      // reader) is a stop like any other, not a write error.
      if (TerminationRequested()) return TerminationExitCode();
      break;
  }
  return Failure("cannot write " + out + ": " + result.error);
}

}  // namespace rqx340::cli
