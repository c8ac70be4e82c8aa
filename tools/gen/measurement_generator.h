// Sample RQX340 measurements: realistic, deterministic (seeded) measurement files
// and raw data files. Standard C++ only, so the generator, tests and benchmarks
// can all build it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace rqx340::gen {

enum class Octaves { kNone, kFull, kThird, kBoth };
enum class RawPlacement { kBeside, kRawFolder };

struct GeneratorOptions {
  std::uint32_t count = 5;
  std::uint32_t rows = 100;  // time-history rows, one per second
  Octaves octaves = Octaves::kNone;
  std::uint32_t raw = 0;          // the first `raw` measurements get a raw data file
  std::uint32_t raw_missing = 0;  // the next ones announce raw data but have none
  std::uint64_t raw_samples = 7162;
  RawPlacement raw_placement = RawPlacement::kBeside;
  std::uint64_t seed = 1;
  std::string prefix = "M";
  // "TimeHistoryColumns" after "TimeHistory" instead of before it.
  bool columns_last = false;
  // Report-header lines and notes in Japanese instead of Western languages;
  // everything else stays the same.
  bool japanese_texts = false;
};

// What the generator decides for measurement `index` (0-based).
struct MeasurementPlan {
  std::string name;      // "<prefix>0001.rqx2"
  std::string raw_name;  // "<prefix>0001.raw"
  std::string serial;
  std::int64_t start = 0;  // the meter's clock reading, seconds as if UTC
  int mode = 0;            // 0 vibration, 1 hand-arm, 2 whole-body
  bool raw_announced = false;
  bool raw_written = false;
};

MeasurementPlan PlanMeasurement(const GeneratorOptions& options, std::uint32_t index);

// The JSON text of measurement `index`.
std::string MeasurementText(const GeneratorOptions& options, std::uint32_t index);

// Appends the raw data file of measurement `index` to `out`: `raw_samples`
// samples of three little-endian float32 values X, Y, Z, written in chunks.
// False on a write error.
bool WriteRawSamples(const GeneratorOptions& options, std::uint32_t index, std::FILE* out);

// Writes every measurement into `folder` (created when missing) and the raw
// data files beside them or in the sibling folder "raw". False with `error` set
// when something cannot be written. `warnings` receives what the user should
// know (for example that the folder scan will not find the raw folder).
bool WriteMeasurements(const GeneratorOptions& options, const std::string& folder,
                       std::string* error, std::vector<std::string>* warnings = nullptr);

}  // namespace rqx340::gen
