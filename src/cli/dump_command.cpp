// rqx340 dump: checks an exchange file the way the host relies on it and prints
// its contents as JSON.
#include <rapidjson/filewritestream.h>
#include <rapidjson/prettywriter.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "format/exchange_reader.h"
#include "platform/code_page.h"

namespace rqx340::cli {
namespace {

constexpr std::string_view kDumpUsage =
    "usage: rqx340 dump FILE [--rows N]\n"
    "\n"
    "Checks the structure of the exchange file FILE and prints it as JSON: the\n"
    "header fields, every record block decoded, and the first N data rows\n"
    "(default 5). Texts are decoded from the ANSI code page; floats are printed\n"
    "as the shortest decimal that reads back to the same float32, non-finite\n"
    "ones as \"Infinity\", \"-Infinity\" or \"NaN\".\n"
    "\n"
    "  --rows N  data rows to print (default 5)\n"
    "  --help    this text\n"
    "\n"
    "Exit status: 0 printed, 1 FILE cannot be read or is malformed (the message\n"
    "names the field and its offset), 2 usage error.\n";

int UsageError(const std::string& message) {
  std::fprintf(stderr, "rqx340 dump: %s\n%s", message.c_str(), kDumpUsage.data());
  return 2;
}

using JsonWriter = rapidjson::PrettyWriter<rapidjson::FileWriteStream>;

class DumpWriter {
 public:
  explicit DumpWriter(JsonWriter& writer) : m_writer(writer) {}

  void Key(std::string_view key) {
    m_writer.Key(key.data(), static_cast<rapidjson::SizeType>(key.size()));
  }
  // A text of the file, in the host's ANSI code page.
  void AnsiText(std::string_view text) {
    const std::string utf8 = FromAnsi(text);
    m_writer.String(utf8.data(), static_cast<rapidjson::SizeType>(utf8.size()));
  }
  void Int(std::int64_t value) { m_writer.Int64(value); }
  void Float(float value) {
    if (std::isnan(value)) {
      m_writer.String("NaN");
    } else if (std::isinf(value)) {
      m_writer.String(value > 0 ? "Infinity" : "-Infinity");
    } else {
      char text[32];
      const auto result = std::to_chars(text, text + sizeof text, value);
      m_writer.RawValue(text, static_cast<std::size_t>(result.ptr - text), rapidjson::kNumberType);
    }
  }
  JsonWriter& Raw() { return m_writer; }

