// rqx340 convert and rqx340 dump, run as programs on the fixtures and on
// generated measurements.
#include <gtest/gtest.h>
#include <rapidjson/document.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "support/fifo.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::DataFile;
using test::ProgramResult;
using test::ReadFileBytes;
using test::RunProgram;
using test::TempDir;
using test::WriteFileBytes;

const std::vector<std::string> kEnv = {"TZ=UTC", "RQX340_SHORTDATE=yyyy-MM-dd",
                                       "RQX340_TIMEFORMAT=HH:mm:ss"};

ProgramResult Convert(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"convert"};
  all.insert(all.end(), args.begin(), args.end());
  return RunProgram("rqx340", all, kEnv);
}

ProgramResult Dump(const std::vector<std::string>& args) {
  std::vector<std::string> all = {"dump"};
  all.insert(all.end(), args.begin(), args.end());
  return RunProgram("rqx340", all, kEnv);
}

// The bytes `convert` writes to `out` for the broadband fixture; empty when it fails.
std::string ConvertedFixture(const fs::path& out) {
  const auto result =
      Convert({DataFile("conversion/broadband-notes-summary.rqx2").string(), out.string()});
  return result.exit_code == 0 ? ReadFileBytes(out) : std::string();
}

// Converts `in` and dumps the result; fails the test when either does not work.
rapidjson::Document ConvertAndDump(const fs::path& in, const fs::path& out,
                                   const std::vector<std::string>& dump_args = {}) {
  const ProgramResult converted = Convert({in.string(), out.string()});
  EXPECT_EQ(converted.exit_code, 0) << converted.err;
  std::vector<std::string> args = {out.string()};
  args.insert(args.end(), dump_args.begin(), dump_args.end());
  const ProgramResult dumped = Dump(args);
  EXPECT_EQ(dumped.exit_code, 0) << dumped.err;
  rapidjson::Document document;
  document.Parse(dumped.out.c_str());
  EXPECT_FALSE(document.HasParseError()) << dumped.out;
  return document;
}

std::string Text(const rapidjson::Value& records, rapidjson::SizeType i) {
  return records[i]["text"].GetString();
}

// A number of the dump as its text, to see the shortest float32 decimal.
std::string NumberText(const std::string& json, const std::string& after) {
  const std::size_t at = json.find(after);
  if (at == std::string::npos) return "<missing>";
  const std::size_t start = at + after.size();
  return json.substr(start, json.find_first_of(",\n}]", start) - start);
}

