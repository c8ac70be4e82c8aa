// Writes the measurement JSON by hand, in a fixed key order, so the files are
// the same on every platform and for every seed.
#include "gen/measurement_generator.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <string_view>
#include <system_error>

#include "platform/file_system.h"

namespace rqx340::gen {
namespace {

namespace fs = std::filesystem;

// Names are UTF-8 here as everywhere inside; std::filesystem reads a char
// string in the system's code page, and UTF-8 only as char8_t.
fs::path PathOf(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string TextOf(const fs::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

constexpr std::int64_t kFirstMonday = 1672617600;  // 2023-01-02 00:00:00 on the meter's clock
constexpr double kRawSampleRate = 7162.0;          // samples per second of the raw signal
constexpr int kFullOctaveBands = 9;
constexpr int kThirdOctaveBands = 24;
constexpr int kBroadbandColumns = 19;

// SplitMix64: small, fast and the same on every platform, unlike the standard
// distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : m_state(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  double Uniform(double low, double high) { return low + (high - low) * Uniform(); }
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
  double Normal() {
    const double u = 1.0 - Uniform();  // (0, 1]
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * Uniform());
  }

 private:
  std::uint64_t m_state;
};

std::uint64_t Mix(std::uint64_t seed, std::uint64_t salt) {
  return Random(seed * 0x100000001B3ull ^ (salt + 0x632BE59BD9B4E019ull)).Next();
}

// Buffers text and hands it to the file in large pieces.
class Output {
 public:
  explicit Output(std::FILE* file = nullptr) : m_file(file) {}
  void Append(std::string_view text) {
    m_text.append(text);
    if (m_file != nullptr && m_text.size() >= (1u << 16)) Flush();
  }
  void Append(char c) { m_text.push_back(c); }
  bool Flush() {
    if (m_file == nullptr || m_text.empty()) return m_ok;
    m_ok = std::fwrite(m_text.data(), 1, m_text.size(), m_file) == m_text.size() && m_ok;
    m_text.clear();
    return m_ok;
  }
  std::string& Text() { return m_text; }

