// Converting one measurement file to an exchange file on disk, and the summary
// record of one named file, in this process.
#include "import/convert_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "format/exchange_writer.h"
#include "import/import_run.h"
#include "measurement/json_reader.h"
#include "support/exchange_bytes.h"
#include "support/memory_sink.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::DataFile;
using test::FolderNames;
using test::ReadFileBytes;
using test::TempDir;

class RecordingObserver final : public ConvertObserver {
 public:
  explicit RecordingObserver(test::CallLog& log) : m_log(log) {}
  void Reading() override { m_log.Add("reading"); }
  void NotValidJson(std::size_t offset, rapidjson::ParseErrorCode) override {
    m_log.Add("not valid JSON at " + std::to_string(offset));
  }
  void Converting() override { m_log.Add("converting"); }

 private:
  test::CallLog& m_log;
};

// The exchange file the writer makes of `in` in memory.
std::string WrittenInMemory(const fs::path& in, std::string_view name) {
  auto file = InputFile::Open(in.string());
  EXPECT_TRUE(file) << file.ErrorText();
  std::vector<char> buffer(kReadBufferSize);
  NullProgressSink progress;
  NullMessagePump pump;
  MeasurementContent content;
  EXPECT_EQ(ReadMeasurementFile(*file, buffer, progress, pump, content), ReadOutcome::kRead);
  test::MemorySink sink;
  EXPECT_TRUE(WriteExchangeFile(sink, content.document, content.rows, name, progress, pump).Ok());
  return test::AsString(sink.Span());
}

class ConvertFileTest : public ::testing::Test {
 protected:
  ConvertResult Convert(const fs::path& in, const fs::path& out, std::string_view name = "N") {
    return ConvertFile(in.string(), out.string(), name, m_progress, m_pump, m_observer);
  }

  TempDir m_dir;
  test::CallLog m_calls;
  test::RecordingProgressSink m_progress{m_calls};
  test::RecordingMessagePump m_pump{m_calls};
  RecordingObserver m_observer{m_calls};
};

TEST_F(ConvertFileTest, WritesWhatTheWriterMakesAndReplacesOut) {
  const fs::path in = DataFile("conversion/broadband-notes-summary.rqx2");
  const fs::path out = m_dir.Write("out.xch", "old contents");
  const ConvertResult result = Convert(in, out, "Name.rqx2");
  EXPECT_EQ(result.status, ConvertStatus::kWritten) << result.error;
  EXPECT_EQ(ReadFileBytes(out), WrittenInMemory(in, "Name.rqx2"));
  EXPECT_EQ(FolderNames(m_dir.Path()), std::vector<std::string>{"out.xch"});

  // Reading first (range from the file's size), then the writer's own progress.
  const auto& calls = m_calls.Calls();
  const std::vector<std::string> reading = {"reading", "pos 0",  "step 1", "range 0 0",
                                            "show",    "stepit", "pump"};
  ASSERT_GE(calls.size(), reading.size() + 2);
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 7), reading);
  EXPECT_EQ(calls[7], "converting");
  EXPECT_EQ(calls.back(), "hide");
}

TEST_F(ConvertFileTest, InvalidJsonIsConvertedAsTheEmptyMeasurement) {
  const fs::path in = DataFile("conversion/broken-trailing-garbage.rqx2");
  const fs::path out = m_dir.Path() / "out.xch";
  EXPECT_EQ(Convert(in, out).status, ConvertStatus::kWritten);
  EXPECT_EQ(ReadFileBytes(out), WrittenInMemory(m_dir.Write("empty.rqx2", ""), "N"));
  EXPECT_EQ(m_calls.Count("converting"), 1u);
  EXPECT_EQ(std::count_if(m_calls.Calls().begin(), m_calls.Calls().end(),
                          [](const std::string& call) { return call.rfind("not valid", 0) == 0; }),
            1);
}