TEST(ConvertDumpTest, BroadbandFixture) {
  TempDir dir;
  const auto out = dir.Path() / "out.bin";
  const rapidjson::Document d =
      ConvertAndDump(DataFile("conversion/broadband-notes-summary.rqx2"), out, {"--rows", "2"});
  ASSERT_TRUE(d.IsObject());
  // 20 header records, 6 time records, 20 summary records.
  const auto& h = d["header"];
  EXPECT_EQ(h["version"].GetInt(), 5);
  EXPECT_EQ(h["complete"].GetInt(), 1);
  EXPECT_EQ(h["rowCount"].GetInt(), 2);
  EXPECT_EQ(h["headerRecordsOffset"].GetInt(), 8480);
  EXPECT_EQ(h["timeRecordsOffset"].GetInt(), 14244);
  EXPECT_EQ(h["summaryRecordsOffset"].GetInt(), 14464);
  EXPECT_EQ(h["channelRecordsOffset"].GetInt(), 15188);
  EXPECT_EQ(h["chanBlockOffset"].GetInt(), 19544);
  EXPECT_EQ(h["dtimBlockOffset"].GetInt(), 19584);
  EXPECT_EQ(h["quantityBlockOffsets"].Size(), 4u);
  EXPECT_EQ(h["quantityBlockOffsets"][3].GetInt(), 20476);
  EXPECT_EQ(h["dataOffset"].GetInt(), 20704);
  EXPECT_EQ(d["fileSize"].GetInt(), 20704 + 2 * 19 * 4);
  EXPECT_EQ(fs::file_size(out), 20856u);

  const auto& header_records = d["headerRecords"];
  ASSERT_EQ(header_records.Size(), 20u);
  EXPECT_EQ(Text(header_records, 0), "broadband-notes-summary.rqx2");
  EXPECT_EQ(Text(header_records, 1), "RQX340 RQ-0042");
  EXPECT_EQ(Text(header_records, 2),
            "Halle S\xC3\xBC"
            "d");
  EXPECT_EQ(Text(header_records, 9), "HandArm");
  EXPECT_EQ(Text(header_records, 14), "2017-07-14 02:41:00");
  EXPECT_EQ(Text(header_records, 19), "Wd");
  const auto& time_records = d["timeRecords"];
  ASSERT_EQ(time_records.Size(), 6u);
  EXPECT_EQ(time_records[0]["value"].GetInt(), 1500000000);
  EXPECT_STREQ(time_records[5]["tag"].GetString(), "Duration");
  const auto& summary = d["summaryRecords"];
  ASSERT_EQ(summary.Size(), 20u);
  EXPECT_STREQ(summary[14]["tag"].GetString(), "AeqX_xK");
  EXPECT_STREQ(summary[19]["tag"].GetString(), "Huge");
  EXPECT_STREQ(summary[19]["value"].GetString(), "Infinity");
  EXPECT_EQ(Text(d["channelRecords"], 3), "Wh,Wh,Wd, ,");
  EXPECT_EQ(d["chan"]["value"].GetInt(), 4);
  EXPECT_EQ(d["rowLength"].GetInt(), 19);
  ASSERT_EQ(d["rows"].Size(), 2u);
  EXPECT_EQ(d["rows"][0][18].GetDouble(), 18.0);

  // Floats are printed as the shortest decimal of their float32.
  const ProgramResult dumped = Dump({out.string(), "--rows", "2"});
  EXPECT_EQ(NumberText(dumped.out, "\"AeqX_xK\",\n      \"value\": "), "0.7");
  EXPECT_EQ(NumberText(dumped.out, "\"AeqY_xK\",\n      \"value\": "), "0.35");
  EXPECT_EQ(NumberText(dumped.out, "\"#50\",\n      \"value\": "), "1e-05");
  EXPECT_NE(dumped.out.find("[0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1, 1.1"),
            std::string::npos);
}

TEST(ConvertDumpTest, BothOctavesFixture) {
  TempDir dir;
  const rapidjson::Document d =
      ConvertAndDump(DataFile("conversion/both-octaves-small.rqx2"), dir.Path() / "out.bin");
  ASSERT_TRUE(d.IsObject());
  EXPECT_EQ(d["chan"]["value"].GetInt(), 20);
  EXPECT_EQ(d["quantityBlocks"].Size(), 20u);
  EXPECT_EQ(d["rowLength"].GetInt(), 19 + 16 + 8);
  const auto& row = d["rows"][0];
  ASSERT_EQ(row.Size(), 43u);
  const double expected[] = {3, 6, 4, 8, 0, 0, 5, 10, 1, 0, 2, 0, 2, 0, 3, 0};
  for (rapidjson::SizeType i = 0; i < 16; ++i) EXPECT_EQ(row[19 + i].GetDouble(), expected[i]) << i;
  // The single-precision band sum of 0.3, 1.3 and 0.9.
  const ProgramResult dumped = Dump({(dir.Path() / "out.bin").string()});
  EXPECT_NE(dumped.out.find("0.3, 1.3, 0.9, 1.6093476, -3, -4, 12, 13]"), std::string::npos)
      << dumped.out.substr(dumped.out.find("\"rows\""));
}

