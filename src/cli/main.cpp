// rqx340: lists, converts and imports RQX340 measurements from the command line.
#include <cstdio>
#include <span>
#include <string_view>

#include "base/version.h"
#include "cli/commands.h"
#include "platform/code_page.h"
#include "platform/program_main.h"

namespace {

constexpr std::string_view kUsage =
    "usage: rqx340 <command> [options]\n"
    "\n"
    "commands:\n"
    "  list     list the measurements of a folder\n"
    "  convert  write the exchange file of one measurement\n"
    "  dump     check an exchange file and print it as JSON\n"
    "  import   import measurements into a running host\n"
    "  info     the numbers of measurements: rms, peak, vdv and the daily exposure A(8)\n"
    "  export   a measurement's time history as CSV or its raw signal as WAV\n"
    "\n"
    "Run 'rqx340 <command> --help' for the options of a command, 'rqx340 --version'\n"
    "for the version.\n";

struct Command {
  std::string_view name;
  int (*run)(rqx340::cli::Arguments);
};

constexpr Command kCommands[] = {
    {"list", rqx340::cli::RunList},
    {"convert", rqx340::cli::RunConvert},
    {"dump", rqx340::cli::RunDump},
    {"import", rqx340::cli::RunImport},
    {"info", rqx340::cli::RunInfo},
    {"export", rqx340::cli::RunExport},
};

}  // namespace

int rqx340::ProgramMain(std::span<const std::string_view> args) {
  if (args.empty()) {
    std::fputs(kUsage.data(), stderr);
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::fputs(kUsage.data(), stdout);
    return 0;
  }
  if (args[0] == "--version") {
    std::printf("%s\n", rqx340::VersionText("rqx340").c_str());
    return 0;
  }
  if (const auto& setting = rqx340::AnsiCodePageSetting(); !setting) {
    std::fprintf(stderr, "rqx340: %s\n", setting.ErrorText().c_str());
    return 2;
  }
  for (const auto& command : kCommands) {
    if (args[0] == command.name) {
      return command.run(rqx340::cli::Arguments(args).subspan(1));
    }
  }
  std::fprintf(stderr, "rqx340: unknown command '%.*s'\n%s", static_cast<int>(args[0].size()),
               args[0].data(), kUsage.data());
  return 2;
}
