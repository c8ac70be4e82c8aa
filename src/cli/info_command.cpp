// rqx340 info: the numbers of measurements before they are imported: length,
// energy-average rms, peak and vdv per axis, and the daily exposure A(8).
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/number_text.h"
#include "base/shortest_text.h"
#include "cli/commands.h"
#include "cli/console_pump.h"
#include "cli/terminal_progress.h"
#include "cli/terminal_text.h"
#include "import/convert_file.h"
#include "import/measurement_numbers.h"
#include "measurement/json_reader.h"
#include "platform/code_page.h"
#include "platform/input_file.h"
#include "platform/interrupt.h"
#include "platform/path_text.h"

namespace rqx340::cli {
namespace {

constexpr std::string_view kInfoUsage =
    "usage: rqx340 info [--json] [--exposure-hours T] FILE...\n"
    "\n"
    "Prints the numbers of each measurement file, read as the import reads it:\n"
    "  rows             the time-history rows (the exchange file's rowCount)\n"
    "  x, y, z          rms: the energy average sqrt(mean(rms^2)) of the axis's rms\n"
    "                   column over all rows; peak: the largest peak value; vdv:\n"
    "                   the last row's vdv (the meter logs a running VDV)\n"
    "  sum              rms from rms_sum, peak the largest peak_sum; no vdv\n"
    "  mode, kx, ky, kz the operating mode and the sum factors of the file\n"
    "  exposure action, exposure limit   as the file gives them (m/s^2)\n"
    "With --exposure-hours, the daily exposure A(8) for T hours of exposure a day\n"
    "(0 < T <= 24): hand-arm sqrt(x^2 + y^2 + z^2) * sqrt(T/8), whole-body\n"
    "max(1.4 x, 1.4 y, z) * sqrt(T/8) from the rms values; none for vibration.\n"
    "The verdict compares A(8) in m/s^2 with the action and limit values; a\n"
    "value <= 0 counts as not set, and \"above\" means strictly greater. A cell\n"
    "of the rms, peak or vdv columns that is not a number (a string, an object, a\n"
    "cell outside its row, a column the file does not name) reads as 0, as in the\n"
    "exchange file; such cells are counted per axis with a warning, and when A(8)\n"
    "is made of one, the verdict is \"unknown\".\n"
    "\n"
    "The text shows accelerations and vdv with 4 significant digits, A(8) with 3\n"
    "decimals and T as given; JSON keeps every digit that reads back exactly.\n"
    "\n"
    "  --json               a JSON array, one object per file, null where there\n"
    "                       is no value; non-finite numbers as \"Infinity\",\n"
    "                       \"-Infinity\" or \"NaN\"\n"
    "  --exposure-hours T   the daily exposure time in hours\n"
    "  --help               this text\n"
    "\n"
    "A file that is not valid JSON reads as an empty measurement, with a warning.\n"
    "\n"
    "Exit status: 0 printed, 1 a FILE could not be read (the others are still\n"
    "printed), 2 usage error, 130 (SIGINT, Ctrl-C) or 143 (SIGTERM) stopped.\n";

constexpr int kLabelWidth = 17;

int UsageError(const std::string& message) {
  std::fprintf(stderr, "rqx340 info: %s\n%s", EscapeControls(message).c_str(), kInfoUsage.data());
  return 2;
}

struct FileInfo {
  std::string path;
  std::string hours_text;  // the exposure time as the user typed it
  MeasurementNumbers numbers;
  std::optional<double> a8;
  ExposureVerdict verdict = ExposureVerdict::kNone;
};

enum class ReadStatus { kRead, kFailed, kStopped };

ReadStatus ReadInfo(const std::string& path, std::optional<double> hours,
                    std::string_view hours_text, TerminalProgress& progress, MessagePump& pump,
                    FileInfo& info) {
  MeasurementContent content;
  auto file = InputFile::Open(path);
  if (!file) {
    progress.Interrupt([&] {
      std::fprintf(stderr,
                   "rqx340 info: cannot read %s: missing, unreadable or not a regular file\n",
                   EscapeControls(path).c_str());
    });
    return ReadStatus::kFailed;
  }
  progress.SetLabel("Reading " + std::string(FileNameOf(path)));
  progress.SetPos(0);
  progress.SetStep(1);
  progress.SetRange(0, static_cast<std::int32_t>(file->Size() >> 16));
  progress.Show();
  std::vector<char> buffer(kReadBufferSize);
  const ReadOutcome read = ReadMeasurementFile(*file, buffer, progress, pump, content);
  progress.Hide();
  if (read == ReadOutcome::kStopped) return ReadStatus::kStopped;
  if (read == ReadOutcome::kReadFailed) {
    // Part of a file is no measurement: its numbers would be wrong.
    std::fprintf(stderr, "rqx340 info: cannot read %s: read error\n", EscapeControls(path).c_str());
    return ReadStatus::kFailed;
  }
  if (content.parse.IsError()) {
    std::fprintf(stderr,
                 "rqx340 info: warning: %s is not valid JSON (offset %zu: %s); read as an empty "
                 "measurement\n",
                 EscapeControls(path).c_str(), content.parse.Offset(),
                 std::string(DescribeParseError(content.parse.Code())).c_str());
  }
  info.path = path;
  info.hours_text = hours_text;
  info.numbers = ComputeNumbers(content.document, content.rows);
  if (hours) info.a8 = DailyExposure(info.numbers, *hours);
  if (info.a8) info.verdict = JudgeExposure(info.numbers, *info.a8);
  return ReadStatus::kRead;
}

std::string FactorWarning(const FileInfo& info) {
  const auto& k = info.numbers.sumFactors;
  return "the file's sum factors kx " + ShortestText(k[0]) + ", ky " + ShortestText(k[1]) +
         ", kz " + ShortestText(k[2]) +
         " differ from 1.4, 1.4, 1.0; A(8) uses 1.4, 1.4, 1.0, and the meter's own sum is "
         "weighted otherwise";
}

bool ShowsFactorWarning(const FileInfo& info) {
  return info.numbers.mode == OperatingMode::kWholeBody && WholeBodyFactorsDiffer(info.numbers);
}

// ---- text ----

void Line(std::string& out, std::string_view label, std::string_view value) {
  out += label;
  out.append(static_cast<std::size_t>(kLabelWidth) - label.size(), ' ');
  out += value;
  out += '\n';
}

std::string LimitText(double value) {
  return value > 0.0 ? ShortestText(value) + " m/s\u00b2" : ShortestText(value) + " (not set)";
}

std::string TextBlock(const FileInfo& info, std::optional<double> hours) {
  const MeasurementNumbers& n = info.numbers;
  std::string out;
  Line(out, "file", EscapeControls(info.path));
  Line(out, "rows", std::to_string(n.rows));
  Line(out, "mode", ModeName(n.mode));
  constexpr std::string_view kAxisLabels[] = {"x", "y", "z", "sum"};
  for (std::size_t axis = 0; axis < 4; ++axis) {
    if (!n.axes) {
      Line(out, kAxisLabels[axis], "none (no rows)");
      continue;
    }
    const AxisNumbers& a = (*n.axes)[axis];
    std::string value = "rms " + AccelerationText(a.rms) + " m/s\u00b2, peak " +
                        AccelerationText(a.peak) + " m/s\u00b2";
    if (a.vdv) value += ", vdv " + VdvText(*a.vdv) + " m/s^1.75";
    Line(out, kAxisLabels[axis], value);
  }
  Line(out, "kx ky kz",
       ShortestText(n.sumFactors[0]) + " " + ShortestText(n.sumFactors[1]) + " " +
           ShortestText(n.sumFactors[2]));
  Line(out, "exposure action", LimitText(n.exposureAction));
  Line(out, "exposure limit", LimitText(n.exposureLimit));
  if (hours) {
    Line(out, "exposure hours", info.hours_text + " h");
    if (info.a8) {
      Line(out, "A(8)", DailyExposureText(*info.a8) + " m/s\u00b2");
      const std::string verdict = VerdictText(info.verdict, n);
      Line(out, "verdict", verdict.empty() ? "none (no action or limit value set)" : verdict);
    } else {
      Line(out, "A(8)",
           n.mode == OperatingMode::kVibration ? "none (vibration mode)" : "none (no rows)");
    }
  }
  if (ShowsFactorWarning(info)) Line(out, "warning", FactorWarning(info));
  if (const std::string warning = NotNumbersWarning(n); !warning.empty()) {
    Line(out, "warning", warning);
  }
  return out;
}

// ---- JSON ----

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

template <typename Number>
void JsonNumber(JsonWriter& writer, Number value) {
  const std::string text = ShortestText(value);
  if (std::isfinite(value)) {
    writer.RawValue(text.data(), text.size(), rapidjson::kNumberType);
  } else {
    writer.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
  }
}

void JsonObject(JsonWriter& writer, const FileInfo& info, std::optional<double> hours) {
  const MeasurementNumbers& n = info.numbers;
  writer.StartObject();
  writer.Key("file");
  const std::string file = SanitizeUtf8(info.path);
  writer.String(file.data(), static_cast<rapidjson::SizeType>(file.size()));
  writer.Key("rows");
  writer.Uint64(n.rows);
  writer.Key("mode");
  writer.String(ModeName(n.mode).data());
  constexpr const char* kAxisKeys[] = {"x", "y", "z", "sum"};
  for (std::size_t axis = 0; axis < 4; ++axis) {
    writer.Key(kAxisKeys[axis]);
    if (!n.axes) {
      writer.Null();
      continue;
    }
    const AxisNumbers& a = (*n.axes)[axis];
    writer.StartObject();
    writer.Key("rms");
    JsonNumber(writer, a.rms);
    writer.Key("peak");
    JsonNumber(writer, a.peak);
    writer.Key("vdv");
    if (a.vdv) {
      JsonNumber(writer, *a.vdv);
    } else {
      writer.Null();
    }
    writer.Key("notNumbers");
    writer.Uint64(a.notNumbers);
    writer.EndObject();
  }
  constexpr const char* kFactorKeys[] = {"kx", "ky", "kz"};
  for (std::size_t k = 0; k < 3; ++k) {
    writer.Key(kFactorKeys[k]);
    JsonNumber(writer, n.sumFactors[k]);
  }
  writer.Key("exposureAction");
  JsonNumber(writer, n.exposureAction);
  writer.Key("exposureLimit");
  JsonNumber(writer, n.exposureLimit);
  writer.Key("exposureHours");
  if (hours) {
    JsonNumber(writer, *hours);
  } else {
    writer.Null();
  }
  writer.Key("a8");
  if (info.a8) {
    JsonNumber(writer, *info.a8);
  } else {
    writer.Null();
  }
  writer.Key("verdict");
  if (const std::string verdict = VerdictText(info.verdict, n); !verdict.empty()) {
    writer.String(verdict.data(), static_cast<rapidjson::SizeType>(verdict.size()));
  } else {
    writer.Null();
  }
  writer.EndObject();
}

}  // namespace

int RunInfo(Arguments args) {
  bool json = false;
  std::optional<double> hours;
  std::string hours_text;
  std::vector<std::string> paths;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options_done) {
      paths.emplace_back(arg);
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kInfoUsage.data(), stdout);
      return 0;
    } else if (arg == "--json") {
      json = true;
    } else if (arg == "--exposure-hours" || arg.starts_with("--exposure-hours=")) {
      std::string_view value;
      if (arg == "--exposure-hours") {
        if (i + 1 >= args.size()) return UsageError("--exposure-hours needs a value");
        value = args[++i];
      } else {
        value = arg.substr(17);
      }
      hours = ParseExposureHours(value);
      hours_text = value;
      if (!hours) {
        return UsageError("--exposure-hours takes hours with 0 < T <= 24, not '" +
                          std::string(value) + "'");
      }
    } else if (arg == "--") {
      options_done = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option '" + std::string(arg) + "'");
    } else {
      paths.emplace_back(arg);
    }
  }
  if (paths.empty()) return UsageError("expected FILE");

  CatchTerminationRequests();
  TerminalProgress progress;
  ConsolePump pump;
  int exit_code = 0;
  rapidjson::StringBuffer buffer;
  JsonWriter writer(buffer);
  if (json) writer.StartArray();
  bool first = true;
  for (const std::string& path : paths) {
    FileInfo info;
    const ReadStatus status = ReadInfo(path, hours, hours_text, progress, pump, info);
    if (status == ReadStatus::kStopped) return TerminationExitCode();
    if (status == ReadStatus::kFailed) {
      exit_code = 1;
      continue;
    }
    if (json) {
      if (ShowsFactorWarning(info)) {
        std::fprintf(stderr, "rqx340 info: warning: %s: %s\n", EscapeControls(path).c_str(),
                     FactorWarning(info).c_str());
      }
      if (const std::string warning = NotNumbersWarning(info.numbers); !warning.empty()) {
        std::fprintf(stderr, "rqx340 info: warning: %s: %s\n", EscapeControls(path).c_str(),
                     warning.c_str());
      }
      JsonObject(writer, info, hours);
    } else {
      // Each block goes out once its file is read, not after the last file.
      std::string block(first ? 0 : 1, '\n');
      block += TextBlock(info, hours);
      std::fwrite(block.data(), 1, block.size(), stdout);
      std::fflush(stdout);
    }
    first = false;
  }
  if (json) {
    writer.EndArray();
    const std::string text =
        EscapeDelInJson(std::string_view(buffer.GetString(), buffer.GetSize())) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "rqx340 info: cannot write the output\n");
    return 1;
  }
  return exit_code;
}

}  // namespace rqx340::cli