TEST(ConvertDumpTest, MalformedJsonConvertsLikeAnEmptyMeasurement) {
  struct Case {
    std::string fixture;
    std::string offset;
  };
  const Case cases[] = {{"broken-trailing-garbage.rqx2", "offset 79"},
                        {"broken-truncated.rqx2", "offset 77"},
                        {"empty.rqx2", "offset 0"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    TempDir dir;
    const auto out = dir.Path() / "out.bin";
    const ProgramResult converted =
        Convert({DataFile("conversion/" + c.fixture).string(), out.string()});
    EXPECT_EQ(converted.exit_code, 0);
    // One warning line naming the file and the offset of the error.
    EXPECT_EQ(std::count(converted.err.begin(), converted.err.end(), '\n'), 1) << converted.err;
    EXPECT_NE(converted.err.find(c.fixture), std::string::npos) << converted.err;
    EXPECT_NE(converted.err.find(c.offset), std::string::npos) << converted.err;
    EXPECT_EQ(fs::file_size(out), 19264u);
    const ProgramResult dumped = Dump({out.string()});
    ASSERT_EQ(dumped.exit_code, 0) << dumped.err;
    rapidjson::Document d;
    d.Parse(dumped.out.c_str());
    ASSERT_TRUE(d.IsObject());
    EXPECT_EQ(Text(d["headerRecords"], 0), c.fixture);
    EXPECT_EQ(Text(d["headerRecords"], 1), "RQX340 (null)");
    EXPECT_EQ(d["header"]["rowCount"].GetInt(), 0);
    EXPECT_EQ(d["rows"].Size(), 0u);
  }
}

TEST(ConvertDumpTest, ValuesOfTheWrongTypeReadAsMissing) {
  TempDir dir;
  const rapidjson::Document d =
      ConvertAndDump(DataFile("conversion/wrong-types.rqx2"), dir.Path() / "out.bin");
  ASSERT_TRUE(d.IsObject());
  EXPECT_EQ(Text(d["headerRecords"], 1), "RQX340 (null)");
  EXPECT_EQ(Text(d["headerRecords"], 9), "Vibration");
  EXPECT_EQ(d["headerRecords"].Size(), 16u);
  EXPECT_EQ(d["timeRecords"][0]["value"].GetInt(), 0);
  EXPECT_EQ(d["timeRecords"].Size(), 5u);
  EXPECT_EQ(d["summaryRecords"].Size(), 13u);
  EXPECT_EQ(d["chan"]["value"].GetInt(), 4);
  EXPECT_EQ(d["header"]["rowCount"].GetInt(), 4);
  // Every column reads element 0: 5 in the first row, 0 in the others.
  EXPECT_EQ(d["rows"][0][18].GetDouble(), 5.0);
  EXPECT_EQ(d["rows"][1][0].GetDouble(), 0.0);
}

TEST(ConvertDumpTest, NameOptionAndReplacingOut) {
  TempDir dir;
  const auto out = dir.Path() / "out.bin";
  dir.Write("out.bin", "old contents");
  const ProgramResult converted = Convert({DataFile("conversion/both-octaves-small.rqx2").string(),
                                           out.string(), "--name", "Tag \xE2\x82\xAC.rqx2"});
  ASSERT_EQ(converted.exit_code, 0) << converted.err;
  // The name goes through the ANSI code page: the euro sign is byte 0x80.
  const std::string bytes = ReadFileBytes(out);
  EXPECT_EQ(bytes.substr(8484 + 32, 12), std::string("Tag \x80.rqx2\0\0", 12));
  // Nothing but OUT is left in the folder.
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.Path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"out.bin"});
}

TEST(ConvertDumpTest, UnreadableInputOrUnwritableOutputFails) {
  TempDir dir;
  const std::string in = DataFile("conversion/both-octaves-small.rqx2").string();
  struct Case {
    std::string name;
    std::vector<std::string> args;
    int exit_code;
  };
  const Case cases[] = {
      {"missing input", {(dir.Path() / "missing.rqx2").string(), (dir.Path() / "o").string()}, 1},
      {"input is a folder", {dir.Path().string(), (dir.Path() / "o").string()}, 1},
      {"output folder missing", {in, (dir.Path() / "no" / "o").string()}, 1},
      {"output is a folder", {in, dir.Path().string()}, 1},
      {"no output", {in}, 2},
      {"unknown option", {in, (dir.Path() / "o").string(), "--fast"}, 2},
      {"name without value", {in, (dir.Path() / "o").string(), "--name"}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramResult result = Convert(c.args);
    EXPECT_EQ(result.exit_code, c.exit_code);
    EXPECT_FALSE(result.err.empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "o"));
  }
  // No temporary file is left behind.
  EXPECT_TRUE(fs::is_empty(dir.Path()));
}

