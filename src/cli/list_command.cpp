// rqx340 list: the measurements of a folder, as the dialog's list shows them.
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/progress.h"
#include "base/string_table.h"
#include "cli/commands.h"
#include "cli/terminal_text.h"
#include "measurement/date_time.h"
#include "measurement/folder_scan.h"
#include "platform/code_page.h"
#include "platform/locale_pictures.h"

namespace rqx340::cli {
namespace {

constexpr std::string_view kListUsage =
    "usage: rqx340 list [--all] [--tsv | --json] FOLDER\n"
    "\n"
    "Lists the measurement files (*.rqx2) of FOLDER that carry a start time, a\n"
    "serial number, an operating mode and a raw-data flag, sorted by file name.\n"
    "\n"
    "  --all      also the *.rqx2 files that are not listed, with the reason in a\n"
    "             last column (Reason; reason in TSV; reason and reasonCode in\n"
    "             JSON, null for a listed file); their other fields are empty\n"
    "             (null in JSON)\n"
    "  (default)  an aligned table: Name, Start time, S/N, Size, Mode, Raw;\n"
    "             a backslash is shown as \\\\, a control character as \\xNN\n"
    "  --tsv      one line per measurement, no header, fields separated by TAB:\n"
    "             name, start (seconds since 1970 UTC, 0 unknown, -1 out of range),\n"
    "             serial number, size in bytes, mode (Vib, HA, WB), raw flag\n"
    "             (0 none, 1 raw file found, 2 announced but missing);\n"
    "             \\ TAB LF CR in a field are written as \\\\ \\t \\n \\r, other\n"
    "             control characters as \\xNN\n"
    "  --json     a compact JSON array of objects with the keys name, start,\n"
    "             startText, serial, size, mode, raw\n"
    "  --help     this text\n"
    "\n"
    "Exit status: 0 success (also for a folder without measurements), 1 the folder\n"
    "cannot be read, 2 usage error.\n";

enum class Format { kTable, kTsv, kJson };

int UsageError(const std::string& message) {
  std::fprintf(stderr, "rqx340 list: %s\n%s", message.c_str(), kListUsage.data());
  return 2;
}

std::string StartText(std::int64_t start, const LocalePictures& locale) {
  return start == 0 ? std::string("N/A") : FormatDateTime(start, locale);
}

std::string RawText(std::int32_t raw) {
  if (raw == 0) return "NO";
  if (raw == 2) return "YES*";  // announced, but no raw data file was found
  return "YES";
}

// One line of the output: a listed record, or with --all a file left out.
struct Row {
  const CRQX340Json* record = nullptr;
  const LeftOutFile* left_out = nullptr;

