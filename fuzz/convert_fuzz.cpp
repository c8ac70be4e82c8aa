// The import's road for one measurement file: the full parse with its streamed
// rows, checked against a plain parse into one document, then the
// exchange-file writer into memory (or its refusal of a file too large for the
// format), then the reader on what was written. The reader must accept every
// file the writer finished. The numbers, the plot data and the CSV come from
// the same rows and must agree with the file.
#include <rapidjson/document.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/progress.h"
#include "format/exchange_reader.h"
#include "format/exchange_writer.h"
#include "format/packed_rows.h"
#include "fuzz_support.h"
#include "import/export_files.h"
#include "import/measurement_numbers.h"
#include "import/plot_axes.h"
#include "measurement/json_reader.h"

namespace {

using namespace rqx340;

// Far beyond what a legitimate input of the fuzzer's length writes; a larger
// output comes from band counts read from the file and must end as a write
// error, or be refused before any write when it would not fit the format.
constexpr std::size_t kSinkLimit = 8u << 20;

// Checks the writer's progress protocol: position 0, step 1, range 0 .. rows,
// then one step per row.
class CheckingProgress final : public ProgressSink {
 public:
  void SetRange(std::int32_t low, std::int32_t high) override {
    FUZZ_CHECK(low == 0 && high >= 0);
    m_nHigh = high;
  }
  void SetPos(std::int32_t pos) override { FUZZ_CHECK(pos == 0); }
  void SetStep(std::int32_t step) override { FUZZ_CHECK(step == 1); }
  void StepIt() override { ++m_nSteps; }
  void Show() override {}
  void Hide() override {}

  std::int64_t Steps() const { return m_nSteps; }
  std::int32_t High() const { return m_nHigh; }

 private:
  std::int64_t m_nSteps = 0;
  std::int32_t m_nHigh = -1;
};

struct Parsed {
  rapidjson::Document document;
  PackedRows rows;
  rapidjson::ParseResult result;
};

void Parse(const std::uint8_t* data, std::size_t size, std::size_t buffer_size, Parsed& parsed) {
  auto file = fuzz::OpenBytes(data, size);
  NullProgressSink progress;
  NullMessagePump pump;
  std::vector<char> buffer(buffer_size);
  ProgressFileReadStream stream(file ? &*file : nullptr, buffer, progress, pump);
  parsed.result = ParseMeasurement(stream, parsed.document, parsed.rows);
}

// What the conversion reads of one time-history element, taken from a whole
// document the way the writer once read it.
float ElementValue(const rapidjson::Value& element) {
  return element.IsNumber() ? static_cast<float>(element.GetDouble()) : 0.0f;
}

// Equal values, objects member by member in order: RapidJSON's own == looks
// members up by name, which tells duplicate names apart wrongly. Without
// recursion, since the input may nest as deep as it is long.
bool SameValue(const rapidjson::Value& a, const rapidjson::Value& b) {
  std::vector<std::pair<const rapidjson::Value*, const rapidjson::Value*>> pending = {{&a, &b}};
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    if (x->GetType() != y->GetType()) return false;
    if (x->IsObject()) {
      if (x->MemberCount() != y->MemberCount()) return false;
      for (auto i = x->MemberBegin(), j = y->MemberBegin(); i != x->MemberEnd(); ++i, ++j) {
        if (i->name != j->name) return false;
        pending.emplace_back(&i->value, &j->value);
      }
    } else if (x->IsArray()) {
      if (x->Size() != y->Size()) return false;
      for (rapidjson::SizeType i = 0; i < x->Size(); ++i) pending.emplace_back(&(*x)[i], &(*y)[i]);
    } else if (*x != *y) {
      return false;
    }
  }
  return true;
}

// The streamed parse must agree with a plain parse of the whole file into one
// document: the same error at the same offset, the same rows, and everything
// else the same document with a null in the rows' place.
void CheckAgainstWholeDocument(const std::uint8_t* data, std::size_t size, const Parsed& parsed) {
  // A NUL ends the input, as in a file.
  const char* text = reinterpret_cast<const char*>(data);
  const std::size_t length = std::find(text, text + size, '\0') - text;
  rapidjson::Document whole;
  whole.Parse<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(text, length);
  // Inputs of the fuzzer's length cannot reach the nesting limit.
  FUZZ_CHECK(whole.HasParseError() == parsed.result.IsError());
  if (whole.HasParseError()) {
    FUZZ_CHECK(whole.GetParseError() == parsed.result.Code());
    FUZZ_CHECK(whole.GetErrorOffset() == parsed.result.Offset());
    FUZZ_CHECK(parsed.document.IsNull());
    FUZZ_CHECK(parsed.rows.RowCount() == 0);
    return;
  }
  rapidjson::Value* history = nullptr;
  if (whole.IsObject()) {
    const rapidjson::Value& root = whole;
    for (auto it = root.MemberBegin(); it != root.MemberEnd(); ++it) {
      if (JsonString(it->name) == "TimeHistory") {
        history = const_cast<rapidjson::Value*>(&it->value);  // `whole` is ours to change
        break;
      }
    }
  }
  if (history == nullptr || !history->IsArray()) {
    FUZZ_CHECK(parsed.rows.RowCount() == 0);
  } else {
    FUZZ_CHECK(parsed.rows.RowCount() == history->Size());
    rapidjson::SizeType r = 0;
    parsed.rows.ForEachRow([&](const RowView& row) {
      const rapidjson::Value& expected = (*history)[r++];
      FUZZ_CHECK(row.isArray == expected.IsArray());
      const std::size_t elements = expected.IsArray() ? expected.Size() : 0;
      FUZZ_CHECK(row.values.size() == elements);
      for (std::size_t i = 0; i < elements; ++i) {
        const float value = ElementValue(expected[static_cast<rapidjson::SizeType>(i)]);
        FUZZ_CHECK(std::memcmp(&value, &row.values[i], sizeof value) == 0);
      }
      return true;
    });
    history->SetNull();
  }
  FUZZ_CHECK(SameValue(whole, parsed.document));
}

