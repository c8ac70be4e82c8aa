// rqx340 info and rqx340 export, run as programs on generated measurements and
// on broken input; the exports are read back with libsndfile and with Python.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#ifdef RQX340_HAVE_SNDFILE
#include <sndfile.h>
#endif

#include "support/fifo.h"
#include "support/run_program.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::DataFile;
using test::ProgramResult;
using test::ReadFileBytes;
using test::RunProgram;
using test::TempDir;

const std::vector<std::string> kEnv = {"TZ=UTC", "RQX340_SHORTDATE=yyyy-MM-dd",
                                       "RQX340_TIMEFORMAT=HH:mm:ss"};

ProgramResult Rqx340(const std::string& command, const std::vector<std::string>& args) {
  std::vector<std::string> all = {command};
  all.insert(all.end(), args.begin(), args.end());
  return RunProgram("rqx340", all, kEnv);
}

// Measurements of every mode (M0001 whole-body, M0002 hand-arm, M0003
// vibration), with octaves; M0001 has raw data, M0002 announces it.
void Generate(const fs::path& folder) {
  const ProgramResult gen =
      RunProgram("rqx340-gen", {"--count", "3", "--rows", "40", "--octaves", "both", "--raw", "1",
                                "--raw-missing", "1", "--raw-samples", "1000", folder.string()});
  ASSERT_EQ(gen.exit_code, 0) << gen.err;
}

rapidjson::Document Json(const std::string& text) {
  rapidjson::Document document;
  document.Parse(text.c_str());
  EXPECT_FALSE(document.HasParseError()) << text;
  return document;
}

const fs::path kReadback = fs::path(RQX340_TESTS_DIR) / "cli/export_readback.py";