// What OUT is decides how it is written: a link is followed, a file keeps its
// mode, a FIFO or device is written through, anything else is refused.
TEST(ConvertDumpTest, OutIsWrittenAsWhatItIs) {
  TempDir reference;
  const std::string expected = ConvertedFixture(reference.Path() / "out.bin");
  ASSERT_FALSE(expected.empty());
  const std::string in = DataFile("conversion/broadband-notes-summary.rqx2").string();

  struct Case {
    const char* what;
    // Makes what stands at OUT inside `dir`; returns OUT, or nothing to skip.
    std::optional<fs::path> (*make)(const fs::path& dir);
    int exit_code;
    const char* message;  // part of the error, for a refusal
    const char* written;  // the file that receives the bytes, relative to the folder
    unsigned mode;        // its permission bits afterwards; 0 not checked
  };
  const Case cases[] = {
      {"a 0600 file keeps its mode",
       [](const fs::path& dir) -> std::optional<fs::path> {
         WriteFileBytes(dir / "out", "old");
         fs::permissions(dir / "out", fs::perms::owner_read | fs::perms::owner_write,
                         fs::perm_options::replace);
         return dir / "out";
       },
       0, "", "out", 0600},
      {"a link to a file in another folder, relative to the link's folder",
       [](const fs::path& dir) -> std::optional<fs::path> {
         fs::create_directories(dir / "a");
         fs::create_directories(dir / "b");
         WriteFileBytes(dir / "b" / "target", "old");
         fs::permissions(dir / "b" / "target", fs::perms(0640), fs::perm_options::replace);
         fs::create_symlink("../b/target", dir / "a" / "link");
         return dir / "a" / "link";
       },
       0, "", "b/target", 0640},
      {"a dangling link creates its target",
       [](const fs::path& dir) -> std::optional<fs::path> {
         fs::create_directories(dir / "a");
         fs::create_directories(dir / "b");
         fs::create_symlink("../b/new", dir / "a" / "link");
         return dir / "a" / "link";
       },
       0, "", "b/new", 0},
      {"a chain of links",
       [](const fs::path& dir) -> std::optional<fs::path> {
         WriteFileBytes(dir / "target", "old");
         fs::create_symlink("target", dir / "second");
         fs::create_symlink(dir / "second", dir / "first");
         return dir / "first";
       },
       0, "", "target", 0},
      {"a character device is written through",
       [](const fs::path& dir) -> std::optional<fs::path> {
         // A private node of the null device: nothing on the system is at stake.
         if (mknod((dir / "null").c_str(), S_IFCHR | 0600, makedev(1, 3)) != 0) return {};
         return dir / "null";
       },
       0, "", "", 0},
      {"a folder is refused",
       [](const fs::path& dir) -> std::optional<fs::path> {
         fs::create_directories(dir / "sub");
         return dir / "sub";
       },
       1, "it is a folder; only a regular file, a FIFO or a character device is written", "", 0},
      {"a link to a folder is refused",
       [](const fs::path& dir) -> std::optional<fs::path> {
         fs::create_directories(dir / "sub");
         fs::create_directory_symlink("sub", dir / "link");
         return dir / "link";
       },
       1, "it is a folder", "", 0},
      {"a socket is refused",
       [](const fs::path& dir) -> std::optional<fs::path> {
         const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         const std::string path = (dir / "sock").string();
         if (fd < 0 || path.size() >= sizeof address.sun_path) return {};
         path.copy(address.sun_path, path.size());
         const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
         close(fd);
         if (!bound) return {};
         return dir / "sock";
       },
       1, "it is a socket", "", 0},
      {"a loop of links is refused",
       [](const fs::path& dir) -> std::optional<fs::path> {
         fs::create_symlink("b", dir / "a");
         fs::create_symlink("a", dir / "b");
         return dir / "a";
       },
       1, "Too many levels of symbolic links", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    const auto out = c.make(dir.Path());
    if (!out) {
      std::printf("skipped: %s\n", c.what);
      continue;
    }
    const auto before = fs::symlink_status(*out).type();
    const ProgramResult result = Convert({in, out->string()});
    EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    // Whatever stood at OUT is still of its kind.
    EXPECT_EQ(fs::symlink_status(*out).type(), before);
    if (*c.written != '\0') {
      EXPECT_EQ(ReadFileBytes(dir.Path() / c.written), expected);
      if (c.mode != 0) {
        EXPECT_EQ(test::ModeOf(dir.Path() / c.written), c.mode);
      }
    }
    // No temporary file is left anywhere under the folder.
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
      EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
    }
  }
}

