// The CSV and WAV exports, in this process: their bytes, their refusals, and
// that nothing is left at OUT when they fail or stop.
#include "import/export_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/process.h"
#include "support/fifo.h"
#include "support/parsed_measurement.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::ParsedMeasurement;
using test::ReadFileBytes;
using test::TempDir;

ExportResult Csv(const std::string& text, const fs::path& out) {
  const ParsedMeasurement m(text);
  NullProgressSink progress;
  NullMessagePump pump;
  return WriteCsvFile(m.document, m.rows, "M.rqx2", out.string(), progress, pump);
}

// The header line of a CSV without octaves.
const std::string kBroadbandHeader =
    "row,rms_x,peak_x,vdv_x,min_x,max_x,rms_y,peak_y,vdv_y,min_y,max_y,rms_z,peak_z,vdv_z,"
    "min_z,max_z,rms_sum,peak_sum,min_sum,max_sum";

TEST(ExportCsv, RowsAsTheExchangeFilesFloats) {
  TempDir dir;
  const fs::path out = dir.Path() / "out.csv";
  // rms_x in element 1, max_sum past the row's end, every other column missing
  // and so element 0.
  const auto result = Csv(R"({"TimeHistoryColumns":{"rms_x":1,"peak_sum":0,"max_sum":7},)"
                          R"("TimeHistory":[[0.1,1e39,2],"no array",[-0.5,"x"]]})",
                          out);
  ASSERT_EQ(result.status, ExportStatus::kWritten) << result.error;
  const auto repeat = [](std::string_view cell) {
    std::string cells;
    for (int i = 0; i < 17; ++i) cells += cell;
    return cells;
  };
  EXPECT_EQ(ReadFileBytes(out), kBroadbandHeader + "\r\n" + std::string("0,Infinity") +
                                    repeat(",0.1") + ",0\r\n" + std::string("1,0") + repeat(",0") +
                                    ",0\r\n" + std::string("2,0") + repeat(",-0.5") + ",0\r\n");
}

TEST(ExportCsv, OctaveColumnsFollowTheExchangeFile) {
  TempDir dir;
  const fs::path out = dir.Path() / "out.csv";
  // Two 1/1 bands from element 19 and one 1/3 band from element 31.
  std::string row = "[";
  for (int i = 0; i < 37; ++i) {
    if (i > 0) row += ',';
    row += std::to_string(i);
  }
  row += "]";
  const auto result =
      Csv(R"({"MeasurementProperties":{"MeasProperties":{"TAG_FULL_OCTAVE_54":1,)"
          R"("TAG_THIRD_OCTAVE_55":1}},"TimeHistoryColumns":{"OBA1_1_Start":19,"OBA1_1_Count":2,)"
          R"("OBA1_3_Start":31,"OBA1_3_Count":1},"TimeHistory":[)" +
              row + "]}",
          out);
  ASSERT_EQ(result.status, ExportStatus::kWritten) << result.error;
  const std::string text = ReadFileBytes(out);
  const std::string header = text.substr(0, text.find("\r\n"));
  EXPECT_EQ(header, kBroadbandHeader +
                        ",oct1_0_x_rms,oct1_1_x_rms,oct1_0_y_rms,oct1_1_y_rms,oct1_0_z_rms,"
                        "oct1_1_z_rms,oct1_0_sum_rms,oct1_1_sum_rms,oct1_0_x_peak,oct1_1_x_peak,"
                        "oct1_0_y_peak,oct1_1_y_peak,oct1_0_z_peak,oct1_1_z_peak,oct1_0_sum_peak,"
                        "oct1_1_sum_peak,oct3_0_x_rms,oct3_0_y_rms,oct3_0_z_rms,oct3_0_sum_rms,"
                        "oct3_0_x_peak,oct3_0_y_peak,oct3_0_z_peak,oct3_0_sum_peak");
  // Band 0 of 1/1: X rms 19, band 1: X rms 25; the sum of band 0's rms is
  // sqrt(19² + 20² + 21²) in float32.
  const std::string first = text.substr(text.find("\r\n") + 2);
  EXPECT_NE(first.find(",19,25,20,26,21,27,34.669872,"), std::string::npos) << first;
}

