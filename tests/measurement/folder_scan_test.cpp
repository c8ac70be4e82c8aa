#include "measurement/folder_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gen/measurement_generator.h"
#include "measurement/json_reader.h"
#include "platform/file_system.h"
#include "support/fifo.h"
#include "support/left_out_folder.h"
#include "support/recording_progress.h"
#include "support/scoped_env.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

// A measurement head; each value is JSON text, so a string or a number.
std::string Head(const std::string& start = "1500000000",
                 const std::string& serial = "\"RQ340-0042\"", const std::string& mode = "1",
                 const std::string& raw = "0") {
  return R"({"Header":{"SerialNum":)" + serial + R"(,"StartDateTime":)" + start +
         R"(},"MeasurementProperties":{"MeasProperties":{"TAG_OPERATING_MODE_20":)" + mode +
         R"(,"TAG_STORE_RAW_53":)" + raw + R"(,"TAG_FULL_OCTAVE_54":1}},"TimeHistory":[]})";
}

CRQX340Json Record(std::int64_t start, std::string serial, std::string mode, std::int32_t raw) {
  CRQX340Json record;
  record.m_tStart = start;
  record.m_strSerialNum = std::move(serial);
  record.m_strMode = std::move(mode);
  record.m_nRaw = raw;
  return record;
}

std::vector<std::string> Names(const std::vector<CRQX340Json>& records) {
  std::vector<std::string> names;
  for (const auto& r : records) names.push_back(r.m_strName);
  std::sort(names.begin(), names.end());
  return names;
}

std::string NumberedName(int i) {
  std::string name = "m";
  name += std::to_string(i);
  name += ".rqx2";
  return name;
}

std::string Slash(const fs::path& path) { return path.string() + "/"; }