// A FIFO gets the whole output when its reader stays, and the message says that
// part of it may be written when the reader goes away. The output is larger
// than a pipe holds, so the writer sees the reader leave.
TEST(ConvertDumpTest, AFifoAtOutIsWrittenThrough) {
  TempDir data;
  const ProgramResult generated = RunProgram(
      "rqx340-gen", {"--count", "1", "--rows", "4000", "--octaves", "both", data.Path().string()});
  ASSERT_EQ(generated.exit_code, 0) << generated.err;
  const std::string in = (data.Path() / "M0001.rqx2").string();
  ASSERT_EQ(Convert({in, (data.Path() / "reference").string()}).exit_code, 0);
  const std::string expected = ReadFileBytes(data.Path() / "reference");
  ASSERT_GT(expected.size(), 1u << 20);
  for (const bool reader_stays : {true, false}) {
    SCOPED_TRACE(reader_stays ? "reader stays" : "reader leaves");
    TempDir dir;
    const fs::path fifo = dir.Path() / "fifo";
    ASSERT_TRUE(test::MakeFifo(fifo.string()));
    std::string received;
    std::thread reader([&] {
      std::ifstream stream(fifo, std::ios::binary);
      if (reader_stays) {
        received.assign(std::istreambuf_iterator<char>(stream), {});
      } else {
        received.resize(100);
        stream.read(received.data(), 100);
      }
    });
    const ProgramResult result = Convert({in, fifo.string()});
    reader.join();
    EXPECT_TRUE(fs::is_fifo(fifo));
    if (reader_stays) {
      EXPECT_EQ(result.exit_code, 0) << result.err;
      EXPECT_EQ(received, expected);
    } else {
      EXPECT_EQ(result.exit_code, 1) << result.err;
      EXPECT_NE(result.err.find("part of the output may be there"), std::string::npos)
          << result.err;
    }
  }
}

// A file size limit is a write error like any other: OUT stays as it was and
// the temporary file goes, wherever the limit falls.
TEST(ConvertDumpTest, AFileSizeLimitIsAWriteError) {
  const std::string in = DataFile("conversion/broadband-notes-summary.rqx2").string();
  for (const char* limit : {"0", "8480", "20000"}) {
    SCOPED_TRACE(limit);
    TempDir dir;
    WriteFileBytes(dir.Path() / "out", "old");
    SpawnOptions options;
    options.capture_stdout = true;
    options.merge_stderr = true;
    for (const auto& entry : kEnv) {
      options.environment.emplace_back(entry.substr(0, entry.find('=')),
                                       entry.substr(entry.find('=') + 1));
    }
    auto convert =
        ChildProcess::Spawn("/usr/bin/prlimit",
                            {std::string("--fsize=") + limit, test::ProgramPath("rqx340"),
                             "convert", in, (dir.Path() / "out").string()},
                            options);
    ASSERT_TRUE(convert) << convert.ErrorText();
    const std::string out = convert->ReadRest();
    EXPECT_EQ(convert->Wait(), 1) << out;
    EXPECT_NE(out.find("File too large"), std::string::npos) << out;
    EXPECT_EQ(ReadFileBytes(dir.Path() / "out"), "old");
    EXPECT_EQ(test::FolderNames(dir.Path()), std::vector<std::string>{"out"});
  }
}

TEST(ConvertDumpTest, HostileSizesAndNestingEndCleanly) {
  TempDir dir;
  const auto nested = [](std::size_t depth) {
    return R"({"Header":{"SerialNum":"N"},"x":)" + std::string(depth, '[') +
           std::string(depth, ']') + "}";
  };
  struct Case {
    const char* name;
    fs::path in;
    int exit_code;
    std::string err;          // a part of the one line on stderr; empty for none
    std::uintmax_t out_size;  // 0: OUT keeps its old contents
  };
  const Case cases[] = {
      // A band count that once wrote 49 GB until the disk was full.
      {"exchange file larger than the format", DataFile("conversion/oversize-band-count.rqx2"), 1,
       "would have 68719496524 bytes, more than the 2147483647 the format can hold", 0},
      {"depth 10000 parses", dir.Write("deep.rqx2", nested(9999)), 0, "", 19264},
      {"depth 100001 is the null document", dir.Write("deeper.rqx2", nested(100000)), 0,
       "nested more than 100000 deep", 19264},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto out = dir.Path() / "out.bin";
    dir.Write("out.bin", "old contents");
    const ProgramResult converted = Convert({c.in.string(), out.string()});
    EXPECT_EQ(converted.exit_code, c.exit_code);
    EXPECT_EQ(std::count(converted.err.begin(), converted.err.end(), '\n'), c.err.empty() ? 0 : 1)
        << converted.err;
    EXPECT_NE(converted.err.find(c.err), std::string::npos) << converted.err;
    if (c.out_size == 0) {
      EXPECT_EQ(ReadFileBytes(out), "old contents");
    } else {
      EXPECT_EQ(fs::file_size(out), c.out_size);
    }
  }
  // Nothing but the inputs and OUT is left in the folder.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(entries, 3u);
}