// Same float32, NaN matching any NaN.
bool SameFloat(float a, float b) {
  return (std::isnan(a) && std::isnan(b)) || std::memcmp(&a, &b, sizeof a) == 0;
}

// The numbers and the plot of the parsed measurement, against its rows.
void CheckNumbers(const Parsed& parsed, std::size_t columns) {
  const MeasurementNumbers numbers = ComputeNumbers(parsed.document, parsed.rows);
  FUZZ_CHECK(numbers.rows == parsed.rows.RowCount());
  FUZZ_CHECK(numbers.axes.has_value() == (numbers.rows > 0));
  for (const double hours : {8.0, 0.5, 24.0}) {
    const auto a8 = DailyExposure(numbers, hours);
    FUZZ_CHECK(a8.has_value() == (numbers.rows > 0 && numbers.mode != OperatingMode::kVibration));
    if (!a8) continue;
    const ExposureVerdict verdict = JudgeExposure(numbers, *a8);
    // NaN, or a value made of cells that are not numbers, is never judged
    // below a value.
    if (std::isnan(*a8) || ExposureNotNumbers(numbers) > 0) {
      FUZZ_CHECK(verdict == ExposureVerdict::kNone || verdict == ExposureVerdict::kUnknown);
    }
    FUZZ_CHECK(!VerdictText(verdict, numbers).empty() || verdict == ExposureVerdict::kNone);
  }
  if (numbers.axes) {
    for (const AxisNumbers& axis : *numbers.axes) {
      FUZZ_CHECK(axis.rmsNotNumbers <= axis.notNumbers);
      FUZZ_CHECK(axis.notNumbers <= 3 * numbers.rows);
    }
  }
  const PlotData plot = ComputePlotData(parsed.document, parsed.rows, columns);
  FUZZ_CHECK(plot.rows == numbers.rows);
  FUZZ_CHECK(plot.columns <= columns && plot.columns <= numbers.rows);
  FUZZ_CHECK(plot.columns > 0 || numbers.rows == 0 || columns == 0);
  for (const PlotSeries& series : plot.series) {
    FUZZ_CHECK(series.min.size() == plot.columns && series.max.size() == plot.columns);
    for (std::size_t c = 0; c < plot.columns; ++c) {
      FUZZ_CHECK(std::isnan(series.min[c]) == std::isnan(series.max[c]));
      FUZZ_CHECK(std::isnan(series.min[c]) || series.min[c] <= series.max[c]);
    }
  }
  // The axes and the pointer, at a few widths: every row under some pixel.
  const PlotTimeBase base = ReadPlotTimeBase(parsed.document, plot.rows);
  const LocalePictures locale{"yyyy-MM-dd", "HH:mm:ss", EnglishDateTimeNames()};
  for (const int width : {1, 7, 640}) {
    const TimeAxis axis = MakeTimeAxis(base, width, 60, locale);
    FUZZ_CHECK(axis.ticks.size() <= static_cast<std::size_t>(width) + 1);
    for (const AxisTick& tick : axis.ticks) {
      FUZZ_CHECK(tick.position >= 0.0 && tick.position <= width);
    }
    std::uint64_t next = 0;
    for (int x = 0; x < width; ++x) {
      const auto hover = HoverAt(plot, base, x, width, locale);
      FUZZ_CHECK(hover.has_value() == (plot.columns > 0));
      if (!hover) break;
      FUZZ_CHECK(hover->firstRow <= next && hover->lastRow < plot.rows);
      next = std::max(next, hover->lastRow + 1);
    }
    FUZZ_CHECK(plot.columns == 0 || next == plot.rows);
  }
  float largest = 0.0f;
  for (const PlotSeries& series : plot.series) {
    for (const float value : series.max) largest = std::max(largest, value);
  }
  const ValueAxis values = MakeValueAxis(largest, 300, 30);
  FUZZ_CHECK(values.top >= largest || !std::isfinite(largest));
  FUZZ_CHECK(!values.ticks.empty() && values.ticks.size() <= 12);
  for (const ReferenceLine& line : ExposureLines(numbers, values, 300)) {
    FUZZ_CHECK(line.position >= 0.0 && line.position <= 300.0);
  }
}