TEST(InfoCommand, TextAndJsonOfEveryMode) {
  TempDir dir;
  Generate(dir.Path());
  const std::string m1 = (dir.Path() / "M0001.rqx2").string();
  const std::string m2 = (dir.Path() / "M0002.rqx2").string();
  const std::string m3 = (dir.Path() / "M0003.rqx2").string();

  const ProgramResult text = Rqx340("info", {"--exposure-hours", "4", m1, m2, m3});
  ASSERT_EQ(text.exit_code, 0) << text.err;
  EXPECT_NE(text.out.find("rows             40\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("mode             WB\n"), std::string::npos);
  EXPECT_NE(text.out.find("A(8)             none (vibration mode)\n"), std::string::npos);
  EXPECT_NE(text.out.find(" m/s^1.75\n"), std::string::npos);
  EXPECT_NE(text.out.find("verdict          "), std::string::npos);

  const ProgramResult json = Rqx340("info", {"--json", "--exposure-hours=4", m1, m2, m3});
  ASSERT_EQ(json.exit_code, 0) << json.err;
  const auto doc = Json(json.out);
  ASSERT_TRUE(doc.IsArray());
  ASSERT_EQ(doc.Size(), 3u);
  for (const auto& object : doc.GetArray()) {
    for (const char* key : {"file", "rows", "mode", "x", "y", "z", "sum", "kx", "ky", "kz",
                            "exposureAction", "exposureLimit", "exposureHours", "a8", "verdict"}) {
      EXPECT_TRUE(object.HasMember(key)) << key;
    }
    EXPECT_EQ(object["rows"].GetInt(), 40);
    EXPECT_EQ(object["exposureHours"].GetDouble(), 4.0);
    EXPECT_TRUE(object["sum"]["vdv"].IsNull());
    EXPECT_TRUE(object["x"]["vdv"].IsNumber());
  }
  EXPECT_EQ(std::string(doc[0]["mode"].GetString()), "WB");
  EXPECT_EQ(std::string(doc[1]["mode"].GetString()), "HA");
  // Hand-arm A(8) from the printed rms values, for 4 hours.
  const auto& ha = doc[1];
  const double x = ha["x"]["rms"].GetDouble(), y = ha["y"]["rms"].GetDouble(),
               z = ha["z"]["rms"].GetDouble();
  EXPECT_DOUBLE_EQ(ha["a8"].GetDouble(), std::sqrt(x * x + y * y + z * z) * std::sqrt(0.5));
  EXPECT_TRUE(ha["verdict"].IsString());
  EXPECT_TRUE(doc[2]["a8"].IsNull());
  EXPECT_TRUE(doc[2]["verdict"].IsNull());

  // Without a time there is no A(8).
  const auto plain = Json(Rqx340("info", {"--json", m2}).out);
  EXPECT_TRUE(plain[0]["a8"].IsNull());
  EXPECT_TRUE(plain[0]["exposureHours"].IsNull());
}

// Text for people: 4 significant digits, A(8) with 3 decimals, the exposure
// time as typed; JSON keeps every digit that reads back.
TEST(InfoCommand, TextRoundsForPeopleAndJsonKeepsEveryDigit) {
  TempDir dir;
  const fs::path ha = dir.Write(
      "ha.rqx2",
      R"({"MeasurementProperties":{"MeasProperties":{"TAG_OPERATING_MODE_20":1,)"
      R"("TAG_EXPOSUREACTION_66":2.5,"TAG_EXPOSURELIMIT_65":5}},"TimeHistoryColumns":{"rms_x":0,)"
      R"("peak_x":1,"vdv_x":2,"rms_y":3,"peak_y":4,"vdv_y":5,"rms_z":6,"peak_z":7,"vdv_z":8,)"
      R"("rms_sum":9,"peak_sum":10},"TimeHistory":[[0.23813647094583942,1.99995,0.5,)"
      R"(0.4,0.4,0.4, 1.2,1.2,1.2, 1.3,12345.678]]})");
  const ProgramResult text = Rqx340("info", {"--exposure-hours", "2.50", ha.string()});
  ASSERT_EQ(text.exit_code, 0) << text.err;
  for (const char* line : {
           "x                rms 0.2381 m/s\u00b2, peak 2.000 m/s\u00b2, vdv 0.5000 m/s^1.75\n",
           "y                rms 0.4000 m/s\u00b2, peak 0.4000 m/s\u00b2, vdv 0.4000 m/s^1.75\n",
           "sum              rms 1.300 m/s\u00b2, peak 12350 m/s\u00b2\n",
           "exposure action  2.5 m/s\u00b2\n",
           "exposure hours   2.50 h\n",
           "A(8)             0.720 m/s\u00b2\n",
           "verdict          below action value\n",
       }) {
    EXPECT_NE(text.out.find(line), std::string::npos) << line << text.out;
  }
  EXPECT_EQ(text.out.find("warning"), std::string::npos) << text.out;

  const ProgramResult json = Rqx340("info", {"--json", "--exposure-hours", "2.50", ha.string()});
  rapidjson::Document doc;
  doc.Parse<rapidjson::kParseFullPrecisionFlag>(json.out.c_str());
  ASSERT_TRUE(doc.IsArray()) << json.out;
  // rms in double, peak as the float32 of the cell: every digit.
  EXPECT_EQ(doc[0]["x"]["rms"].GetDouble(), static_cast<double>(0.23813647094583942f));
  EXPECT_EQ(static_cast<float>(doc[0]["x"]["peak"].GetDouble()), 1.99995f);
  EXPECT_NE(json.out.find(R"("peak":1.99995,)"), std::string::npos) << json.out;
  EXPECT_EQ(doc[0]["x"]["notNumbers"].GetInt(), 0);
  const double a8 =
      std::sqrt(std::pow(static_cast<double>(0.23813647094583942f), 2) +
                std::pow(static_cast<double>(0.4f), 2) + std::pow(static_cast<double>(1.2f), 2)) *
      std::sqrt(2.5 / 8);
  EXPECT_DOUBLE_EQ(doc[0]["a8"].GetDouble(), a8);
}

// Rows of strings, rows that are objects, a column outside the row, no
// TimeHistoryColumns: each read as 0.0 and gave an all-clear; now they are
// counted, warned about and judged "unknown", in text and JSON.
TEST(InfoCommand, CellsThatAreNotNumbersGiveNoAllClear) {
  TempDir dir;
  const std::string props =
      R"({"MeasurementProperties":{"MeasProperties":{"TAG_OPERATING_MODE_20":1,)"
      R"("TAG_EXPOSUREACTION_66":2.5,"TAG_EXPOSURELIMIT_65":5}},)";
  const std::string columns =
      R"("TimeHistoryColumns":{"rms_x":0,"peak_x":1,"vdv_x":2,"rms_y":3,"peak_y":4,"vdv_y":5,)"
      R"("rms_z":6,"peak_z":7,"vdv_z":8,"rms_sum":9,"peak_sum":10},)";
  const struct {
    const char* name;
    std::string text;
    const char* verdict;
    const char* warning;
  } cases[] = {
      {"strings.rqx2",
       props + columns +
           R"("TimeHistory":[["3","3","3","3","3","3","3","3","3","3","3"],)"
           R"(["3","3","3","3","3","3","3","3","3","3","3"]]})",
       "unknown (6 values are not numbers)",
       "values that are not numbers, read as 0: x 6, y 6, z 6, sum 4"},
      {"objects.rqx2", props + columns + R"("TimeHistory":[{"rms_x":3},{"rms_x":3}]})",
       "unknown (6 values are not numbers)",
       "values that are not numbers, read as 0: x 6, y 6, z 6, sum 4"},
      {"outside.rqx2",
       props + R"("TimeHistoryColumns":{"rms_x":40,"peak_x":1,"vdv_x":2,"rms_y":3,"peak_y":4,)"
               R"("vdv_y":5,"rms_z":6,"peak_z":7,"vdv_z":8,"rms_sum":9,"peak_sum":10},)"
               R"("TimeHistory":[[0,0,0,0,0,0,0,0,0,0,0]]})",
       "unknown (1 value is not a number)", "values that are not numbers, read as 0: x 1"},
      {"no-columns.rqx2", props + R"("TimeHistory":[[0,3,3],[0,3,3]]})",
       "unknown (6 values are not numbers)",
       "values that are not numbers, read as 0: x 6, y 6, z 6, sum 4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir.Write(c.name, c.text);
    const ProgramResult text = Rqx340("info", {"--exposure-hours", "8", file.string()});
    EXPECT_EQ(text.exit_code, 0) << text.err;
    EXPECT_NE(text.out.find(std::string("verdict          ") + c.verdict + "\n"), std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find(std::string("warning          ") + c.warning + "\n"), std::string::npos)
        << text.out;
    EXPECT_EQ(text.out.find("below"), std::string::npos) << text.out;

    const ProgramResult json = Rqx340("info", {"--json", "--exposure-hours", "8", file.string()});
    EXPECT_EQ(json.exit_code, 0);
    EXPECT_NE(json.err.find(c.warning), std::string::npos) << json.err;
    const auto doc = Json(json.out);
    EXPECT_EQ(std::string(doc[0]["verdict"].GetString()), c.verdict);
  }
}

TEST(InfoCommand, BrokenInputAndUsage) {
  TempDir dir;
  const fs::path broken = DataFile("conversion/broken-truncated.rqx2");
  const fs::path wb = dir.Write(
      "wb.rqx2", R"({"MeasurementProperties":{"MeasProperties":{"TAG_OPERATING_MODE_20":2,)"
                 R"("TAG_SUM_FACTOR_KX_34":1,"TAG_SUM_FACTOR_KY_35":1,"TAG_SUM_FACTOR_KZ_36":1,)"
                 R"("TAG_EXPOSUREACTION_66":0.5}},"TimeHistoryColumns":{"rms_x":0,"peak_x":1},)"
                 R"("TimeHistory":[[1,1e39],[1,2]]})");

  // Invalid JSON: a warning and no rows, exit 0.
  const ProgramResult invalid = Rqx340("info", {"--json", broken.string()});
  EXPECT_EQ(invalid.exit_code, 0);
  EXPECT_NE(invalid.err.find("not valid JSON"), std::string::npos);
  const auto doc = Json(invalid.out);
  EXPECT_EQ(doc[0]["rows"].GetInt(), 0);
  EXPECT_TRUE(doc[0]["x"].IsNull());

  // A missing file is left out with a line of its own; the other is printed.
  const ProgramResult missing = Rqx340(
      "info", {"--json", "--exposure-hours", "8", (dir.Path() / "none").string(), wb.string()});
  EXPECT_EQ(missing.exit_code, 1);
  EXPECT_NE(missing.err.find("cannot read"), std::string::npos);
  // The factors of a whole-body file differ from 1.4/1.4/1.0: a warning,
  // on standard error beside the JSON. Infinity is a string.
  EXPECT_NE(missing.err.find("differ from 1.4, 1.4, 1.0"), std::string::npos) << missing.err;
  const auto one = Json(missing.out);
  ASSERT_EQ(one.Size(), 1u);
  EXPECT_EQ(std::string(one[0]["x"]["peak"].GetString()), "Infinity");
  EXPECT_DOUBLE_EQ(one[0]["a8"].GetDouble(), 1.4);
  // The file names no rms_y and rms_z: their cells are not the file's numbers.
  EXPECT_EQ(std::string(one[0]["verdict"].GetString()), "unknown (4 values are not numbers)");
  EXPECT_EQ(one[0]["y"]["notNumbers"].GetInt(), 6);
  EXPECT_NE(Rqx340("info", {wb.string()}).out.find("warning          the file's sum factors"),
            std::string::npos);

  for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                               {"--exposure-hours", "0", wb.string()},
                                               {"--exposure-hours", "24.5", wb.string()},
                                               {"--exposure-hours", "+8", wb.string()},
                                               {"--exposure-hours", "8,5", wb.string()},
                                               {wb.string(), "--exposure-hours"},
                                               {"--csv", wb.string()}}) {
    EXPECT_EQ(Rqx340("info", args).exit_code, 2) << (args.empty() ? "" : args[0]);
  }
}

TEST(ExportCommand, CsvReadsBackToTheExchangeFilesValues) {
  RQX340_POSIX_ONLY("the read-back runs the build machine's python3");
  TempDir dir;
  Generate(dir.Path());
  for (const char* name : {"M0001.rqx2", "M0003.rqx2"}) {
    const std::string in = (dir.Path() / name).string();
    const fs::path csv = dir.Path() / "out.csv";
    const ProgramResult exported = Rqx340("export", {"--csv", in, csv.string()});
    ASSERT_EQ(exported.exit_code, 0) << exported.err;
    const fs::path xch = dir.Path() / "out.xch";
    ASSERT_EQ(Rqx340("convert", {in, xch.string()}).exit_code, 0);
    const ProgramResult dump = Rqx340("dump", {"--rows", "1000", xch.string()});
    ASSERT_EQ(dump.exit_code, 0) << dump.err;
    const fs::path dump_file = dir.Write("dump.json", dump.out);
    const ProgramResult check = RunProgram(
        "/usr/bin/python3", {kReadback.string(), "csv", csv.string(), dump_file.string()});
    EXPECT_EQ(check.exit_code, 0) << check.out << check.err;
  }
}

TEST(ExportCommand, WavOpensWithLibsndfileAndSoundfile) {
  TempDir dir;
  Generate(dir.Path());
  const fs::path wav = dir.Path() / "out.wav";
  const ProgramResult exported =
      Rqx340("export", {"--wav", (dir.Path() / "M0001.rqx2").string(), wav.string()});
  ASSERT_EQ(exported.exit_code, 0) << exported.err;
  const fs::path raw = dir.Path() / "M0001.raw";
  EXPECT_EQ(ReadFileBytes(wav).size(), 58u + 12u * 1000u);

#ifdef RQX340_HAVE_SNDFILE
  SF_INFO info{};
  SNDFILE* file = sf_open(wav.string().c_str(), SFM_READ, &info);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(info.channels, 3);
  EXPECT_EQ(info.samplerate, 7162);
  EXPECT_EQ(info.frames, 1000);
  EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
  std::vector<float> samples(3000);
  EXPECT_EQ(sf_readf_float(file, samples.data(), 1000), 1000);
  sf_close(file);
  const std::string raw_bytes = ReadFileBytes(raw);
  ASSERT_EQ(raw_bytes.size(), samples.size() * 4);
  EXPECT_EQ(std::memcmp(raw_bytes.data(), samples.data(), raw_bytes.size()), 0);
#endif

  RQX340_POSIX_ONLY("the read-back runs the build machine's python3");
  const ProgramResult check =
      RunProgram("/usr/bin/python3", {kReadback.string(), "wav", wav.string(), raw.string()});
  if (check.exit_code == 77) GTEST_SKIP() << "python3-soundfile is not installed";
  EXPECT_EQ(check.exit_code, 0) << check.out << check.err;
}

TEST(ExportCommand, WavThroughAFifo) {
  TempDir dir;
  Generate(dir.Path());
  const fs::path fifo = dir.Path() / "pipe";
  if (!test::MakeFifo(fifo.string())) GTEST_SKIP() << "no FIFOs here";
  std::string read;
  std::thread reader([&] { read = ReadFileBytes(fifo); });
  const ProgramResult exported =
      Rqx340("export", {"--wav", (dir.Path() / "M0001.rqx2").string(), fifo.string()});
  reader.join();
  EXPECT_EQ(exported.exit_code, 0) << exported.err;
  EXPECT_EQ(read.size(), 58u + 12u * 1000u);
  EXPECT_EQ(read.substr(0, 4), "RIFF");
}

// "aux.csv" names the AUX device on Windows: the output would vanish while the
// command says it was written. Windows refuses it for every command that
// writes OUT; POSIX writes it as any other name.
TEST(ExportCommand, AWindowsDeviceNameAsOutIsRefusedThere) {
  TempDir dir;
  const fs::path in = dir.Write("ok.rqx2", R"({"TimeHistory":[[1.0]]})");
  struct Case {
    std::vector<std::string> args;
    std::string out_name;
  };
  const Case cases[] = {
      {{"export", "--csv"}, "aux.csv"},
      {{"export", "--csv"}, "Nul"},
      {{"export", "--csv"}, "COM1.txt"},
      {{"convert"}, "lpt9.bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.out_name);
    std::vector<std::string> args(c.args.begin() + 1, c.args.end());
    const fs::path out = dir.Path() / c.out_name;
    args.push_back(in.string());
    args.push_back(out.string());
    const ProgramResult result = Rqx340(c.args[0], args);
    if (test::kPosix) {
      EXPECT_EQ(result.exit_code, 0) << result.err;
      EXPECT_TRUE(fs::is_regular_file(out));
      fs::remove(out);
    } else {
      EXPECT_EQ(result.exit_code, 1);
      EXPECT_NE(
          result.err.find("\"" + c.out_name + "\" is the name of a Windows device, not of a file"),
          std::string::npos)
          << result.err;
    }
  }
}

TEST(ExportCommand, ErrorsAndUsage) {
  TempDir dir;
  Generate(dir.Path());
  const std::string m1 = (dir.Path() / "M0001.rqx2").string();
  const std::string out = (dir.Path() / "out").string();
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    const char* message;
  };
  const Case cases[] = {
      {{"--wav", (dir.Path() / "M0002.rqx2").string(), out}, 1, "no raw data"},
      {{"--wav", (dir.Path() / "M0003.rqx2").string(), out}, 1, "no raw data"},
      {{"--csv", (dir.Path() / "none.rqx2").string(), out}, 1, "cannot read"},
      {{"--wav", (dir.Path() / "none.rqx2").string(), out}, 1, "cannot read"},
      {{"--csv", DataFile("conversion/oversize-band-count.rqx2").string(), out},
       1,
       "nothing was written"},
      {{"--csv", m1, dir.Path().string()}, 1, "cannot write"},
      {{"--csv", m1}, 2, "expected FILE and OUT"},
      {{m1, out}, 2, "expected --csv or --wav"},
      {{"--csv", "--wav", m1, out}, 2, "exclude each other"},
      {{"--tsv", m1, out}, 2, "unknown option"},
  };
  for (const Case& c : cases) {
    const ProgramResult result = Rqx340("export", c.args);
    EXPECT_EQ(result.exit_code, c.exit_code) << c.message << "\n" << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  EXPECT_FALSE(fs::exists(out));

  // Invalid JSON exports as the empty measurement: the header line alone.
  const ProgramResult invalid =
      Rqx340("export", {"--csv", DataFile("conversion/broken-truncated.rqx2").string(), out});
  EXPECT_EQ(invalid.exit_code, 0);
  EXPECT_NE(invalid.err.find("not valid JSON"), std::string::npos);
  const std::string text = ReadFileBytes(out);
  EXPECT_EQ(text.find("row,rms_x,"), 0u);
  EXPECT_EQ(text.find("\r\n"), text.size() - 2);
}

}  // namespace
}  // namespace rqx340
