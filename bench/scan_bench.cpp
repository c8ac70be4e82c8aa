// The folder scan over folders of generated measurements, and the full parse
// of one large measurement.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/progress.h"
#include "format/packed_rows.h"
#include "gen/measurement_generator.h"
#include "measurement/folder_scan.h"
#include "measurement/json_reader.h"

namespace {

namespace fs = std::filesystem;

// A generated folder that lives until the benchmark program ends.
class SampleFolder {
 public:
  SampleFolder(std::uint32_t count, std::uint32_t rows, rqx340::gen::Octaves octaves) {
    m_path = fs::temp_directory_path() /
             ("rqx340-scan-bench-" + std::to_string(count) + "-" + std::to_string(rows));
    fs::remove_all(m_path);
    rqx340::gen::GeneratorOptions options;
    options.count = count;
    options.rows = rows;
    options.octaves = octaves;
    options.raw = count / 10;
    options.raw_samples = 1;
    std::string error;
    m_ok = rqx340::gen::WriteMeasurements(options, m_path.string(), &error);
    if (!m_ok) std::fprintf(stderr, "scan_bench: %s\n", error.c_str());
  }
  ~SampleFolder() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
  }
  const fs::path& Path() const { return m_path; }
  bool Ok() const { return m_ok; }

 private:
  fs::path m_path;
  bool m_ok = false;
};

const SampleFolder& Folder(std::uint32_t count) {
  static std::map<std::uint32_t, std::unique_ptr<SampleFolder>> folders;
  auto& folder = folders[count];
  if (!folder) folder = std::make_unique<SampleFolder>(count, 20, rqx340::gen::Octaves::kBoth);
  return *folder;
}

// One measurement of 3600 rows with both octave band sets.
const SampleFolder& LargeMeasurementFolder() {
  static const SampleFolder folder(1, 3600, rqx340::gen::Octaves::kBoth);
  return folder;
}

// Lists a folder; fails when any file needed more than one 65536-byte read.
void BM_ScanFolder(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  const SampleFolder& folder = Folder(count);
  if (!folder.Ok()) {
    state.SkipWithError("cannot generate the sample folder");
    return;
  }
  rqx340::NullProgressSink progress;
  rqx340::ScanReport report;
  for (auto _ : state) {
    report = {};
    auto records = rqx340::ScanFolder(folder.Path().string(), progress, &report);
    benchmark::DoNotOptimize(records.data());
    if (records.size() != count) {
      state.SkipWithError("not every measurement was listed");
      return;
    }
  }
  if (report.m_nBlocksRead > report.m_nFilesOpened) {
    state.SkipWithError("more than one 65536-byte block read per file");
    return;
  }
  state.counters["files"] = static_cast<double>(report.m_nFilesOpened);
  state.counters["blocks/file"] =
      static_cast<double>(report.m_nBlocksRead) / static_cast<double>(report.m_nFilesOpened);
  state.counters["files/s"] =
      benchmark::Counter(static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ScanFolder)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Baseline: opening every file of the folder and reading its first 65536-byte
// block, the least any scan of the folder must do.
void BM_ReadFirstBlocks(benchmark::State& state) {
  const auto count = static_cast<std::uint32_t>(state.range(0));
  const SampleFolder& folder = Folder(count);
  std::vector<fs::path> paths;
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    if (entry.path().extension() == ".rqx2") paths.push_back(entry.path());
  }
  std::vector<std::byte> buffer(rqx340::kReadBufferSize);
  for (auto _ : state) {
    for (const auto& path : paths) {
      auto file = rqx340::InputFile::Open(path.string());
      benchmark::DoNotOptimize(file->Read(buffer));
    }
  }
}
BENCHMARK(BM_ReadFirstBlocks)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The import's full parse of one measurement of 3600 rows with both octave band sets.
void BM_ParseMeasurement(benchmark::State& state) {
  const std::string path = (LargeMeasurementFolder().Path() / "M0001.rqx2").string();
  std::vector<char> buffer(rqx340::kReadBufferSize);
  rqx340::NullProgressSink progress;
  rqx340::NullMessagePump pump;
  for (auto _ : state) {
    auto file = rqx340::InputFile::Open(path);
    rqx340::ProgressFileReadStream stream(&*file, buffer, progress, pump);
    rapidjson::Document document;
    rqx340::PackedRows rows;
    rqx340::ParseMeasurement(stream, document, rows);
    if (!document.IsObject()) {
      state.SkipWithError("the measurement did not parse");
      return;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_ParseMeasurement)->Unit(benchmark::kMillisecond);

// Baseline: reading the same file through the same buffer without parsing.
void BM_ReadMeasurement(benchmark::State& state) {
  const std::string path = (LargeMeasurementFolder().Path() / "M0001.rqx2").string();
  std::vector<std::byte> buffer(rqx340::kReadBufferSize);
  for (auto _ : state) {
    auto file = rqx340::InputFile::Open(path);
    while (file->Read(buffer).ValueOr(0) == buffer.size()) {
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(fs::file_size(path)));
}
BENCHMARK(BM_ReadMeasurement)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