TEST(ExportCsv, RefusesWhatConvertRefusesAndEndlessHeaders) {
  TempDir dir;
  const fs::path out = dir.Path() / "out.csv";
  // One row of 2^31 bands: the exchange file would be too large.
  const auto too_large =
      Csv(ReadFileBytes(test::DataFile("conversion/oversize-band-count.rqx2")), out);
  EXPECT_EQ(too_large.status, ExportStatus::kTooLarge);
  // No row, so the exchange file fits, but its header line would not.
  const auto endless =
      Csv(R"({"MeasurementProperties":{"MeasProperties":{"TAG_THIRD_OCTAVE_55":1}},)"
          R"("TimeHistoryColumns":{"OBA1_3_Count":2147483647},"TimeHistory":[]})",
          out);
  EXPECT_EQ(endless.status, ExportStatus::kTooLarge);
  EXPECT_FALSE(fs::exists(out));
  // Just inside the bound the header alone is written.
  const auto fits = Csv(R"({"MeasurementProperties":{"MeasProperties":{"TAG_THIRD_OCTAVE_55":1}},)"
                        R"("TimeHistoryColumns":{"OBA1_3_Count":2},"TimeHistory":[]})",
                        out);
  EXPECT_EQ(fits.status, ExportStatus::kWritten);
}

TEST(ExportCsv, StopsWithoutLeavingOut) {
  TempDir dir;
  const fs::path out = dir.Path() / "out.csv";
  test::WriteFileBytes(out, "old");
  const ParsedMeasurement m(R"({"TimeHistory":[[1],[2],[3]]})");
  struct StopPump final : MessagePump {
    bool PumpPendingMessages(std::int32_t* stop) override {
      *stop = 1;
      return true;
    }
  } pump;
  NullProgressSink progress;
  EXPECT_EQ(WriteCsvFile(m.document, m.rows, "M", out.string(), progress, pump).status,
            ExportStatus::kStopped);
  EXPECT_EQ(ReadFileBytes(out), "old");
  EXPECT_EQ(test::FolderNames(dir.Path()), std::vector<std::string>{"out.csv"});
}

// A measurement head that announces raw data (or not) and its raw data file.
struct RawCase {
  TempDir dir;
  fs::path measurement;
  fs::path out;
  RawCase(const char* store_raw, std::string_view raw_bytes, bool write_raw = true) {
    measurement = dir.Write(
        "data/M1.rqx2", std::string(R"({"Header":{"SerialNum":"1","StartDateTime":0},)") +
                            R"("MeasurementProperties":{"MeasProperties":{)" +
                            R"("TAG_OPERATING_MODE_20":0,"TAG_STORE_RAW_53":)" + store_raw + "}}}");
    if (write_raw) dir.Write("data/M1.raw", raw_bytes);
    out = dir.Path() / "out.wav";
  }
  ExportResult Run() const {
    NullProgressSink progress;
    NullMessagePump pump;
    return ExportWav(measurement.string(), out.string(), progress, pump);
  }
};

std::string Samples(std::initializer_list<float> values) {
  std::string bytes(values.size() * 4, '\0');
  std::memcpy(bytes.data(), std::data(values), bytes.size());
  return bytes;
}

TEST(ExportWav, HeaderAndSamplesAsStored) {
  const std::string samples = Samples({1.0f, -2.0f, 0.5f, 3.0f, 4.0f, -5.0f});
  const RawCase c("1", samples + "xyz");  // a partial sample at the end
  const auto result = c.Run();
  ASSERT_EQ(result.status, ExportStatus::kWritten) << result.error;
  EXPECT_EQ(result.rawPath, (c.dir.Path() / "data" / "M1.raw").string());
  const std::string wav = ReadFileBytes(c.out);
  ASSERT_EQ(wav.size(), kWavHeaderSize + 24);
  const std::string expected_header(
      "RIFF\x4a\0\0\0WAVEfmt \x12\0\0\0\x03\0\x03\0\xfa\x1b\0\0\xb8\x4f\x01\0\x0c\0\x20\0\0\0"
      "fact\x04\0\0\0\x02\0\0\0data\x18\0\0\0",
      kWavHeaderSize);
  EXPECT_EQ(wav.substr(0, kWavHeaderSize), expected_header);
  EXPECT_EQ(wav.substr(kWavHeaderSize), samples);
}

