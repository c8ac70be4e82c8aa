// rqx340 convert: writes the exchange file that the import hands to the host,
// for one measurement file, without a host.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/console_pump.h"
#include "cli/terminal_progress.h"
#include "cli/terminal_text.h"
#include "import/convert_file.h"
#include "measurement/json_reader.h"
#include "platform/interrupt.h"
#include "platform/path_text.h"

namespace rqx340::cli {
namespace {

constexpr std::string_view kConvertUsage =
    "usage: rqx340 convert IN.rqx2 OUT [--name NAME]\n"
    "\n"
    "Converts the measurement file IN into the exchange file the import hands to\n"
    "the host, and writes it to OUT under a temporary name, renamed into place\n"
    "when complete. A symbolic link at OUT is followed and the file it leads to\n"
    "replaced; an existing file keeps its permissions. A FIFO or a character\n"
    "device is written straight through (a failure there may leave part of the\n"
    "output written); a folder, a socket or a block device is refused.\n"
    "\n"
    "  --name NAME  the text of the NAME record (default: IN's file name)\n"
    "  --help       this text\n"
    "\n"
    "A file that is not valid JSON converts like an empty measurement, as the\n"
    "import converts it; a warning with the error's offset is printed.\n"
    "\n"
    "Exit status: 0 written, 1 IN cannot be read, its exchange file would be larger\n"
    "than the format's 2147483647 bytes, or OUT cannot be written, 2 usage error,\n"
    "130 (SIGINT, Ctrl-C) or 143 (SIGTERM) stopped, OUT left as it was.\n";

int UsageError(const std::string& message) {
  std::fprintf(stderr, "rqx340 convert: %s\n%s", message.c_str(), kConvertUsage.data());
  return 2;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "rqx340 convert: %s\n", EscapeControls(message).c_str());
  return 1;
}

std::string FileName(std::string_view path) { return std::string(FileNameOf(path)); }

// The progress bar's label names the step; the parse warning gets a line of its own.
class ConvertConsole final : public ConvertObserver {
 public:
  ConvertConsole(const std::string& in, TerminalProgress& progress)
      : m_in(in), m_progress(progress) {}

  void Reading() override { m_progress.SetLabel("Reading " + FileName(m_in)); }
  void NotValidJson(std::size_t offset, rapidjson::ParseErrorCode error) override {
    m_progress.Interrupt([&] {
      std::fprintf(stderr,
                   "rqx340 convert: warning: %s is not valid JSON (offset %zu: %s); converted "
                   "as an empty measurement\n",
                   EscapeControls(m_in).c_str(), offset, std::string(DescribeParseError(error)).c_str());
    });
  }
  void Converting() override { m_progress.SetLabel("Converting " + FileName(m_in)); }

 private:
  const std::string& m_in;
  TerminalProgress& m_progress;
};

}  // namespace

int RunConvert(Arguments args) {
  std::vector<std::string_view> paths;
  std::optional<std::string_view> name;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kConvertUsage.data(), stdout);
      return 0;
    }
    if (arg == "--name") {
      if (i + 1 >= args.size()) return UsageError("--name needs a value");
      name = args[++i];
    } else if (arg.starts_with("--name=")) {
      name = arg.substr(7);
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "--") {
      return UsageError("unknown option '" + std::string(arg) + "'");
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.size() != 2) return UsageError("expected IN and OUT");
  const std::string in(paths[0]);
  const std::string out(paths[1]);

  // Ctrl-C or a termination request stops the conversion at the next block or
  // row; the temporary file goes, and OUT stays as it was.
  CatchTerminationRequests();
  TerminalProgress progress;
  ConsolePump pump;
  ConvertConsole console(in, progress);
  const ConvertResult result =
      ConvertFile(in, out, name ? std::string(*name) : FileName(in), progress, pump, console);
  switch (result.status) {
    case ConvertStatus::kWritten:
      return 0;
    case ConvertStatus::kNotReadable:
      return Failure("cannot read " + in + ": missing, unreadable or not a regular file");
    case ConvertStatus::kReadFailed:
      return Failure("cannot read " + in + ": read error");
    case ConvertStatus::kNotWritten:
      // A signal that breaks off a blocking open or write (a FIFO at OUT without a
      // reader) is a stop like any other, not a write error.
      if (TerminationRequested()) return TerminationExitCode();
      break;
    case ConvertStatus::kTooLarge: {
      const std::string size = result.exchangeFileSize == ~std::uint64_t{0}
                                   ? std::string("more than 2^64")
                                   : std::to_string(result.exchangeFileSize);
      return Failure("cannot convert " + in + ": its exchange file would have " + size +
                     " bytes, more than the 2147483647 the format can hold; nothing was written");
    }
    case ConvertStatus::kStopped:
      return TerminationExitCode();
  }
  return Failure("cannot write " + out + ": " + result.error);
}

}  // namespace rqx340::cli
