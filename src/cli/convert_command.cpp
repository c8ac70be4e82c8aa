// rqx340 convert: writes the exchange file that the import hands to the host,
// for one measurement file, without a host.
#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal_progress.h"
#include "format/exchange_writer.h"
#include "measurement/json_reader.h"
#include "platform/replacement_file.h"

namespace rqx340::cli {
namespace {

constexpr std::string_view kConvertUsage =
    "usage: rqx340 convert IN.rqx2 OUT [--name NAME]\n"
    "\n"
    "Converts the measurement file IN into the exchange file the import hands to\n"
    "the host, and writes it to OUT (under a temporary name, renamed into place\n"
    "when complete).\n"
    "\n"
    "  --name NAME  the text of the NAME record (default: IN's file name)\n"
    "  --help       this text\n"
    "\n"
    "A file that is not valid JSON converts like an empty measurement, as the\n"
    "import converts it; a warning with the error's offset is printed.\n"
    "\n"
    "Exit status: 0 written, 1 IN cannot be read or OUT cannot be written, 2 usage\n"
    "error.\n";

int UsageError(const std::string& message) {
  std::fprintf(stderr, "rqx340 convert: %s\n%s", message.c_str(), kConvertUsage.data());
  return 2;
}

int Failure(const std::string& message) {
  std::fprintf(stderr, "rqx340 convert: %s\n", message.c_str());
  return 1;
}

std::string FileName(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

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

  auto file = InputFile::Open(in);
  if (!file) return Failure("cannot read " + in + ": missing, unreadable or not a regular file");
  const std::uint64_t size = file->Size();

  TerminalProgress progress;
  NullMessagePump pump;
  progress.SetLabel("Reading " + FileName(in));
  progress.SetPos(0);
  progress.SetStep(1);
  progress.SetRange(0, static_cast<std::int32_t>(size >> 16));
  progress.Show();

  rapidjson::Document document;
  bool read_failed = false;
  {
    std::vector<char> buffer(kReadBufferSize);
    ProgressFileReadStream stream(&*file, buffer, progress, pump);
    ParseMeasurement(stream, document);
    read_failed = stream.ReadFailed();
  }
  if (read_failed) {
    progress.Hide();
    return Failure("cannot read " + in + ": read error");
  }
  if (document.HasParseError()) {
    progress.Hide();
    std::fprintf(stderr,
                 "rqx340 convert: warning: %s is not valid JSON (offset %zu: %s); converted "
                 "as an empty measurement\n",
                 in.c_str(), document.GetErrorOffset(),
                 rapidjson::GetParseError_En(document.GetParseError()));
    progress.Show();
  }

  auto replacement = ReplacementFile::Create(out);
  if (!replacement) {
    progress.Hide();
    return Failure("cannot write " + out + ": " + replacement.ErrorText());
  }
  // The exchange file's bytes go straight to the replacement of OUT.
  FileSink<ReplacementFile> sink(*replacement);
  progress.SetLabel("Converting " + FileName(in));
  const ExchangeWriteResult result =
      WriteExchangeFile(sink, document, name ? std::string(*name) : FileName(in), progress, pump);
  progress.Hide();
  if (!result.Ok()) {
    // The file system's reason, when it gave one, says more than the status.
    std::string reason = sink.ErrorText();
    if (reason.empty()) reason = DescribeWriteStatus(result.status);
    replacement->Discard();
    return Failure("cannot write " + out + ": " + reason);
  }
  if (Status committed = replacement->Commit(); !committed) {
    return Failure("cannot write " + out + ": " + committed.ErrorText());
  }
  return 0;
}

}  // namespace rqx340::cli