 private:
  std::FILE* m_file;
  std::string m_text;
  bool m_ok = true;
};

// Reals always with a fraction, so that readers take them as reals.
void AppendReal(Output& out, double value, int decimals = 4) {
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  out.Append(std::string_view(text, static_cast<std::size_t>(result.ptr - text)));
}

void AppendInteger(Output& out, std::int64_t value) { out.Append(std::to_string(value)); }

void AppendString(Output& out, std::string_view text) {
  out.Append('"');
  for (const char c : text) {
    if (c == '"' || c == '\\') out.Append('\\');
    out.Append(c);
  }
  out.Append('"');
}

void AppendKey(Output& out, std::string_view key) {
  AppendString(out, key);
  out.Append(':');
}

struct Member {
  Output& out;
  bool first = true;
  void Key(std::string_view key) {
    if (!first) out.Append(',');
    first = false;
    AppendKey(out, key);
  }
};

bool HasFull(Octaves o) { return o == Octaves::kFull || o == Octaves::kBoth; }
bool HasThird(Octaves o) { return o == Octaves::kThird || o == Octaves::kBoth; }

// Settings of one operating mode.
struct ModeSettings {
  std::array<int, 3> weighting;  // index into Ws Fa Fb Fc Wh Wm Wb Wc Wd We Wg Wj Wk
  std::array<double, 3> sum_factor;
  std::array<double, 3> level;  // typical rms of X, Y, Z in m/s2
  double limit;
  double action;
  double sensitivity;  // mV per m/s2
};

ModeSettings SettingsOf(int mode) {
  switch (mode) {
    case 1:  // hand-arm: Wh on every axis
      return {{4, 4, 4}, {1.0, 1.0, 1.0}, {2.2, 1.6, 3.1}, 5.0, 2.5, 1.02};
    case 2:  // whole-body: Wd horizontal, Wk vertical
      return {{8, 8, 12}, {1.4, 1.4, 1.0}, {0.21, 0.17, 0.48}, 1.15, 0.5, 10.1};
    default:  // plain vibration
      return {{0, 0, 0}, {1.0, 1.0, 1.0}, {0.6, 0.5, 0.9}, 1.15, 0.5, 10.1};
  }
}

constexpr std::array<std::string_view, 6> kSites = {
    "Werk 2, Halle S\xc3\xbc"
    "d",
    "Plant 3",
    "Depot North",
    "Quarry East",
    "Site 14",
    "Hangar B"};
constexpr std::array<std::string_view, 6> kMachines = {"Forklift FL-12",     "Excavator 320",
                                                       "Angle grinder AG-9", "Wheel loader L580",
                                                       "Hammer drill HD-2",  "Tractor 6R"};
constexpr std::array<std::string_view, 5> kOperators = {
    "Operator: J. Smith", "Operator: M. M\xc3\xbcller", "Operator: A. Rossi", "Operator: K. Nowak",
    "Operator: L. Garc\xc3\xad"
    "a"};
constexpr std::array<std::string_view, 6> kNoteTexts = {"Start of shift",
                                                        "Break",
                                                        "Operator change",
                                                        "Machine idle",
                                                        "Rough terrain",
                                                        "Messung gepr\xc3\xbc"
                                                        "ft"};
// The same in Japanese, as many of each.
constexpr std::array<std::string_view, 6> kSitesJapanese = {
    "第2工場 南ホール", "第3工場", "北倉庫", "東採石場", "現場14", "格納庫B"};
constexpr std::array<std::string_view, 6> kMachinesJapanese = {
    "フォークリフト FL-12",  "油圧ショベル 320",    "アングルグラインダー AG-9",
    "ホイールローダー L580", "ハンマードリル HD-2", "トラクター 6R"};
constexpr std::array<std::string_view, 5> kOperatorsJapanese = {
    "測定者：山田太郎", "測定者：佐藤花子", "測定者：鈴木一郎", "測定者：高橋健",
    "測定者：田中美咲"};
constexpr std::array<std::string_view, 6> kNoteTextsJapanese = {
    "始業", "休憩", "作業者交代", "機械停止中", "不整地走行", "測定確認済み"};
static_assert(kSitesJapanese.size() == kSites.size() &&
              kMachinesJapanese.size() == kMachines.size() &&
              kOperatorsJapanese.size() == kOperators.size() &&
              kNoteTextsJapanese.size() == kNoteTexts.size());

// A text of the chosen language, drawn as the Western one is drawn, so that both
// languages give the same measurements otherwise.
template <std::size_t N>
std::string_view Pick(Random& random, const std::array<std::string_view, N>& western,
                      const std::array<std::string_view, N>& japanese, bool in_japanese) {
  const auto index = random.Below(N);
  return in_japanese ? japanese[index] : western[index];
}

}  // namespace

MeasurementPlan PlanMeasurement(const GeneratorOptions& options, std::uint32_t index) {
  MeasurementPlan plan;
  const std::uint32_t digits =
      std::max<std::uint32_t>(4, static_cast<std::uint32_t>(std::to_string(options.count).size()));
  std::string number = std::to_string(index + 1);
  number.insert(0, digits - std::min<std::size_t>(digits, number.size()), '0');
  plan.name = options.prefix + number + ".rqx2";
  plan.raw_name = options.prefix + number + ".raw";

  // Two instruments per seed, in use for a week at a time.
  const std::uint64_t instrument = (index / 15) % 2;
  plan.serial = "RQ340-" + std::to_string(10000 + Mix(options.seed, 1000 + instrument) % 90000);

  // Three measurements per working day, Monday to Friday, from a seeded week of 2023.
  Random random(Mix(options.seed, index));
  const std::int64_t day = index / 3;
  const std::int64_t calendar_day =
      static_cast<std::int64_t>(Mix(options.seed, 7) % 52) * 7 + day / 5 * 7 + day % 5;
  const std::int64_t seconds_of_day =
      (7 * 3600) + (index % 3) * 3 * 3600 + static_cast<std::int64_t>(random.Below(2 * 3600));
  plan.start = kFirstMonday + calendar_day * 86400 + seconds_of_day;

  const double pick = random.Uniform();
  plan.mode = pick < 0.55 ? 2 : pick < 0.9 ? 1 : 0;
  plan.raw_written = index < options.raw;
  plan.raw_announced = index < static_cast<std::uint64_t>(options.raw) + options.raw_missing;
  return plan;
}

namespace {

void WriteMeasurement(const GeneratorOptions& options, std::uint32_t index, Output& out) {
  const MeasurementPlan plan = PlanMeasurement(options, index);
  const ModeSettings settings = SettingsOf(plan.mode);
  Random random(Mix(options.seed ^ 0xA5A5A5A5ull, index));
  const bool full = HasFull(options.octaves);
  const bool third = HasThird(options.octaves);

  out.Append('{');
  Member root{out};

  // The four keys the folder scan reads stand first, and no literal true, false
  // or null comes before them (none is written at all).
  root.Key("Header");
  out.Append('{');
  {
    Member m{out};
    m.Key("SerialNum");
    AppendString(out, plan.serial);
    m.Key("StartDateTime");
    AppendInteger(out, plan.start);
    m.Key("Model");
    AppendString(out, "RQX340");
    m.Key("Firmware");
    AppendString(out, "1.07.3");
  }
  out.Append('}');

  root.Key("MeasurementProperties");
  out.Append("{\"MeasProperties\":{");
  {
    Member m{out};
    m.Key("TAG_OPERATING_MODE_20");
    AppendInteger(out, plan.mode);
    m.Key("TAG_REPORT_HEADER_0_6");
    AppendString(out, Pick(random, kSites, kSitesJapanese, options.japanese_texts));
    m.Key("TAG_REPORT_HEADER_1_7");
    AppendString(out, Pick(random, kMachines, kMachinesJapanese, options.japanese_texts));
    m.Key("TAG_REPORT_HEADER_2_8");
    AppendString(out, Pick(random, kOperators, kOperatorsJapanese, options.japanese_texts));
    const char* axes[] = {"X", "Y", "Z"};
    for (int a = 0; a < 3; ++a) {
      m.Key(std::string("TAG_GAIN_") + axes[a] + "_" + std::to_string(22 + a));
      AppendReal(out, plan.mode == 1 ? 1.0 : 10.0, 1);
    }
    for (int a = 0; a < 3; ++a) {
      m.Key(std::string("TAG_SUM_FACTOR_K") + axes[a] + "_" + std::to_string(34 + a));
      AppendReal(out, settings.sum_factor[static_cast<std::size_t>(a)], 1);
    }
    for (int a = 0; a < 3; ++a) {
      m.Key(std::string("TAG_WEIGHTING_") + axes[a] + "_" + std::to_string(37 + a));
      AppendInteger(out, settings.weighting[static_cast<std::size_t>(a)]);
    }
    for (int a = 0; a < 3; ++a) {
      m.Key(std::string("TAG_SENSITIVITY_") + axes[a] + "_" + std::to_string(46 + a));
      AppendReal(out, settings.sensitivity * random.Uniform(0.97, 1.03), 3);
    }
    m.Key("TAG_DB_REFERENCE_51");
    AppendInteger(out, 1);
    m.Key("TAG_STORE_RAW_53");
    AppendInteger(out, plan.raw_announced ? 1 : 0);
    m.Key("TAG_FULL_OCTAVE_54");
    AppendInteger(out, full ? 1 : 0);
    m.Key("TAG_THIRD_OCTAVE_55");
    AppendInteger(out, third ? 1 : 0);
    m.Key("TAG_EXPOSURELIMIT_65");
    AppendReal(out, settings.limit, 2);
    m.Key("TAG_EXPOSUREACTION_66");
    AppendReal(out, settings.action, 2);
  }
  out.Append("}}");

  root.Key("Notes");
  out.Append('[');
  const std::uint32_t notes = random.Below(4);
  for (std::uint32_t n = 0; n < notes; ++n) {
    if (n > 0) out.Append(',');
    // The name is the note's time followed by one more character.
    const std::int64_t at =
        plan.start + static_cast<std::int64_t>((n + 1) * options.rows / (notes + 1));
    out.Append("{");
    AppendKey(out, std::to_string(at) + "s");
    AppendString(out, Pick(random, kNoteTexts, kNoteTextsJapanese, options.japanese_texts));
    out.Append("}");
  }
  out.Append(']');

  // The time history first into numbers, so the summary can be taken from it.
  const int full_start = kBroadbandColumns;
  const int third_start = kBroadbandColumns + (full ? 6 * kFullOctaveBands : 0);
  const int width = third_start + (third ? 6 * kThirdOctaveBands : 0);
  std::array<double, 3> sum4{};  // running sums of rms^4 for the VDV
  std::array<double, 3> sum2{};
  std::array<double, 3> peak_max{};
  double sum2_total = 0.0;
  std::array<double, 3> drift = {1.0, 1.0, 1.0};
  std::vector<double> row(static_cast<std::size_t>(width));

  // The summary stands before the rows in the file, so the rows are made twice
  // with the same seed: once for the summary, once to write them.
  const std::uint64_t row_seed = Mix(options.seed ^ 0x5EEDull, index);
  const auto make_row = [&](Random& r) {
    std::array<double, 3> rms{};
    std::array<double, 3> peak{};
    for (std::size_t a = 0; a < 3; ++a) {
      drift[a] = std::clamp(drift[a] * std::exp(0.05 * r.Normal()), 0.4, 2.5);
      rms[a] = settings.level[a] * drift[a] * std::exp(0.2 * r.Normal());
      peak[a] = rms[a] * r.Uniform(2.5, 5.0);
      sum4[a] += std::pow(rms[a], 4.0);
      const std::size_t base = a * 5;
      row[base + 0] = rms[a];
      row[base + 1] = peak[a];
      row[base + 2] = std::pow(sum4[a], 0.25) * 1.4;
      row[base + 3] = -peak[a] * r.Uniform(0.8, 1.0);
      row[base + 4] = peak[a] * r.Uniform(0.8, 1.0);
    }
    const auto& k = settings.sum_factor;
    const double rms_sum = std::sqrt(std::pow(k[0] * rms[0], 2) + std::pow(k[1] * rms[1], 2) +
                                     std::pow(k[2] * rms[2], 2));
    const double peak_sum = std::sqrt(std::pow(k[0] * peak[0], 2) + std::pow(k[1] * peak[1], 2) +
                                      std::pow(k[2] * peak[2], 2));
    row[15] = rms_sum;
    row[16] = peak_sum;
    row[17] = rms_sum * r.Uniform(0.1, 0.4);
    row[18] = peak_sum;
    const auto bands = [&](int start, int count) {
      for (int b = 0; b < count; ++b) {
        // Most energy in the middle bands, where the weighting lets it through.
        const double centre = (b - count * 0.45) / (count * 0.25);
        const double shape = std::exp(-0.5 * centre * centre) * 0.6;
        for (std::size_t a = 0; a < 3; ++a) {
          const double value = rms[a] * shape * std::exp(0.15 * r.Normal());
          row[static_cast<std::size_t>(start + 6 * b) + a] = value;
          row[static_cast<std::size_t>(start + 6 * b) + 3 + a] = value * r.Uniform(2.0, 4.0);
        }
      }
    };
    if (full) bands(full_start, kFullOctaveBands);
    if (third) bands(third_start, kThirdOctaveBands);
    return std::pair(rms, peak);
  };

  {
    Random r(row_seed);
    for (std::uint32_t i = 0; i < options.rows; ++i) {
      const auto [rms, peak] = make_row(r);
      for (std::size_t a = 0; a < 3; ++a) {
        sum2[a] += rms[a] * rms[a];
        peak_max[a] = std::max(peak_max[a], peak[a]);
      }
      sum2_total += row[15] * row[15];
    }
  }
  const double rows = std::max<double>(1.0, options.rows);

  root.Key("Summary");
  out.Append('{');
  {
    Member m{out};
    m.Key("Duration");
    AppendInteger(out, options.rows);
    m.Key("Overloads");
    AppendInteger(out, 0);
    const char* axes[] = {"X", "Y", "Z"};
    for (std::size_t a = 0; a < 3; ++a) {
      m.Key(std::string("Aeq") + axes[a]);
      AppendReal(out, std::sqrt(sum2[a] / rows));
    }
    m.Key("AeqSum");
    AppendReal(out, std::sqrt(sum2_total / rows));
    for (std::size_t a = 0; a < 3; ++a) {
      m.Key(std::string("Peak") + axes[a]);
      AppendReal(out, peak_max[a]);
    }
    for (std::size_t a = 0; a < 3; ++a) {
      m.Key(std::string("VDV") + axes[a]);
      AppendReal(out, std::pow(sum4[a], 0.25) * 1.4);
    }
    m.Key("A8");
    AppendReal(out, std::sqrt(sum2_total / rows) * std::sqrt(options.rows / 28800.0));
    m.Key("Points");
    AppendReal(out,
               std::pow(std::sqrt(sum2_total / rows) / std::max(settings.action, 1e-9), 2) *
                   options.rows / 28800.0 * 100.0,
               1);
  }
  out.Append('}');

  const auto write_columns = [&] {
    root.Key("TimeHistoryColumns");
    out.Append('{');
    Member m{out};
    const char* quantities[] = {"rms", "peak", "vdv", "min", "max"};
    const char* axes[] = {"_x", "_y", "_z"};
    int column = 0;
    for (const char* axis : axes) {
      for (const char* quantity : quantities) {
        m.Key(std::string(quantity) + axis);
        AppendInteger(out, column++);
      }
    }
    for (const char* quantity : {"rms", "peak", "min", "max"}) {
      m.Key(std::string(quantity) + "_sum");
      AppendInteger(out, column++);
    }
    if (full) {
      m.Key("OBA1_1_Start");
      AppendInteger(out, full_start);
      m.Key("OBA1_1_Count");
      AppendInteger(out, kFullOctaveBands);
    }
    if (third) {
      m.Key("OBA1_3_Start");
      AppendInteger(out, third_start);
      m.Key("OBA1_3_Count");
      AppendInteger(out, kThirdOctaveBands);
    }
    out.Append('}');
  };
  const auto write_history = [&] {
    root.Key("TimeHistory");
    out.Append('[');
    sum4 = {};
    drift = {1.0, 1.0, 1.0};
    Random r(row_seed);
    for (std::uint32_t i = 0; i < options.rows; ++i) {
      make_row(r);
      out.Append(i == 0 ? "\n[" : ",\n[");
      for (std::size_t c = 0; c < row.size(); ++c) {
        if (c > 0) out.Append(',');
        AppendReal(out, row[c]);
      }
      out.Append(']');
    }
    out.Append(']');
  };
  // The meter writes the columns first.
  if (options.columns_last) {
    write_history();
    write_columns();
  } else {
    write_columns();
    write_history();
  }
  out.Append("}\n");
}

}  // namespace

std::string MeasurementText(const GeneratorOptions& options, std::uint32_t index) {
  Output out;
  WriteMeasurement(options, index, out);
  return std::move(out.Text());
}

bool WriteRawSamples(const GeneratorOptions& options, std::uint32_t index, std::FILE* out) {
  const MeasurementPlan plan = PlanMeasurement(options, index);
  const ModeSettings settings = SettingsOf(plan.mode);
  Random random(Mix(options.seed ^ 0x7A77ull, index));
  // A few machine frequencies per axis and some noise, around the axis level.
  std::array<std::array<double, 3>, 3> frequency{};
  std::array<std::array<double, 3>, 3> phase{};
  for (auto& axis : frequency) {
    for (double& f : axis)
      f = plan.mode == 1 ? random.Uniform(30.0, 400.0) : random.Uniform(1.5, 20.0);
  }
  for (auto& axis : phase) {
    for (double& p : axis) p = random.Uniform(0.0, 2.0 * std::numbers::pi);
  }
  constexpr std::size_t kChunkSamples = 4096;
  std::vector<unsigned char> chunk;
  chunk.reserve(kChunkSamples * 12);
  for (std::uint64_t n = 0; n < options.raw_samples; ++n) {
    const double t = static_cast<double>(n) / kRawSampleRate;
    for (std::size_t a = 0; a < 3; ++a) {
      double value = 0.0;
      for (std::size_t k = 0; k < 3; ++k) {
        value += std::sin(2.0 * std::numbers::pi * frequency[a][k] * t + phase[a][k]) / (1.0 + k);
      }
      value = settings.level[a] * (value * 0.8 + 0.3 * random.Normal());
      const float sample = static_cast<float>(value);
      std::uint32_t bits;
      std::memcpy(&bits, &sample, sizeof bits);
      for (int byte = 0; byte < 4; ++byte) {
        chunk.push_back(static_cast<unsigned char>(bits >> (8 * byte)));
      }
    }
    if (chunk.size() >= kChunkSamples * 12 || n + 1 == options.raw_samples) {
      if (std::fwrite(chunk.data(), 1, chunk.size(), out) != chunk.size()) return false;
      chunk.clear();
    }
  }
  return true;
}

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  if (from.empty()) return text;
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

bool WriteFile(const fs::path& path, const std::string& what,
               const std::function<bool(std::FILE*)>& fill, std::string* error) {
  UniqueFile file(OpenStdioFile(TextOf(path), "wb"));
  bool ok = file != nullptr && fill(file.get());
  if (file) ok = std::fclose(file.release()) == 0 && ok;
  if (!ok && error != nullptr) {
    *error = "cannot write " + what + " '" + TextOf(path) + "': " + std::strerror(errno);
  }
  return ok;
}

}  // namespace