TEST(ConvertDumpTest, DumpRefusesMalformedFiles) {
  TempDir dir;
  const auto out = dir.Path() / "out.bin";
  std::string bytes = ConvertedFixture(out);
  ASSERT_FALSE(bytes.empty());
  struct Case {
    std::string name;
    std::string contents;
    std::string message;
  };
  std::string unfinished = bytes;
  unfinished[4] = 0;
  std::string moved = bytes;
  moved[0x2C] = 0;
  const Case cases[] = {
      {"truncated", bytes.substr(0, bytes.size() - 1), "rowCount (offset 0x8)"},
      {"unfinished", unfinished, "complete (offset 0x4)"},
      {"time block moved", moved, "timeRecordsOffset (offset 0x2C)"},
      {"too short", bytes.substr(0, 100), "ExchangeFileHeader (offset 0x0)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto path = dir.Write("bad.bin", c.contents);
    const ProgramResult result = Dump({path.string()});
    EXPECT_EQ(result.exit_code, 1);
    EXPECT_TRUE(result.out.empty());
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  }
  EXPECT_EQ(Dump({(dir.Path() / "missing").string()}).exit_code, 1);
  EXPECT_EQ(Dump({out.string(), "--rows", "x"}).exit_code, 2);
  EXPECT_EQ(Dump({}).exit_code, 2);
}

TEST(ConvertDumpTest, DumpPrintsNonFiniteRowValuesAsStrings) {
  TempDir dir;
  const auto out = dir.Path() / "out.bin";
  std::string bytes = ConvertedFixture(out);
  ASSERT_FALSE(bytes.empty());
  // Values 0 to 2 of row 0: NaN, -infinity, negative zero.
  bytes.replace(20704, 12, std::string("\x00\x00\xC0\x7F\x00\x00\x80\xFF\x00\x00\x00\x80", 12));
  const auto path = dir.Write("patched.bin", bytes);
  const ProgramResult result = Dump({path.string(), "--rows", "1"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  EXPECT_NE(result.out.find("[\"NaN\", \"-Infinity\", -0, 3, 4"), std::string::npos) << result.out;
  rapidjson::Document d;
  d.Parse(result.out.c_str());
  EXPECT_EQ(d["rows"].Size(), 1u);
  // --rows 0 prints no row; the default prints at most 5.
  d.Parse(Dump({path.string(), "--rows", "0"}).out.c_str());
  EXPECT_EQ(d["rows"].Size(), 0u);
  d.Parse(Dump({path.string()}).out.c_str());
  EXPECT_EQ(d["rows"].Size(), 2u);
}

TEST(ConvertDumpTest, GeneratedMeasurementsOfEveryOctaveSetting) {
  struct Case {
    std::string octaves;
    int channels;
    int row_length;
  };
  const Case cases[] = {
      {"none", 4, 19}, {"full", 12, 19 + 72}, {"third", 12, 19 + 192}, {"both", 20, 19 + 72 + 192}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.octaves);
    TempDir dir;
    const ProgramResult gen =
        RunProgram("rqx340-gen", {"--count", "2", "--rows", "30", "--octaves", c.octaves, "--seed",
                                  "7", dir.Path().string()});
    ASSERT_EQ(gen.exit_code, 0) << gen.err;
    for (const char* name : {"M0001.rqx2", "M0002.rqx2"}) {
      const rapidjson::Document d =
          ConvertAndDump(dir.Path() / name, dir.Path() / (std::string(name) + ".bin"));
      ASSERT_TRUE(d.IsObject());
      EXPECT_EQ(d["chan"]["value"].GetInt(), c.channels);
      EXPECT_EQ(d["rowLength"].GetInt(), c.row_length);
      EXPECT_EQ(d["header"]["rowCount"].GetInt(), 30);
      EXPECT_EQ(d["rows"].Size(), 5u);
      EXPECT_EQ(Text(d["headerRecords"], 0), name);
    }
  }
}

}  // namespace
}  // namespace rqx340