TEST(MakeFolderAbsoluteTest, JoinsToTheCurrentDirectoryLexically) {
  RQX340_POSIX_ONLY("POSIX paths");
  const std::string cwd = *CurrentDirectory();
  const std::string cwd_slash = cwd == "/" ? "/" : cwd + "/";
  struct Case {
    std::string folder;
    std::string expected;
  };
  const Case cases[] = {
      {"/a/b", "/a/b/"},
      {"/a/b/", "/a/b/"},
      {"//a///b//", "/a/b/"},
      {"/a/./b/../c", "/a/c/"},
      {"/a/b/../../..", "/"},
      {"/..", "/"},
      {"/", "/"},
      {"/a/.../b", "/a/.../b/"},
      {"", cwd_slash},
      {".", cwd_slash},
      {"./", cwd_slash},
      {"sub/dir", cwd_slash + "sub/dir/"},
      {"sub/../other/.", cwd_slash + "other/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    EXPECT_EQ(MakeFolderAbsolute(c.folder), c.expected);
  }
}

TEST(ReadSummaryTest, ReadsTheFourKeysWhereverTheyStand) {
  ScopedEnv tz("TZ", "UTC");
  struct Case {
    const char* name;
    std::string text;
    bool listed;
    CRQX340Json expected;  // compared only when listed
  };
  const Case cases[] = {
      {"numbers", Head(), true, Record(1500000000, "RQ340-0042", "HA", 0)},
      {"strings", Head("\"1500000000\"", "\"S\"", "\"2\"", "\"0\""), true,
       Record(1500000000, "S", "WB", 0)},
      {"serial as a number", Head("1", "12345"), true, Record(1, "12345", "HA", 0)},
      {"mode 7 is whole-body", Head("1", "\"S\"", "7"), true, Record(1, "S", "WB", 0)},
      {"mode -3 is vibration", Head("1", "\"S\"", "-3"), true, Record(1, "S", "Vib", 0)},
      {"mode without digits", Head("1", "\"S\"", "\"abc\""), true, Record(1, "S", "Vib", 0)},
      {"mode beyond 64 bits", Head("1", "\"S\"", "99999999999999999999"), true,
       Record(1, "S", "WB", 0)},
      {"mode with a fraction", Head("1", "\"S\"", "1.9"), true, Record(1, "S", "HA", 0)},
      {"start without digits", Head("\"x\""), true, Record(0, "RQ340-0042", "HA", 0)},
      {"start after January 2038", Head("2200000000"), true, Record(-1, "RQ340-0042", "HA", 0)},
      {"start before 1970", Head("-100"), true, Record(-1, "RQ340-0042", "HA", 0)},
      {"start beyond 64 bits", Head("\"99999999999999999999999\""), true,
       Record(-1, "RQ340-0042", "HA", 0)},
      {"serial keeps its UTF-8", Head("1", "\"\\u00c4rger \xe2\x82\xac\""), true,
       Record(1, "\xc3\x84rger \xe2\x82\xac", "HA", 0)},
      {"later value of a key wins",
       R"({"SerialNum":"A","TAG_STORE_RAW_53":0,"SerialNum":"B","StartDateTime":5,)"
       R"("TAG_OPERATING_MODE_20":0})",
       true, Record(5, "B", "Vib", 0)},
      {"keys after the fourth are not read",
       R"({"SerialNum":"A","TAG_STORE_RAW_53":0,"StartDateTime":5,"TAG_OPERATING_MODE_20":0,)"
       R"("SerialNum":"B"})",
       true, Record(5, "A", "Vib", 0)},
      {"empty serial later given",
       R"({"SerialNum":"","TAG_STORE_RAW_53":0,"StartDateTime":5,)"
       R"("SerialNum":"C","TAG_OPERATING_MODE_20":0})",
       true, Record(5, "C", "Vib", 0)},
      {"keys at any depth",
       R"([{"x":{"StartDateTime":5}},[{"SerialNum":"A"}],{"a":{"b":{"TAG_OPERATING_MODE_20":2,)"
       R"("TAG_STORE_RAW_53":0}}}])",
       true, Record(5, "A", "WB", 0)},
      {"first array element pairs", Head("1", "[\"A\",\"B\"]"), true, Record(1, "A", "HA", 0)},
      {"null after the four keys", Head() + "null", true,
       Record(1500000000, "RQ340-0042", "HA", 0)},
      {"serial key in other case",
       R"({"serialnum":"A","StartDateTime":5,)"
       R"("TAG_OPERATING_MODE_20":0,"TAG_STORE_RAW_53":0})",
       false,
       {}},
      {"serial as an object", Head("1", R"({"v":"A"})"), false, {}},
      {"serial null", Head("1", "null"), false, {}},
      {"false before the serial", R"({"ok":false,)" + Head().substr(1), false, {}},
      {"raw flag missing",
       R"({"SerialNum":"A","StartDateTime":5,"TAG_OPERATING_MODE_20":0})",
       false,
       {}},
      // The head nests 3 deep: MeasProperties is at depth 100000, then 100001.
      {"keys at the deepest nesting that parses",
       std::string(99997, '[') + Head() + std::string(99997, ']'), true,
       Record(1500000000, "RQ340-0042", "HA", 0)},
      {"nesting past the limit before the keys",
       std::string(99998, '[') + Head() + std::string(99998, ']'),
       false,
       {}},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir.Write("m.rqx2", c.text);
    CRQX340Json record;
    ASSERT_EQ(ReadSummary(record, dir.Path().string(), "m.rqx2"), c.listed);
    if (c.listed) {
      EXPECT_EQ(record, c.expected);
    }
  }
}

TEST(ReadSummaryTest, FixturesThatBreakTheScan) {
  ScopedEnv tz("TZ", "UTC");
  struct Case {
    const char* file;
    bool listed;
    const char* serial;
  };
  const Case cases[] = {
      {"usual_head.rqx2", true, "RQ340-0042"},
      {"keys_as_strings.rqx2", true, "RQ340-0042"},
      {"truncated_after_keys.rqx2", true, "RQ340-0042"},
      {"serial_with_nul.rqx2", true, "RQ"},
      {"true_before_serial.rqx2", false, ""},
      {"empty_serial.rqx2", false, ""},
      {"truncated_before_raw_flag.rqx2", false, ""},
      {"serial_only_nul.rqx2", false, ""},
      {"binary_junk.rqx2", false, ""},
      {"empty.rqx2", false, ""},
      {"byte_order_mark.rqx2", false, ""},  // not JSON text to the reader
  };
  const std::string folder = test::DataFile("scan").string();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    CRQX340Json record;
    ASSERT_EQ(ReadSummary(record, folder, c.file), c.listed);
    if (c.listed) {
      EXPECT_EQ(record.m_strSerialNum, c.serial);
    }
  }
}