 private:
  JsonWriter& m_writer;
};

void WriteHeader(DumpWriter& out, const ExchangeHeader& h) {
  out.Raw().StartObject();
  const std::pair<std::string_view, std::int32_t> fields[] = {
      {"version", h.version},
      {"complete", h.complete},
      {"rowCount", h.rowCount},
      {"headerRecordsOffset", h.headerRecordsOffset},
      {"timeRecordsOffset", h.timeRecordsOffset},
      {"summaryRecordsOffset", h.summaryRecordsOffset},
      {"chanBlockOffset", h.chanBlockOffset},
      {"dtimBlockOffset", h.dtimBlockOffset},
      {"channelRecordsOffset", h.channelRecordsOffset}};
  for (const auto& [key, value] : fields) {
    out.Key(key);
    out.Int(value);
  }
  out.Key("quantityBlockOffsets");
  out.Raw().StartArray();
  for (const std::int32_t offset : h.quantityBlockOffsets) out.Int(offset);
  out.Raw().EndArray();
  out.Key("dataOffset");
  out.Int(h.dataOffset);
  out.Raw().EndObject();
}

// {"tag": ..., then what `write_value` adds}
template <typename Record, typename WriteValue>
void WriteRecord(DumpWriter& out, const Record& record, WriteValue write_value) {
  out.Raw().StartObject();
  out.Key("tag");
  out.AnsiText(record.tag);
  write_value(record);
  out.Raw().EndObject();
}

template <typename Record, typename WriteValue>
void WriteRecords(DumpWriter& out, std::string_view key, const std::vector<Record>& records,
                  WriteValue write_value) {
  out.Key(key);
  out.Raw().StartArray();
  for (const auto& record : records) WriteRecord(out, record, write_value);
  out.Raw().EndArray();
}

bool WriteRows(DumpWriter& out, const ExchangeSource& source, const ExchangeFile& file,
               std::uint64_t rows) {
  out.Key("rows");
  out.Raw().StartArray();
  // Rows are read in pieces: a row may hold billions of octave values.
  std::vector<float> values(
      static_cast<std::size_t>(std::min<std::uint64_t>(file.rowLength, 4096)));
  for (std::uint64_t r = 0; r < rows; ++r) {
    out.Raw().StartArray();
    for (std::uint64_t first = 0; first < file.rowLength; first += values.size()) {
      const auto count =
          static_cast<std::size_t>(std::min<std::uint64_t>(values.size(), file.rowLength - first));
      const std::span<float> piece(values.data(), count);
      if (!ReadRowValues(source, file, r, first, piece)) return false;
      for (const float value : piece) out.Float(value);
    }
    out.Raw().EndArray();
  }
  out.Raw().EndArray();
  return true;
}

}  // namespace

int RunDump(Arguments args) {
  std::optional<std::string_view> path;
  std::uint64_t rows = 5;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kDumpUsage.data(), stdout);
      return 0;
    }
    if (arg == "--rows" || arg.starts_with("--rows=")) {
      std::string_view value;
      if (arg == "--rows") {
        if (i + 1 >= args.size()) return UsageError("--rows needs a value");
        value = args[++i];
      } else {
        value = arg.substr(7);
      }
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), rows);
      if (ec != std::errc() || end != value.data() + value.size() || value.empty()) {
        return UsageError("--rows takes a number of rows, not '" + std::string(value) + "'");
      }
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option '" + std::string(arg) + "'");
    } else if (path) {
      return UsageError("expected one FILE");
    } else {
      path = arg;
    }
  }
  if (!path) return UsageError("expected FILE");

  const std::string file_path(*path);
  const auto source = FileSource::Open(file_path);
  if (!source) {
    std::fprintf(stderr, "rqx340 dump: cannot read %s: missing, unreadable or not a regular file\n",
                 file_path.c_str());
    return 1;
  }
  ExchangeReadError error;
  const auto file = ReadExchangeFile(*source, &error);
  if (!file) {
    std::fprintf(stderr, "rqx340 dump: %s: malformed exchange file: %s\n", file_path.c_str(),
                 DescribeReadError(error).c_str());
    return 1;
  }

  char buffer[65536];
  rapidjson::FileWriteStream stream(stdout, buffer, sizeof buffer);
  JsonWriter writer(stream);
  writer.SetIndent(' ', 2);
  writer.SetFormatOptions(rapidjson::kFormatSingleLineArray);
  DumpWriter out(writer);
  writer.StartObject();
  out.Key("fileSize");
  out.Int(static_cast<std::int64_t>(file->fileSize));
  out.Key("header");
  WriteHeader(out, file->header);
  const auto text = [&](const TextRecord& record) {
    out.Key("text");
    out.AnsiText(record.text);
  };
  const auto int_value = [&](const IntRecord& record) {
    out.Key("value");
    out.Int(record.value);
  };
  const auto float_value = [&](const FloatRecord& record) {
    out.Key("value");
    out.Float(record.value);
  };
  WriteRecords(out, "headerRecords", file->headerRecords, text);
  WriteRecords(out, "timeRecords", file->timeRecords, int_value);
  WriteRecords(out, "summaryRecords", file->summaryRecords, float_value);
  WriteRecords(out, "channelRecords", file->channelRecords, text);
  out.Key("chan");
  WriteRecord(out, file->chan, int_value);
  out.Key("dtim");
  WriteRecord(out, file->dtim, float_value);
  out.Key("quantityBlocks");
  writer.StartArray();
  for (const auto& block : file->quantityBlocks) {
    writer.StartObject();
    out.Key("group");
    out.Int(block.group);
    out.Key("axis");
    out.Int(block.axis);
    out.Key("records");
    writer.StartArray();
    for (const auto& q : block.records) {
      writer.StartObject();
      out.Key("valueKind");
      out.Int(q.valueKind);
      out.Key("channelClass");
      out.Int(q.channelClass);
      out.Key("code");
      out.Int(q.code);
      out.Key("name");
      out.AnsiText(q.name);
      out.Key("unit");
      out.AnsiText(q.unit);
      writer.EndObject();
    }
    writer.EndArray();
    writer.EndObject();
  }
  writer.EndArray();
  out.Key("rowLength");
  out.Int(static_cast<std::int64_t>(file->rowLength));
  const std::uint64_t shown =
      std::min<std::uint64_t>(rows, static_cast<std::uint64_t>(file->header.rowCount));
  if (!WriteRows(out, *source, *file, shown)) {
    stream.Flush();
    std::fprintf(stderr, "\nrqx340 dump: cannot read %s: read error\n", file_path.c_str());
    return 1;
  }
  writer.EndObject();
  stream.Put('\n');
  stream.Flush();
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "rqx340 dump: cannot write the output\n");
    return 1;
  }
  return 0;
}

}  // namespace rqx340::cli