bool WriteMeasurements(const GeneratorOptions& options, const std::string& folder,
                       std::string* error, std::vector<std::string>* warnings) {
  std::error_code ec;
  const fs::path target = fs::absolute(PathOf(folder), ec).lexically_normal();
  fs::path target_dir = target;
  if (!target_dir.has_filename()) target_dir = target_dir.parent_path();
  fs::create_directories(target_dir, ec);
  if (ec || !fs::is_directory(target_dir)) {
    if (error != nullptr) *error = "cannot create folder '" + folder + "': " + ec.message();
    return false;
  }
  fs::path raw_dir = target_dir;
  const bool any_raw = options.raw > 0;
  if (any_raw && options.raw_placement == RawPlacement::kRawFolder) {
    if (target_dir == target_dir.root_path()) {
      if (error != nullptr) *error = "the root folder has no sibling folder for raw data";
      return false;
    }
    raw_dir = target_dir.parent_path() / "raw";
    fs::create_directories(raw_dir, ec);
    if (ec) {
      if (error != nullptr)
        *error = "cannot create folder '" + TextOf(raw_dir) + "': " + ec.message();
      return false;
    }
  }

  bool warned = false;
  for (std::uint32_t i = 0; i < options.count; ++i) {
    const MeasurementPlan plan = PlanMeasurement(options, i);
    if (!WriteFile(
            target_dir / PathOf(plan.name), "measurement",
            [&](std::FILE* file) {
              Output out(file);
              WriteMeasurement(options, i, out);
              return out.Flush();
            },
            error)) {
      return false;
    }
    if (!plan.raw_written) continue;
    const fs::path raw_path = raw_dir / PathOf(plan.raw_name);
    if (!WriteFile(
            raw_path, "raw data file",
            [&](std::FILE* file) { return WriteRawSamples(options, i, file); }, error)) {
      return false;
    }
    if (options.raw_placement == RawPlacement::kRawFolder && warnings != nullptr && !warned) {
      // The scan looks in the path with every occurrence of the folder's name
      // replaced by "raw"; say so when that is not where the file went.
      const std::string beside = TextOf(target_dir / PathOf(plan.raw_name));
      const std::string found = ReplaceAll(beside, TextOf(target_dir.filename()), "raw");
      if (found != TextOf(raw_path)) {
        warnings->push_back("the folder scan will look for raw data at '" + found + "', not in '" +
                            TextOf(raw_dir) + "'");
        warned = true;
      }
    }
  }
  return true;
}

}  // namespace rqx340::gen