TEST(ReadSummaryTest, EveryTruncationAndJunkIsSafe) {
  const std::string text = Head();
  // The last of the four keys is complete once its value's last digit is in.
  const std::string last = R"("TAG_STORE_RAW_53":0)";
  const std::size_t complete_at = text.find(last) + last.size();
  TempDir dir;
  for (std::size_t n = 0; n <= text.size(); ++n) {
    SCOPED_TRACE(n);
    dir.Write("m.rqx2", text.substr(0, n));
    CRQX340Json record;
    EXPECT_EQ(ReadSummary(record, dir.Path().string(), "m.rqx2"), n >= complete_at);
  }
  // Deterministic junk, and the head with single bytes flipped.
  std::uint64_t state = 12345;
  const auto next = [&state] {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<char>(state >> 56);
  };
  for (int round = 0; round < 100; ++round) {
    std::string junk(static_cast<std::size_t>(round * 7), '\0');
    for (char& c : junk) c = next();
    dir.Write("junk.rqx2", junk);
    std::string flipped = text;
    flipped[static_cast<std::size_t>(round) % flipped.size()] = next();
    dir.Write("flipped.rqx2", flipped);
    CRQX340Json record;
    ReadSummary(record, dir.Path().string(), "junk.rqx2");
    ReadSummary(record, dir.Path().string(), "flipped.rqx2");
  }
}

TEST(ReadSummaryTest, StartTimeIsTheClockReadingAsLocalTime) {
  RQX340_POSIX_ONLY("the zone from TZ");
  struct Case {
    const char* zone;
    const char* start;
    std::int64_t expected;
  };
  const Case cases[] = {
      {"UTC", "1500000000", 1500000000},
      {"Europe/Berlin", "1500000000", 1499992800},  // July, UTC+2
      {"Europe/Berlin", "1484000000", 1483996400},  // January, UTC+1
      {"UTC", "2147483647", 2147483647},
      {"UTC", "2147483648", -1},
      {"Europe/Berlin", "2147483647", 2147483647 - 3600},
  };
  TempDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.zone) + " " + c.start);
    ScopedEnv tz("TZ", c.zone);
    dir.Write("m.rqx2", Head(c.start));
    CRQX340Json record;
    ASSERT_TRUE(ReadSummary(record, dir.Path().string(), "m.rqx2"));
    EXPECT_EQ(record.m_tStart, c.expected);
  }
}

TEST(ReadSummaryTest, ReadsOneBlockWhenTheKeysComeFirst) {
  TempDir dir;
  ScanReport report;
  CRQX340Json record;
  // Keys first, then far more than one block of time history.
  std::string text = Head();
  text.insert(text.size() - 3, std::string(300000, ' '));
  dir.Write("long.rqx2", text);
  ASSERT_TRUE(ReadSummary(record, dir.Path().string(), "long.rqx2", &report));
  EXPECT_EQ(report.m_nBlocksRead, 1u);

  // The raw flag only after the first block: the scan reads on.
  const std::string late = R"({"SerialNum":"A","StartDateTime":5,"TAG_OPERATING_MODE_20":0,"p":")" +
                           std::string(kReadBufferSize, 'x') + R"(","TAG_STORE_RAW_53":0})";
  dir.Write("late.rqx2", late);
  report = {};
  ASSERT_TRUE(ReadSummary(record, dir.Path().string(), "late.rqx2", &report));
  EXPECT_EQ(report.m_nBlocksRead, 2u);
}