  const std::string& Name() const {
    return record != nullptr ? record->m_strName : left_out->m_strName;
  }
};

std::string ReasonText(const LeftOutFile& file) { return LeftOutText(file, EnglishStrings()); }

void PrintTsv(const std::vector<Row>& rows, bool all) {
  for (const Row& row : rows) {
    if (row.left_out != nullptr) {
      std::string line = EscapeTsvField(row.left_out->m_strName);
      line += "\t\t\t\t\t\t";
      line += EscapeTsvField(ReasonText(*row.left_out));
      line += '\n';
      std::fwrite(line.data(), 1, line.size(), stdout);
      continue;
    }
    const CRQX340Json& r = *row.record;
    std::string line = EscapeTsvField(r.m_strName);
    line += '\t';
    line += std::to_string(r.m_tStart);
    line += '\t';
    line += EscapeTsvField(r.m_strSerialNum);
    line += '\t';
    line += std::to_string(r.m_nSize);
    line += '\t';
    line += EscapeTsvField(r.m_strMode);
    line += '\t';
    line += std::to_string(r.m_nRaw);
    if (all) line += '\t';
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
}

void PrintJson(const std::vector<Row>& rows, bool all) {
  const LocalePictures locale = UserLocalePictures();
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  const auto text = [&writer](std::string_view value) {
    const std::string valid = SanitizeUtf8(value);
    writer.String(valid.data(), static_cast<rapidjson::SizeType>(valid.size()));
  };
  writer.StartArray();
  for (const Row& row : rows) {
    writer.StartObject();
    if (row.left_out != nullptr) {
      writer.Key("name");
      text(row.left_out->m_strName);
      for (const char* key : {"start", "startText", "serial", "size", "mode", "raw"}) {
        writer.Key(key);
        writer.Null();
      }
      writer.Key("reason");
      text(ReasonText(*row.left_out));
      writer.Key("reasonCode");
      text(LeftOutReasonName(row.left_out->m_nReason));
      writer.EndObject();
      continue;
    }
    const CRQX340Json& r = *row.record;
    writer.Key("name");
    text(r.m_strName);
    writer.Key("start");
    writer.Int64(r.m_tStart);
    writer.Key("startText");
    text(StartText(r.m_tStart, locale));
    writer.Key("serial");
    text(r.m_strSerialNum);
    writer.Key("size");
    writer.Uint64(r.m_nSize);
    writer.Key("mode");
    text(r.m_strMode);
    writer.Key("raw");
    writer.Int(r.m_nRaw);
    if (all) {
      writer.Key("reason");
      writer.Null();
      writer.Key("reasonCode");
      writer.Null();
    }
    writer.EndObject();
  }
  writer.EndArray();
  const std::string json = EscapeDelInJson(std::string_view(buffer.GetString(), buffer.GetSize()));
  std::fwrite(json.data(), 1, json.size(), stdout);
  std::fputc('\n', stdout);
}

void PrintTable(const std::vector<Row>& rows, bool all) {
  // The seventh column, the reason, only with --all.
  constexpr std::size_t kColumns = 7;
  const std::size_t columns = all ? kColumns : kColumns - 1;
  constexpr bool kRightAligned[kColumns] = {false, false, false, true, false, false, false};
  const LocalePictures locale = UserLocalePictures();
  std::vector<std::array<std::string, kColumns>> cells;
  cells.push_back({"Name", "Start time", "S/N", "Size", "Mode", "Raw", "Reason"});
  for (const Row& row : rows) {
    if (row.left_out != nullptr) {
      cells.push_back({SanitizeUtf8(EscapeTableCell(row.left_out->m_strName)), "", "", "", "", "",
                       SanitizeUtf8(EscapeTableCell(ReasonText(*row.left_out)))});
      continue;
    }
    const CRQX340Json& r = *row.record;
    cells.push_back({SanitizeUtf8(EscapeTableCell(r.m_strName)),
                     SanitizeUtf8(EscapeTableCell(StartText(r.m_tStart, locale))),
                     SanitizeUtf8(EscapeTableCell(r.m_strSerialNum)), std::to_string(r.m_nSize),
                     SanitizeUtf8(EscapeTableCell(r.m_strMode)), RawText(r.m_nRaw), ""});
  }
  std::array<std::size_t, kColumns> widths{};
  for (const auto& line_cells : cells) {
    for (std::size_t c = 0; c < columns; ++c)
      widths[c] = std::max(widths[c], DisplayWidth(line_cells[c]));
  }
  for (const auto& line_cells : cells) {
    std::string line;
    for (std::size_t c = 0; c < columns; ++c) {
      const std::string padding(widths[c] - DisplayWidth(line_cells[c]), ' ');
      if (c > 0) line += "  ";
      if (kRightAligned[c]) line += padding;
      line += line_cells[c];
      if (!kRightAligned[c] && c + 1 < columns) line += padding;
    }
    // A listed file has no reason: no blanks after its last field.
    if (all) line.erase(line.find_last_not_of(' ') + 1);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
  }
}

}  // namespace

int RunList(Arguments args) {
  Format format = Format::kTable;
  bool format_given = false;
  bool all = false;
  std::vector<std::string_view> operands;
  bool options_done = false;
  for (const std::string_view arg : args) {
    if (!options_done && (arg == "--help" || arg == "-h")) {
      std::fputs(kListUsage.data(), stdout);
      return 0;
    }
    if (!options_done && arg == "--all") {
      all = true;
    } else if (!options_done && (arg == "--tsv" || arg == "--json")) {
      const Format wanted = arg == "--tsv" ? Format::kTsv : Format::kJson;
      if (format_given && wanted != format)
        return UsageError("--tsv and --json exclude each other");
      format = wanted;
      format_given = true;
    } else if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg.size() > 1 && arg.front() == '-') {
      return UsageError("unknown option '" + std::string(arg) + "'");
    } else {
      operands.push_back(arg);
    }
  }
  if (operands.size() != 1) {
    return UsageError(operands.empty() ? "missing FOLDER" : "only one FOLDER is listed");
  }
  const std::string folder(operands[0]);
  if (folder.empty()) return UsageError("FOLDER is empty");

  NullProgressSink progress;
  ScanReport report;
  std::vector<CRQX340Json> records = ScanFolder(folder, progress, &report);
  if (!report.m_bListed) {
    std::fprintf(stderr, "rqx340 list: cannot read folder '%s': %s\n",
                 EscapeControls(folder).c_str(), EscapeControls(report.m_strError).c_str());
    return 1;
  }
  std::vector<Row> rows;
  rows.reserve(records.size() + (all ? report.m_arrLeftOut.size() : 0));
  for (const CRQX340Json& record : records) rows.push_back({&record, nullptr});
  if (all) {
    for (const LeftOutFile& file : report.m_arrLeftOut) rows.push_back({nullptr, &file});
  }
  // std::string orders its bytes as unsigned char: byte order.
  std::sort(rows.begin(), rows.end(),
            [](const Row& a, const Row& b) { return a.Name() < b.Name(); });

  switch (format) {
    case Format::kTsv:
      PrintTsv(rows, all);
      break;
    case Format::kJson:
      PrintJson(rows, all);
      break;
    case Format::kTable:
      if (!rows.empty()) PrintTable(rows, all);
      break;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("rqx340 list: cannot write to standard output\n", stderr);
    return 1;
  }
  return 0;
}

}  // namespace rqx340::cli