// The CSV's first data row must read back to the exchange file's first row.
void CheckCsv(const Parsed& parsed, const ExchangeSource& source, const ExchangeFile& file) {
  fuzz::CappedSink sink(kSinkLimit);
  NullProgressSink progress;
  NullMessagePump pump;
  const ExportResult result =
      WriteCsv(parsed.document, parsed.rows, "input.rqx2", sink, progress, pump);
  if (result.status != ExportStatus::kWritten) {
    FUZZ_CHECK(result.status == ExportStatus::kTooLarge ||
               (result.status == ExportStatus::kNotWritten && sink.Refused()));
    return;
  }
  const std::string_view text(reinterpret_cast<const char*>(sink.Bytes().data()),
                              sink.Bytes().size());
  FUZZ_CHECK(text.starts_with("row,rms_x,"));
  const std::size_t header_end = text.find("\r\n");
  FUZZ_CHECK(header_end != std::string_view::npos);
  if (file.header.rowCount == 0) {
    FUZZ_CHECK(header_end + 2 == text.size());
    return;
  }
  std::vector<float> row(file.rowLength);
  FUZZ_CHECK(ReadRowValues(source, file, 0, 0, row));
  std::string_view line = text.substr(header_end + 2);
  line = line.substr(0, line.find("\r\n"));
  FUZZ_CHECK(line.starts_with("0,"));
  line.remove_prefix(2);
  for (std::size_t i = 0; i < row.size(); ++i) {
    const std::size_t comma = line.find(',');
    const std::string_view cell = line.substr(0, comma);
    float value = 0.0f;
    const auto [end, ec] = std::from_chars(cell.data(), cell.data() + cell.size(), value);
    FUZZ_CHECK(ec == std::errc() && end == cell.data() + cell.size());
    FUZZ_CHECK(SameFloat(value, row[i]));
    FUZZ_CHECK((comma == std::string_view::npos) == (i + 1 == row.size()));
    if (comma != std::string_view::npos) line.remove_prefix(comma + 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Parsed parsed;
  Parse(data, size, kReadBufferSize, parsed);
  {
    // The block size must not change what the parse sees.
    Parsed tiny;
    Parse(data, size, 1 + size % 7, tiny);
    FUZZ_CHECK(tiny.result.IsError() == parsed.result.IsError());
    FUZZ_CHECK(tiny.result.Code() == parsed.result.Code());
    FUZZ_CHECK(tiny.result.Offset() == parsed.result.Offset());
    FUZZ_CHECK(tiny.rows.RowCount() == parsed.rows.RowCount());
    FUZZ_CHECK(tiny.rows.PackedBytes() == parsed.rows.PackedBytes());
  }
  CheckAgainstWholeDocument(data, size, parsed);
  CheckNumbers(parsed, size % 300);

  const ExchangeFilePlan plan(parsed.document, parsed.rows, "input.rqx2");
  fuzz::CappedSink sink(kSinkLimit);
  CheckingProgress progress;
  NullMessagePump pump;
  const ExchangeWriteResult written = WriteExchangeFile(sink, plan, progress, pump);
  if (!plan.Fits()) {
    // Refused before a single byte.
    FUZZ_CHECK(written.status == ExchangeWriteStatus::kTooLarge);
    FUZZ_CHECK(sink.Bytes().empty());
    FUZZ_CHECK(plan.FileSize() > kMaxExchangeFileSize);
    return 0;
  }
  if (!written.Ok()) {
    FUZZ_CHECK(written.status == ExchangeWriteStatus::kWriteFailed && sink.Refused());
    FUZZ_CHECK(plan.FileSize() > kSinkLimit);
    return 0;
  }
  FUZZ_CHECK(progress.High() == written.rowCount);
  FUZZ_CHECK(progress.Steps() == written.rowCount);
  FUZZ_CHECK(sink.Bytes().size() == plan.FileSize());

  const MemorySource source(sink.Bytes());
  ExchangeReadError error;
  const auto file = ReadExchangeFile(source, &error);
  if (!file) {
    std::fprintf(stderr, "the reader refuses the written file: %s\n",
                 DescribeReadError(error).c_str());
    std::abort();
  }
  FUZZ_CHECK(file->header.rowCount == written.rowCount);
  FUZZ_CHECK(file->header.dataOffset == written.dataOffset);
  FUZZ_CHECK(file->fileSize == sink.Bytes().size());
  if (written.rowCount > 0) {
    std::vector<float> row(file->rowLength);
    FUZZ_CHECK(ReadRowValues(source, *file, 0, 0, row));
    FUZZ_CHECK(
        ReadRowValues(source, *file, static_cast<std::uint64_t>(written.rowCount) - 1, 0, row));
  }
  CheckCsv(parsed, source, *file);
  return 0;
}