TEST(FindRawFileTest, LooksBesideThenInTheRawFolder) {
  RQX340_POSIX_ONLY("symbolic links");
  TempDir dir;
  const fs::path meas = dir.Path() / "Meas" / "Day1";
  fs::create_directories(meas);
  dir.Write("Meas/Day1/M1.raw", "");
  dir.Write("Meas/raw/M2.raw", "");
  dir.Write("Meas/Day1/M3.raw/inside", "");  // a folder named like a raw file
  dir.Write("Meas/raw/Day1/M4.raw", "");     // not where the search looks
  fs::create_symlink(meas / "M1.raw", meas / "M5.raw");
  fs::create_symlink(meas / "nowhere", meas / "M6.raw");
  struct Case {
    const char* file;
    std::string expected;
  };
  const Case cases[] = {
      {"M1.rqx2", Slash(meas) + "M1.raw"},
      {"M2.rqx2", Slash(dir.Path() / "Meas" / "raw") + "M2.raw"},
      {"M3.rqx2", ""},
      {"M4.rqx2", ""},
      {"M5.rqx2", Slash(meas) + "M5.raw"},
      {"M6.rqx2", ""},
      {"M7.rqx2", ""},
      {"M1", Slash(meas) + "M1.raw"},  // no extension: ".raw" is appended
      {"M1.x.rqx2", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(FindRawFile(meas.string(), c.file), c.expected);
    EXPECT_EQ(FindRawFile(Slash(meas), c.file), c.expected);
  }
}

TEST(FindRawFileTest, ReplacesEveryOccurrenceOfTheFolderName) {
  RQX340_POSIX_ONLY("POSIX paths");
  TempDir dir;
  const fs::path data = dir.Path() / "Data" / "Data";
  fs::create_directories(data);
  // Nothing beside; the second candidate replaces all three occurrences.
  EXPECT_EQ(FindRawFile(data.string(), "Data1.rqx2"), "");
  dir.Write("raw/raw/raw1.raw", "");
  EXPECT_EQ(FindRawFile(data.string(), "Data1.rqx2"),
            Slash(dir.Path() / "raw" / "raw") + "raw1.raw");
  // Dots in folder names stay; only the file's extension is replaced.
  const fs::path dotted = dir.Path() / "v1.2" / "set.a";
  fs::create_directories(dotted);
  dir.Write("v1.2/raw/M.raw", "");
  EXPECT_EQ(FindRawFile(dotted.string(), "M.rqx2"), Slash(dir.Path() / "v1.2" / "raw") + "M.raw");
  // The search works on the absolute, lexically cleaned folder.
  EXPECT_EQ(FindRawFile((dotted / ".." / "set.a" / ".").string(), "M.rqx2"),
            Slash(dir.Path() / "v1.2" / "raw") + "M.raw");
}

TEST(FindRawFileTest, RootFolderHasNoSecondCandidate) {
  EXPECT_EQ(FindRawFile("/", "rqx340-no-such-measurement.rqx2"), "");
}

class ScanFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { m_folder = m_dir.Path().string(); }

  std::vector<CRQX340Json> Scan(const std::string& folder) {
    NullProgressSink progress;
    return ScanFolder(folder, progress, &m_report);
  }

  TempDir m_dir;
  std::string m_folder;
  ScanReport m_report;
  ScopedEnv m_tz{"TZ", "UTC"};
};

TEST_F(ScanFolderTest, ListsOnlyMeasurementsWithAllFourKeys) {
  m_dir.Write("M1.rqx2", Head());
  m_dir.Write("M2.rqx2", R"({"SerialNum":"A","StartDateTime":5,"TAG_OPERATING_MODE_20":0})");
  m_dir.Write("notes.txt", Head());
  const auto records = Scan(m_folder);
  ASSERT_EQ(records.size(), 1u);
  CRQX340Json expected = Record(1500000000, "RQ340-0042", "HA", 0);
  expected.m_strName = "M1.rqx2";
  expected.m_nSize = Head().size();
  EXPECT_EQ(records[0], expected);
  EXPECT_TRUE(m_report.m_bListed);
  // With and without the trailing slash, relative or not: the same records.
  EXPECT_EQ(Scan(m_folder + "/"), records);
  EXPECT_EQ(Scan(m_folder + "/./"), records);
  EXPECT_EQ(Scan(m_folder + "/../" + m_dir.Path().filename().string()), records);
}

