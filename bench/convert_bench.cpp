// Throughput of the exchange-file writer on a large measurement: 100 000 rows
// with both octave sets (283 float32 values per row, about 113 MB of output).
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <cstdio>
#include <string>

#include "format/byte_sink.h"
#include "format/exchange_writer.h"
#include "format/packed_rows.h"
#include "measurement/json_reader.h"

namespace rqx340 {
namespace {

// Counts the bytes, as a file system with unlimited speed would take them.
class CountingSink final : public ByteSink {
 public:
  bool Write(std::span<const std::byte> bytes) override {
    m_nBytes += bytes.size();
    benchmark::DoNotOptimize(bytes.data());
    return true;
  }
  bool WriteAt(std::uint64_t, std::span<const std::byte>) override { return true; }
  std::uint64_t Bytes() const { return m_nBytes; }

 private:
  std::uint64_t m_nBytes = 0;
};

// A measurement with `rows` rows, 9 full-octave and 24 third-octave bands.
std::string SyntheticMeasurement(int rows) {
  std::string json =
      R"({"Header":{"SerialNum":"BENCH","StartDateTime":1500000000},)"
      R"("MeasurementProperties":{"MeasProperties":{"TAG_FULL_OCTAVE_54":1,"TAG_THIRD_OCTAVE_55":1}},)"
      R"("TimeHistoryColumns":{"rms_x":0,"peak_x":1,"vdv_x":2,"min_x":3,"max_x":4,"rms_y":5,)"
      R"("peak_y":6,"vdv_y":7,"min_y":8,"max_y":9,"rms_z":10,"peak_z":11,"vdv_z":12,"min_z":13,)"
      R"("max_z":14,"rms_sum":15,"peak_sum":16,"min_sum":17,"max_sum":18,)"
      R"("OBA1_1_Start":19,"OBA1_1_Count":9,"OBA1_3_Start":73,"OBA1_3_Count":24},"TimeHistory":[)";
  char value[32];
  for (int r = 0; r < rows; ++r) {
    json += r ? ",[" : "[";
    for (int c = 0; c < 19 + 6 * 9 + 6 * 24; ++c) {
      std::snprintf(value, sizeof value, c ? ",%.4f" : "%.4f", 0.001 * ((r * 31 + c * 17) % 2000));
      json += value;
    }
    json += ']';
  }
  return json + "]}";
}

const std::string& MeasurementText(int rows) {
  static std::string text;
  static int text_rows = -1;
  if (text_rows != rows) {
    text = SyntheticMeasurement(rows);
    text_rows = rows;
  }
  return text;
}

struct Parsed {
  rapidjson::Document document;
  PackedRows rows;
};

const Parsed& Measurement(int rows) {
  static Parsed parsed;
  static int parsed_rows = -1;
  if (parsed_rows != rows) {
    ParseMeasurementText(MeasurementText(rows), parsed.document, parsed.rows);
    parsed_rows = rows;
  }
  return parsed;
}

void BM_WriteExchangeFile(benchmark::State& state) {
  const Parsed& parsed = Measurement(static_cast<int>(state.range(0)));
  std::uint64_t bytes = 0;
  for (auto _ : state) {
    CountingSink sink;
    NullProgressSink progress;
    NullMessagePump pump;
    const ExchangeWriteResult result =
        WriteExchangeFile(sink, parsed.document, parsed.rows, "bench.rqx2", progress, pump);
    if (!result.Ok()) state.SkipWithError("write failed");
    bytes = sink.Bytes();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
  state.SetItemsProcessed(state.range(0) * state.iterations());
  state.counters["rows/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WriteExchangeFile)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Baseline: parsing the same measurement from memory, which every conversion
// does first. The writer should cost a fraction of it.
void BM_ParseSameMeasurement(benchmark::State& state) {
  const std::string& text = MeasurementText(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    rapidjson::Document document;
    document.Parse(text.c_str(), text.size());
    benchmark::DoNotOptimize(document.IsObject());
  }
}
BENCHMARK(BM_ParseSameMeasurement)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rqx340

BENCHMARK_MAIN();
