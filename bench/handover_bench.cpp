// The raw signal hand-over: splitting a raw data file into the three axis files
// (read, mean removal, write) and moving each to the raw signal name, with a
// host that answers command 20 at once. Memory stays at one chunk whatever the
// file's size; the time grows with the samples.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exchange/raw_signal.h"
#include "platform/process.h"
#include "platform/temp_files.h"

namespace {

using namespace rqx340;
namespace fs = std::filesystem;

class BenchFolder {
 public:
  BenchFolder()
      : m_path(fs::temp_directory_path() /
               ("rqx340-handover-bench-" + std::to_string(CurrentProcessId()))) {
    fs::remove_all(m_path);
    fs::create_directories(m_path / "temp");
  }
  ~BenchFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  const fs::path& Path() const { return m_path; }

 private:
  fs::path m_path;
};

void WriteRawFile(const std::string& raw_path, std::size_t samples) {
  std::vector<float> values(samples * 3);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = static_cast<float>(i % 1000) / 7;
  std::ofstream out(raw_path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(values.data()),
            static_cast<std::streamsize>(values.size() * sizeof(float)));
}

void BM_RawSignalHandOver(benchmark::State& state) {
  const auto samples = static_cast<std::size_t>(state.range(0));
  BenchFolder dir;
  const std::string raw_path = (dir.Path() / "m.raw").string();
  WriteRawFile(raw_path, samples);
  auto folder = TempFolder::Open((dir.Path() / "temp").string());
  const TempNamer namer;
  int commands = 0;
  NullMessagePump pump;
  for (auto _ : state) {
    const RawHandoverResult result = HandOverRawSignal(
        *folder, "ZURQX340", namer, raw_path, 0,
        [&] {
          ++commands;
          return true;
        },
        pump);
    if (result != RawHandoverResult::kHandedOver) state.SkipWithError("hand-over failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * samples * 12));
  state.counters["commands"] = static_cast<double>(commands);
}
BENCHMARK(BM_RawSignalHandOver)
    ->Arg(7162)
    ->Arg(120000)
    ->Arg(2000000)
    ->Unit(benchmark::kMillisecond);

// Baseline: copying the raw data file once with the same chunk size, the I/O
// any hand-over of it needs.
void BM_CopyRawFile(benchmark::State& state) {
  const auto samples = static_cast<std::size_t>(state.range(0));
  BenchFolder dir;
  const std::string raw_path = (dir.Path() / "m.raw").string();
  WriteRawFile(raw_path, samples);
  std::vector<char> buffer(600000);
  for (auto _ : state) {
    std::FILE* in = std::fopen(raw_path.c_str(), "rb");
    std::FILE* out = std::fopen((dir.Path() / "temp" / "copy").c_str(), "wb");
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
      std::fwrite(buffer.data(), 1, got, out);
    }
    std::fclose(out);
    std::fclose(in);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * samples * 12));
}
BENCHMARK(BM_CopyRawFile)->Arg(7162)->Arg(120000)->Arg(2000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