TEST_F(ScanFolderTest, TakesRegularFilesOnlyAndNeverBlocks) {
  m_dir.Write("upper.RQX2", Head());
  m_dir.Write("Mixed.RqX2", Head());
  m_dir.Write(".hidden.rqx2", Head());
  m_dir.Write(".rqx2", Head());
  m_dir.Write("name with spaces \xff.rqx2", Head());
  m_dir.Write("x.rqx2.bak", Head());
  m_dir.Write("x.rqx", Head());
  m_dir.Write("folder.rqx2/inner.rqx2", Head());
  if (!test::MakeFifo(m_folder + "/fifo.rqx2")) GTEST_SKIP() << "no FIFOs here";
  m_dir.Write("target.json", Head() + "   ");
  fs::create_symlink(m_dir.Path() / "target.json", m_dir.Path() / "link.rqx2");
  fs::create_symlink(m_dir.Path() / "missing", m_dir.Path() / "dangling.rqx2");
  fs::create_symlink(m_dir.Path() / "folder.rqx2", m_dir.Path() / "dirlink.rqx2");
  const auto records = Scan(m_folder);
  EXPECT_EQ(Names(records),
            (std::vector<std::string>{".hidden.rqx2", ".rqx2", "Mixed.RqX2", "link.rqx2",
                                      "name with spaces \xff.rqx2", "upper.RQX2"}));
  for (const auto& r : records) {
    EXPECT_EQ(r.m_nSize, Head().size() + (r.m_strName == "link.rqx2" ? 3 : 0)) << r.m_strName;
  }
  EXPECT_EQ(m_report.m_nFilesOpened, records.size());
}

TEST_F(ScanFolderTest, RawFlagFollowsTheRawFile) {
  m_dir.Write("day/beside.rqx2", Head("1", "\"S\"", "0", "1"));
  m_dir.Write("day/beside.raw", std::string(24, '\0'));
  m_dir.Write("day/sibling.rqx2", Head("1", "\"S\"", "0", "\"1\""));
  m_dir.Write("raw/sibling.raw", "");
  m_dir.Write("day/missing.rqx2", Head("1", "\"S\"", "0", "1"));
  m_dir.Write("day/none.rqx2", Head("1", "\"S\"", "0", "0"));
  m_dir.Write("day/none.raw", "");
  m_dir.Write("day/five.rqx2", Head("1", "\"S\"", "0", "5"));
  m_dir.Write("day/five.raw", "");
  m_dir.Write("day/minus.rqx2", Head("1", "\"S\"", "0", "-1"));
  const auto records = Scan(m_folder + "/day");
  std::vector<std::pair<std::string, std::int32_t>> flags;
  for (const auto& r : records) flags.emplace_back(r.m_strName, r.m_nRaw);
  std::sort(flags.begin(), flags.end());
  const std::vector<std::pair<std::string, std::int32_t>> expected = {
      {"beside.rqx2", 1},  {"five.rqx2", 5}, {"minus.rqx2", 2},
      {"missing.rqx2", 2}, {"none.rqx2", 0}, {"sibling.rqx2", 1}};
  EXPECT_EQ(flags, expected);
}

TEST_F(ScanFolderTest, MissingOrUnlistableFolderGivesNoRecords) {
  EXPECT_TRUE(Scan(m_folder + "/missing").empty());
  EXPECT_FALSE(m_report.m_bListed);
  EXPECT_FALSE(m_report.m_strError.empty());
  m_dir.Write("file", Head());
  EXPECT_TRUE(Scan(m_folder + "/file").empty());
  EXPECT_FALSE(m_report.m_bListed);
  // An empty folder is listed and has no records.
  m_report = {};
  EXPECT_TRUE(Scan(m_folder).empty());
  EXPECT_TRUE(m_report.m_bListed);
}

TEST_F(ScanFolderTest, UnreadableFileIsLeftOut) {
  const auto path = m_dir.Write("locked.rqx2", Head());
  m_dir.Write("open.rqx2", Head());
  fs::permissions(path, fs::perms::none);
  if (std::ifstream(path).is_open()) GTEST_SKIP() << "permissions do not apply to this user";
  EXPECT_EQ(Names(Scan(m_folder)), std::vector<std::string>{"open.rqx2"});
}