TEST_F(ConvertFileTest, FailuresLeaveOutAsItWasAndNoTemporaryFile) {
  struct Case {
    const char* what;
    fs::path in;
    fs::path out;
    ConvertStatus status;
  };
  const fs::path good = DataFile("conversion/both-octaves-small.rqx2");
  const Case cases[] = {
      {"missing input", m_dir.Path() / "missing.rqx2", m_dir.Path() / "out.xch",
       ConvertStatus::kNotReadable},
      {"folder as input", m_dir.Path(), m_dir.Path() / "out.xch", ConvertStatus::kNotReadable},
      {"input that fails to read", "/proc/self/mem", m_dir.Path() / "out.xch",
       ConvertStatus::kReadFailed},
      {"output folder missing", good, m_dir.Path() / "no" / "out.xch", ConvertStatus::kNotWritten},
      // Written in full, then refused by the rename.
      {"output is a folder", good, m_dir.Path() / "sub", ConvertStatus::kNotWritten},
  };
  m_dir.Write("keep.xch", "keep");
  fs::create_directory(m_dir.Path() / "sub");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ConvertResult result = Convert(c.in, c.out);
    EXPECT_EQ(result.status, c.status) << result.error;
    if (c.status == ConvertStatus::kNotWritten) {
      EXPECT_FALSE(result.error.empty());
    }
    EXPECT_EQ(FolderNames(m_dir.Path()), (std::vector<std::string>{"keep.xch", "sub"}));
    EXPECT_TRUE(fs::is_empty(m_dir.Path() / "sub"));
  }
}

TEST_F(ConvertFileTest, AStopWhileReadingOrWritingLeavesOutAsItWas) {
  // Rows longer than a block: the reading takes several blocks, the writing
  // several rows.
  std::string row = "[1";
  for (int i = 0; i < 2000; ++i) row += ",1";
  row += "]";
  std::string rows = row;
  for (int r = 1; r < 40; ++r) rows += "," + row;
  const fs::path in = m_dir.Write("m.rqx2", R"({"TimeHistory":[)" + rows + "]}");
  const fs::path out = m_dir.Write("out.xch", "old");
  struct Case {
    const char* what;
    std::size_t stop_at;  // the pump call that stops
  };
  // 160 kB: three blocks, then one pump per row.
  const Case cases[] = {{"first block", 1}, {"third block", 3}, {"third row", 3 + 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::CallLog calls;
    test::StoppingMessagePump pump(calls, [&](std::size_t call) { return call == c.stop_at; });
    const ConvertResult result =
        ConvertFile(in.string(), out.string(), "N", m_progress, pump, m_observer);
    EXPECT_EQ(result.status, ConvertStatus::kStopped);
    EXPECT_EQ(calls.Count("pump: stop"), 1u);
    EXPECT_TRUE(ReadFileBytes(out) == "old");
    EXPECT_EQ(FolderNames(m_dir.Path()), (std::vector<std::string>{"m.rqx2", "out.xch"}));
  }
}

TEST(ImportItemForFileTest, NameAndSizeFromTheFileSystemTheRestFromTheHead) {
  const fs::path usual = DataFile("scan/usual_head.rqx2");
  const auto item = ImportItemForFile(usual.parent_path().string(), "usual_head.rqx2");
  ASSERT_TRUE(item);
  EXPECT_EQ(item->folder, (usual.parent_path() / "").string());
  EXPECT_EQ(item->record.m_strName, "usual_head.rqx2");
  EXPECT_EQ(item->record.m_nSize, fs::file_size(usual));
  CRQX340Json expected;
  expected.m_strName = "usual_head.rqx2";
  expected.m_nSize = fs::file_size(usual);
  ASSERT_TRUE(ReadSummary(expected, usual.parent_path().string(), "usual_head.rqx2"));
  EXPECT_EQ(item->record, expected);

  const std::string scan = DataFile("scan").string();
  EXPECT_FALSE(ImportItemForFile(scan, ""));
  EXPECT_FALSE(ImportItemForFile(scan, "missing.rqx2"));
  EXPECT_FALSE(ImportItemForFile(scan, "binary_junk.rqx2"));
}

}  // namespace
}  // namespace rqx340