TEST(ExportWav, RawDataFoundByTheListsRule) {
  {  // In the sibling folder "raw", and a flag given as a string.
    RawCase c("\"1\"", "", false);
    c.dir.Write("raw/M1.raw", Samples({1, 2, 3}));
    EXPECT_EQ(c.Run().status, ExportStatus::kWritten);
    EXPECT_EQ(ReadFileBytes(c.out).size(), kWavHeaderSize + 12);
  }
  {  // An empty raw data file gives a WAV without samples.
    RawCase c("1", "");
    EXPECT_EQ(c.Run().status, ExportStatus::kWritten);
    EXPECT_EQ(ReadFileBytes(c.out).size(), kWavHeaderSize);
  }
  {  // No raw data stored: the file beside it is not even looked for.
    RawCase c("0", Samples({1, 2, 3}));
    EXPECT_EQ(c.Run().status, ExportStatus::kNoRawData);
    EXPECT_FALSE(fs::exists(c.out));
  }
  {  // Stored but missing.
    RawCase c("1", "", false);
    EXPECT_EQ(c.Run().status, ExportStatus::kNoRawData);
  }
  {  // The measurement itself is missing.
    RawCase c("1", "");
    NullProgressSink progress;
    NullMessagePump pump;
    EXPECT_EQ(
        ExportWav((c.dir.Path() / "none.rqx2").string(), c.out.string(), progress, pump).status,
        ExportStatus::kNotReadable);
  }
}

// An export started from a window must not hang in the open of a FIFO that
// nobody reads (the dialog froze there, Esc ignored): with ReaderWait::kRefuse
// it is refused at once, and written through once a reader is there.
TEST(ExportToAFifo, WithoutAReaderItIsRefusedAtOnceNotWaitedFor) {
  TempDir dir;
  const fs::path fifo = dir.Path() / "out.fifo";
  if (!test::MakeFifo(fifo.string())) GTEST_SKIP() << "no FIFOs here";
  const std::string json = R"({"TimeHistoryColumns":{"rms_x":0},"TimeHistory":[[0.5]]})";
  const ParsedMeasurement m(json);
  NullProgressSink progress;
  NullMessagePump pump;
  const auto csv = [&] {
    return WriteCsvFile(m.document, m.rows, "M.rqx2", fifo.string(), progress, pump,
                        ReaderWait::kRefuse);
  };
  const ExportResult refused = csv();
  EXPECT_EQ(refused.status, ExportStatus::kNotWritten);
  EXPECT_EQ(refused.error, "no program is reading from " + fifo.string());

  RawCase wav("1", Samples({1, 2, 3}));
  const ExportResult wav_refused =
      ExportWav(wav.measurement.string(), fifo.string(), progress, pump, ReaderWait::kRefuse);
  EXPECT_EQ(wav_refused.status, ExportStatus::kNotWritten);
  EXPECT_EQ(wav_refused.error, "no program is reading from " + fifo.string());
  EXPECT_TRUE(fs::is_fifo(fifo));

  // A reader: the export goes through it once the reader has opened its end.
  SpawnOptions options;
  options.capture_stdout = true;
  auto reader = ChildProcess::Spawn("/bin/cat", {fifo.string()}, options);
  ASSERT_TRUE(reader) << reader.ErrorText();
  ExportResult written = csv();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (written.status == ExportStatus::kNotWritten &&
         std::chrono::steady_clock::now() < deadline) {
    written = csv();
  }
  ASSERT_EQ(written.status, ExportStatus::kWritten) << written.error;
  const std::string through = reader->ReadRest();
  EXPECT_EQ(reader->Wait(), 0);
  EXPECT_EQ(through.rfind(kBroadbandHeader + "\r\n0,0.5,", 0), 0u) << through;
}

}  // namespace
}  // namespace rqx340