TEST_F(ScanFolderTest, KeepsTheListingOrderAndReadsOneBlockPerFile) {
  for (int i = 0; i < 40; ++i) m_dir.Write(NumberedName(i), Head());
  m_dir.Write("broken.rqx2", "{\"SerialNum\":");
  const auto listing = ListFiles(m_folder, ".rqx2");
  ASSERT_TRUE(listing);
  std::vector<std::string> listed_order;
  for (const auto& entry : *listing) {
    if (entry.name != "broken.rqx2") listed_order.push_back(entry.name);
  }
  const auto records = Scan(m_folder);
  std::vector<std::string> scan_order;
  for (const auto& r : records) scan_order.push_back(r.m_strName);
  EXPECT_EQ(scan_order, listed_order);
  EXPECT_EQ(m_report.m_nFilesOpened, 41u);
  EXPECT_EQ(m_report.m_nBlocksRead, 41u);
}

// Each file the scan leaves out is noted with its reason beside the records,
// which are the same as without the note.
TEST_F(ScanFolderTest, EveryLeftOutFileHasItsReason) {
  const std::vector<test::LeftOutCase> cases = test::FillLeftOutFolder(m_dir.Path());
  const auto records = Scan(m_folder);
  EXPECT_EQ(Names(records), std::vector<std::string>{test::kListedInLeftOutFolder});
  NullProgressSink progress;
  EXPECT_EQ(ScanFolder(m_folder, progress), records);

  std::vector<LeftOutFile> left_out = m_report.m_arrLeftOut;
  std::sort(left_out.begin(), left_out.end(),
            [](const LeftOutFile& a, const LeftOutFile& b) { return a.m_strName < b.m_strName; });
  ASSERT_EQ(left_out.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].name);
    EXPECT_EQ(left_out[i].m_strName, cases[i].name);
    EXPECT_EQ(LeftOutReasonName(left_out[i].m_nReason), cases[i].reason);
    EXPECT_EQ(LeftOutText(left_out[i], EnglishStrings()), cases[i].text);
  }
  // What is not a regular file, or does not open, is never read.
  const auto read = std::count_if(cases.begin(), cases.end(), [](const test::LeftOutCase& c) {
    return c.reason != "notRegularFile" && c.reason != "cannotOpen";
  });
  EXPECT_EQ(m_report.m_nFilesOpened, static_cast<std::uint64_t>(read) + 1);
}

// A file named on its own is noted as the scan notes it.
TEST(ReadSummaryTest, NotesWhyAFileIsNotAMeasurement) {
  TempDir dir;
  const std::vector<test::LeftOutCase> cases = test::FillLeftOutFolder(dir.Path());
  for (const auto& c : cases) {
    if (c.reason == "notRegularFile") continue;  // opening it says so in its own words
    SCOPED_TRACE(c.name);
    ScanReport report;
    CRQX340Json record;
    EXPECT_FALSE(ReadSummary(record, dir.Path().string(), c.name, &report));
    ASSERT_EQ(report.m_arrLeftOut.size(), 1u);
    EXPECT_EQ(report.m_arrLeftOut[0].m_strName, c.name);
    EXPECT_EQ(LeftOutText(report.m_arrLeftOut[0], EnglishStrings()), c.text);
  }
  ScanReport report;
  CRQX340Json record;
  EXPECT_TRUE(ReadSummary(record, dir.Path().string(), test::kListedInLeftOutFolder, &report));
  EXPECT_TRUE(report.m_arrLeftOut.empty());
}

