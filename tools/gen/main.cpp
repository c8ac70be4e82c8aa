// rqx340-gen: writes sample measurement files.
#include <charconv>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/version.h"
#include "gen/measurement_generator.h"
#include "platform/program_main.h"

namespace {

constexpr std::string_view kUsage =
    "usage: rqx340-gen [options] FOLDER\n"
    "\n"
    "Writes realistic sample RQX340 measurements (*.rqx2) into FOLDER, created when\n"
    "missing. The same options and seed always give the same files.\n"
    "\n"
    "  --count N         measurements to write (default 5)\n"
    "  --rows N          time-history rows per measurement, one per second (default 100)\n"
    "  --octaves SET     octave bands in every row: none, full (1/1, 9 bands),\n"
    "                    third (1/3 octave, 24 bands) or both (default none)\n"
    "  --raw N           the first N measurements store raw data and get a .raw file\n"
    "                    (default 0)\n"
    "  --raw-missing N   the next N measurements announce raw data without a file\n"
    "                    (default 0)\n"
    "  --raw-samples N   samples per raw data file, three float32 X, Y, Z each\n"
    "                    (default 7162, one second)\n"
    "  --raw-dir WHERE   beside: next to the measurement (default); raw: in the\n"
    "                    sibling folder named raw\n"
    "  --columns WHERE   first: TimeHistoryColumns before TimeHistory, as the meter\n"
    "                    writes them (default); last: after it\n"
    "  --seed S          seed of the generator (default 1)\n"
    "  --prefix P        file names are P0001.rqx2, P0002.rqx2, ... (default M)\n"
    "  --texts LANG      report-header lines and notes: western (default) or\n"
    "                    japanese\n"
    "  --help            this text\n"
    "  --version         the program's version\n";

int UsageError(const std::string& message) {
  std::fprintf(stderr, "rqx340-gen: %s\n%s", message.c_str(), kUsage.data());
  return 2;
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

}  // namespace

int rqx340::ProgramMain(std::span<const std::string_view> args) {
  using rqx340::gen::Octaves;
  using rqx340::gen::RawPlacement;
  rqx340::gen::GeneratorOptions options;
  std::vector<std::string_view> operands;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage.data(), stdout);
      return 0;
    }
    if (arg == "--version") {
      std::printf("%s\n", rqx340::VersionText("rqx340-gen").c_str());
      return 0;
    }
    if (arg.size() < 2 || arg.substr(0, 2) != "--") {
      operands.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) return UsageError("option " + std::string(arg) + " needs a value");
    const std::string_view value = args[++i];
    const auto bad = [&] {
      return UsageError("bad value '" + std::string(value) + "' for " + std::string(arg));
    };
    if (arg == "--count") {
      if (!ParseNumber(value, options.count)) return bad();
    } else if (arg == "--rows") {
      if (!ParseNumber(value, options.rows)) return bad();
    } else if (arg == "--raw") {
      if (!ParseNumber(value, options.raw)) return bad();
    } else if (arg == "--raw-missing") {
      if (!ParseNumber(value, options.raw_missing)) return bad();
    } else if (arg == "--raw-samples") {
      if (!ParseNumber(value, options.raw_samples)) return bad();
    } else if (arg == "--seed") {
      if (!ParseNumber(value, options.seed)) return bad();
    } else if (arg == "--prefix") {
      if (value.find('/') != std::string_view::npos) return bad();
      options.prefix = std::string(value);
    } else if (arg == "--octaves") {
      if (value == "none") {
        options.octaves = Octaves::kNone;
      } else if (value == "full") {
        options.octaves = Octaves::kFull;
      } else if (value == "third") {
        options.octaves = Octaves::kThird;
      } else if (value == "both") {
        options.octaves = Octaves::kBoth;
      } else {
        return bad();
      }
    } else if (arg == "--columns") {
      if (value == "first") {
        options.columns_last = false;
      } else if (value == "last") {
        options.columns_last = true;
      } else {
        return bad();
      }
    } else if (arg == "--texts") {
      if (value == "western") {
        options.japanese_texts = false;
      } else if (value == "japanese") {
        options.japanese_texts = true;
      } else {
        return bad();
      }
    } else if (arg == "--raw-dir") {
      if (value == "beside") {
        options.raw_placement = RawPlacement::kBeside;
      } else if (value == "raw") {
        options.raw_placement = RawPlacement::kRawFolder;
      } else {
        return bad();
      }
    } else {
      return UsageError("unknown option '" + std::string(arg) + "'");
    }
  }
  if (operands.size() != 1)
    return UsageError(operands.empty() ? "missing FOLDER" : "only one FOLDER");
  if (static_cast<std::uint64_t>(options.raw) + options.raw_missing > options.count) {
    return UsageError("--raw and --raw-missing together exceed --count");
  }

  std::string error;
  std::vector<std::string> warnings;
  if (!rqx340::gen::WriteMeasurements(options, std::string(operands[0]), &error, &warnings)) {
    std::fprintf(stderr, "rqx340-gen: %s\n", error.c_str());
    return 1;
  }
  for (const auto& warning : warnings)
    std::fprintf(stderr, "rqx340-gen: warning: %s\n", warning.c_str());
  return 0;
}