// The texts come from the string table, each with its detail; one the table
// lacks is English.
TEST(LeftOutTextTest, EachReasonHasItsTextAndName) {
  class Table final : public StringTable {
   public:
    std::string Load(int id) const override {
      if (id == kIdsFirstLeftOutReason + 4) return "kein JSON ab Byte %1";
      if (id == kIdsFilesNotListed) return "%1 Dateien";
      return {};
    }
  } german;
  const struct {
    LeftOutFile file;
    const char* name;
    const char* english;
  } cases[] = {
      {{"a", LeftOutReason::kCannotOpen, "Permission denied"},
       "cannotOpen",
       "cannot be opened: Permission denied"},
      {{"a", LeftOutReason::kNotRegularFile, ""}, "notRegularFile", "not a regular file"},
      {{"a", LeftOutReason::kCannotRead, "Input/output error"},
       "cannotRead",
       "cannot be read: Input/output error"},
      {{"a", LeftOutReason::kEmpty, ""}, "empty", "the file is empty"},
      {{"a", LeftOutReason::kNotJson, "", 17}, "notJson", "not valid JSON at byte 17"},
      {{"a", LeftOutReason::kNestedTooDeep, "", 100001},
       "nestedTooDeep",
       "nested too deep at byte 100001"},
      {{"a", LeftOutReason::kLiteralBeforeKeys, "", 23},
       "literalBeforeKeys",
       "true, false or null at byte 23 before the measurement keys"},
      {{"a", LeftOutReason::kKeyMissing, "SerialNum"},
       "keyMissing",
       "measurement key missing or empty: SerialNum"},
      {{"a", LeftOutReason::kNameNotInCodePage, "", 0, 1252},
       "nameNotInCodePage",
       "the name cannot be expressed in code page 1252"},
  };
  static_assert(std::size(cases) == kLeftOutReasonCount);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LeftOutReasonName(c.file.m_nReason), c.name);
    EXPECT_EQ(LeftOutText(c.file, EnglishStrings()), c.english);
  }
  EXPECT_EQ(LeftOutText(cases[4].file, german), "kein JSON ab Byte 17");
  EXPECT_EQ(LeftOutText(cases[0].file, german), "cannot be opened: Permission denied");

  EXPECT_EQ(LeftOutSummaryText(0, EnglishStrings()), "");
  EXPECT_EQ(LeftOutSummaryText(1, EnglishStrings()), "1 file not listed\u2026");
  EXPECT_EQ(LeftOutSummaryText(3, EnglishStrings()), "3 files not listed\u2026");
  EXPECT_EQ(LeftOutSummaryText(3, german), "3 Dateien");
  EXPECT_EQ(LeftOutSummaryText(1, german), "1 file not listed\u2026");
}

TEST_F(ScanFolderTest, ProgressBarRunsAsAnIndicator) {
  for (int i = 0; i < 30; ++i) m_dir.Write(NumberedName(i), Head());
  m_dir.Write("skip.rqx2", "junk");
  test::CallLog log;
  test::RecordingProgressSink progress(log);
  ScanFolder(m_folder, progress);
  std::vector<std::string> expected = {"show", "pos 0", "step 1", "range 0 25"};
  expected.insert(expected.end(), 31, "stepit");
  expected.push_back("hide");
  EXPECT_EQ(log.Calls(), expected);

  test::CallLog missing_log;
  test::RecordingProgressSink missing_progress(missing_log);
  ScanFolder(m_folder + "/missing", missing_progress);
  EXPECT_EQ(missing_log.Calls(),
            (std::vector<std::string>{"show", "pos 0", "step 1", "range 0 25", "hide"}));
}

}  // namespace
}  // namespace rqx340

namespace rqx340 {
namespace {

// Generated measurements of the meter's usual shape: the four keys in the head,
// time history behind them.
TEST(ScanFolderAtScaleTest, ReadsOneBlockPerFileOfTheUsualShape) {
  struct Case {
    std::uint32_t count;
    std::uint32_t rows;
    gen::Octaves octaves;
  };
  // 10 000 small files, and fewer files each several blocks long.
  const Case cases[] = {{10000, 4, gen::Octaves::kNone}, {12, 300, gen::Octaves::kBoth}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    TempDir dir;
    gen::GeneratorOptions options;
    options.count = c.count;
    options.rows = c.rows;
    options.octaves = c.octaves;
    options.raw = c.count / 10;
    options.raw_samples = 1;
    options.seed = 3;
    std::string error;
    ASSERT_TRUE(gen::WriteMeasurements(options, dir.Path().string(), &error)) << error;
    if (c.rows > 100) {
      ASSERT_GT(fs::file_size(dir.Path() / "M0001.rqx2"), 4 * kReadBufferSize);
    }

    NullProgressSink progress;
    ScanReport report;
    const auto records = ScanFolder(dir.Path().string(), progress, &report);
    EXPECT_EQ(records.size(), c.count);
    EXPECT_EQ(report.m_nFilesOpened, c.count);
    EXPECT_EQ(report.m_nBlocksRead, c.count);
    const auto with_raw = std::count_if(records.begin(), records.end(),
                                        [](const CRQX340Json& r) { return r.m_nRaw == 1; });
    EXPECT_EQ(static_cast<std::uint32_t>(with_raw), c.count / 10);
  }
}

}  // namespace
}  // namespace rqx340
