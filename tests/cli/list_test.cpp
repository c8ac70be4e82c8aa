// rqx340 list, run as a program over generated and hand-made folders.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/left_out_folder.h"
#include "support/run_program.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::ProgramResult;
using test::RunProgram;
using test::TempDir;

ProgramResult List(const std::vector<std::string>& args, const char* zone = "UTC") {
  std::vector<std::string> full = {"list"};
  full.insert(full.end(), args.begin(), args.end());
  return RunProgram("rqx340", full,
                    {std::string("TZ=") + zone, "LC_ALL=C", "RQX340_SHORTDATE=yyyy-MM-dd",
                     "RQX340_TIMEFORMAT=HH:mm:ss"});
}

std::string Head(const std::string& serial, std::int64_t start, int mode, int raw) {
  return R"({"Header":{"SerialNum":")" + serial + R"(","StartDateTime":)" + std::to_string(start) +
         R"(},"MeasurementProperties":{"MeasProperties":{)" + R"("TAG_OPERATING_MODE_20":)" +
         std::to_string(mode) + R"(,"TAG_STORE_RAW_53":)" + std::to_string(raw) + "}}}";
}

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// Day number of the last Sunday of a month (1970-01-01 was a Thursday).
std::int64_t LastSunday(std::int64_t year, unsigned month) {
  const std::int64_t last = DaysFromCivil(month == 12 ? year + 1 : year, month % 12 + 1, 1) - 1;
  return last - (last + 4) % 7;
}

// The meter's clock reading taken as local time, worked out here by the rules
// of the zone rather than by the system: Europe/Berlin is UTC+1, and UTC+2 from
// 02:00 on the last Sunday of March to 03:00 on the last Sunday of October.
std::int64_t ExpectedStart(std::int64_t clock, const std::string& zone) {
  std::int64_t utc = clock;
  if (zone == "Europe/Berlin") {
    using namespace std::chrono;
    const year_month_day date{floor<days>(sys_seconds{seconds{clock}})};
    const std::int64_t year = static_cast<int>(date.year());
    const bool summer = clock >= LastSunday(year, 3) * 86400 + 2 * 3600 &&
                        clock < LastSunday(year, 10) * 86400 + 3 * 3600;
    utc = clock - (summer ? 7200 : 3600);
  }
  return utc < 0 || utc > 2147483647 ? -1 : utc;
}

// The TSV rows of a folder of generated files, read here straight from the
// files with RapidJSON.
std::string ExpectedTsv(const fs::path& folder, const std::string& zone) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() == ".rqx2") names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  const char* modes[] = {"Vib", "HA", "WB"};
  std::string tsv;
  for (const auto& name : names) {
    rapidjson::Document doc;
    doc.Parse(test::ReadFileBytes(folder / name).c_str());
    EXPECT_TRUE(doc.IsObject()) << name;
    const auto& header = doc["Header"];
    const auto& settings = doc["MeasurementProperties"]["MeasProperties"];
    const int stored_raw = settings["TAG_STORE_RAW_53"].GetInt();
    const bool raw_found =
        fs::exists(fs::path(folder) / fs::path(name).replace_extension(".raw")) ||
        fs::exists(folder.parent_path() / "raw" / fs::path(name).replace_extension(".raw"));
    const int raw = stored_raw == 0 ? 0 : raw_found ? 1 : 2;
    tsv += name + "\t" + std::to_string(ExpectedStart(header["StartDateTime"].GetInt64(), zone)) +
           "\t" + header["SerialNum"].GetString() + "\t" +
           std::to_string(fs::file_size(folder / name)) + "\t" +
           modes[settings["TAG_OPERATING_MODE_20"].GetInt()] + "\t" + std::to_string(raw) + "\n";
  }
  return tsv;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ListCommandTest, GeneratedFolderListsAsItsFilesSay) {
  RQX340_POSIX_ONLY("the zone from TZ");
  TempDir dir;
  const fs::path folder = dir.Path() / "meas";
  const ProgramResult gen =
      RunProgram("rqx340-gen", {"--count", "40", "--rows", "3", "--raw", "6", "--raw-missing", "4",
                                "--seed", "11", folder.string()});
  ASSERT_EQ(gen.exit_code, 0) << gen.err;
  const ProgramResult more =
      RunProgram("rqx340-gen", {"--count", "3", "--rows", "2", "--raw", "2", "--raw-dir", "raw",
                                "--prefix", "R", "--seed", "5", folder.string()});
  ASSERT_EQ(more.exit_code, 0) << more.err;
  ASSERT_TRUE(fs::exists(dir.Path() / "raw" / "R0001.raw"));

  for (const std::string zone : {"UTC", "Europe/Berlin"}) {
    SCOPED_TRACE(zone);
    const std::string expected = ExpectedTsv(folder, zone);
    ASSERT_EQ(Lines(expected).size(), 43u);
    const ProgramResult listed = List({"--tsv", folder.string()}, zone.c_str());
    EXPECT_EQ(listed.exit_code, 0);
    EXPECT_EQ(listed.err, "");
    EXPECT_EQ(listed.out, expected);
    // The trailing slash and a relative spelling change nothing.
    EXPECT_EQ(List({"--tsv", folder.string() + "/"}, zone.c_str()).out, expected);
    EXPECT_EQ(List({"--tsv", (folder / ".." / "meas" / ".").string()}, zone.c_str()).out, expected);
  }
}

TEST(ListCommandTest, TsvAndJsonOfHandMadeFiles) {
  RQX340_POSIX_ONLY("the zone from TZ and names that are not UTF-8");
  TempDir dir;
  const std::string m1 = Head("RQ340-0042", 1500000000, 2, 1);
  const std::string m2 = Head("tab\\there\\\\back", 1484000000, 1, 1);
  const std::string m3 = Head("\xc3\xa9\xff", 0, 0, 0);
  const std::string m4 = Head("nl\\ncr\\r", 2200000000, 0, 0);
  dir.Write("M1.rqx2", m1);
  dir.Write("M1.raw", std::string(12, '\0'));
  dir.Write("M2.rqx2", m2);
  dir.Write("M3 \xff.rqx2", m3);
  dir.Write("M4.rqx2", m4);
  dir.Write("skip.rqx2", R"({"SerialNum":"x"})");
  const std::string folder = dir.Path().string();
  const auto size = [](const std::string& text) { return std::to_string(text.size()); };

  const ProgramResult utc = List({"--tsv", folder});
  EXPECT_EQ(utc.exit_code, 0);
  EXPECT_EQ(utc.out, "M1.rqx2\t1500000000\tRQ340-0042\t" + size(m1) + "\tWB\t1\n" +
                         "M2.rqx2\t1484000000\ttab\\there\\\\back\t" + size(m2) + "\tHA\t2\n" +
                         "M3 \xff.rqx2\t0\t\xc3\xa9\xff\t" + size(m3) + "\tVib\t0\n" +
                         "M4.rqx2\t-1\tnl\\ncr\\r\t" + size(m4) + "\tVib\t0\n");

  // In Berlin the clock readings are an hour (January) or two (July) ahead of
  // UTC; local midnight of 1970-01-01 lies before the epoch.
  const std::vector<std::string> berlin = Lines(List({"--tsv", folder}, "Europe/Berlin").out);
  ASSERT_EQ(berlin.size(), 4u);
  EXPECT_EQ(berlin[0], "M1.rqx2\t1499992800\tRQ340-0042\t" + size(m1) + "\tWB\t1");
  EXPECT_EQ(berlin[1], "M2.rqx2\t1483996400\ttab\\there\\\\back\t" + size(m2) + "\tHA\t2");
  EXPECT_EQ(berlin[2], "M3 \xff.rqx2\t-1\t\xc3\xa9\xff\t" + size(m3) + "\tVib\t0");

  const ProgramResult json = List({"--json", folder});
  EXPECT_EQ(json.exit_code, 0);
  EXPECT_EQ(json.out,
            R"([{"name":"M1.rqx2","start":1500000000,"startText":"2017-07-14 02:40:00",)"
            R"("serial":"RQ340-0042","size":)" +
                size(m1) +
                R"(,"mode":"WB","raw":1},)"
                R"({"name":"M2.rqx2","start":1484000000,"startText":"2017-01-09 22:13:20",)"
                R"("serial":"tab\there\\back","size":)" +
                size(m2) +
                R"(,"mode":"HA","raw":2},)"
                "{\"name\":\"M3 \xef\xbf\xbd.rqx2\",\"start\":0,\"startText\":\"N/A\","
                "\"serial\":\"\xc3\xa9\xef\xbf\xbd\",\"size\":" +
                size(m3) +
                R"(,"mode":"Vib","raw":0},)"
                R"({"name":"M4.rqx2","start":-1,"startText":"1969-12-31 23:59:59",)"
                R"("serial":"nl\ncr\r","size":)" +
                size(m4) +
                R"(,"mode":"Vib","raw":0}])"
                "\n");
}

TEST(ListCommandTest, SortsByNameInByteOrder) {
  RQX340_POSIX_ONLY("names that differ only in case");
  TempDir dir;
  for (const char* name : {"b.rqx2", "B.rqx2", "a.rqx2", "\xc3\xa9.rqx2", "_.rqx2", "A.RQX2"}) {
    dir.Write(name, Head("S", 1, 0, 0));
  }
  std::vector<std::string> names;
  for (const auto& line : Lines(List({"--tsv", dir.Path().string()}).out)) {
    names.push_back(line.substr(0, line.find('\t')));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A.RQX2", "B.rqx2", "_.rqx2", "a.rqx2", "b.rqx2",
                                             "\xc3\xa9.rqx2"}));
}

TEST(ListCommandTest, TableIsAlignedAndShowsRawAsTheListDoes) {
  TempDir dir;
  // Sizes of 156, 138 and 147 bytes.
  dir.Write("long-name-measurement.rqx2", Head("RQ340-0042", 1500000000, 2, 1));
  dir.Write("long-name-measurement.raw", "");
  dir.Write("s.rqx2", Head("S", 0, 1, 1));
  dir.Write("t.rqx2", Head("S", 1500000000, 0, 0));
  const ProgramResult table = List({dir.Path().string()});
  EXPECT_EQ(table.exit_code, 0);
  const std::vector<std::string> expected = {
      "Name                        Start time           S/N         Size  Mode  Raw",
      "long-name-measurement.rqx2  2017-07-14 02:40:00  RQ340-0042   156  WB    YES",
      "s.rqx2                      N/A                  S            138  HA    YES*",
      "t.rqx2                      2017-07-14 02:40:00  S            147  Vib   NO",
  };
  EXPECT_EQ(Lines(table.out), expected);
}

// A name or serial number cannot reach the terminal raw: every control
// character shows as \xNN in the table and the TSV (which keeps its four
// escapes), every direction mark as \uNNNN, and JSON escapes DEL as it
// escapes the others.
TEST(ListCommandTest, ControlCharactersAreShownNotSent) {
  RQX340_POSIX_ONLY("control characters in file names");
  struct Case {
    std::string name;
    std::string serial;  // as the JSON file writes it
    std::string tsv;     // name, start and serial fields of the TSV line
    std::string cell;    // the serial number's cell in the table
    std::string json;    // name and serial members of the JSON object
  };
  const Case cases[] = {
      {"c1.rqx2", R"(\u001b]0;title\u0007)", "c1.rqx2\t0\t\\x1B]0;title\\x07", "\\x1B]0;title\\x07",
       R"("name":"c1.rqx2","start":0,"startText":"N/A","serial":"\u001B]0;title\u0007")"},
      {"c2.rqx2", R"(bs\b del\u007f)", "c2.rqx2\t0\tbs\\x08 del\\x7F", "bs\\x08 del\\x7F",
       R"("name":"c2.rqx2","start":0,"startText":"N/A","serial":"bs\b del\u007F")"},
      {"c3.rqx2", R"(tab\there)", "c3.rqx2\t0\ttab\\there", "tab\\x09here",
       R"("name":"c3.rqx2","start":0,"startText":"N/A","serial":"tab\there")"},
      {"c4.rqx2", R"(back\\slash)", "c4.rqx2\t0\tback\\\\slash", "back\\\\slash",
       R"("name":"c4.rqx2","start":0,"startText":"N/A","serial":"back\\slash")"},
      {"c5\x1b\x7f.rqx2", "S", "c5\\x1B\\x7F.rqx2\t0\tS", "S",
       R"("name":"c5\u001B\u007F.rqx2","start":0,"startText":"N/A","serial":"S")"},
      // Direction marks would make the text read backwards; a line feed would end it.
      {"c6.rqx2", R"(\u202Eevil\u2066)", "c6.rqx2\t0\t\\u202Eevil\\u2066", "\\u202Eevil\\u2066",
       "\"name\":\"c6.rqx2\",\"start\":0,\"startText\":\"N/A\",\"serial\":\"\xE2\x80\xAE"
       "evil\xE2\x81\xA6\""},
      {"c7\n\xE2\x80\x8F.rqx2", "S", "c7\\n\\u200F.rqx2\t0\tS", "S",
       R"("name":"c7\n)"
       "\xE2\x80\x8F"
       R"(.rqx2","start":0,"startText":"N/A","serial":"S")"},
  };
  TempDir dir;
  for (const Case& c : cases) dir.Write(c.name, Head(c.serial, 0, 0, 0));
  const std::string folder = dir.Path().string();
  const ProgramResult tsv = List({"--tsv", folder});
  const ProgramResult table = List({folder});
  const ProgramResult json = List({"--json", folder});
  for (const ProgramResult* result : {&tsv, &table, &json}) {
    EXPECT_EQ(result->exit_code, 0);
    // Only the line ends and the TSV's own separators are controls.
    EXPECT_EQ(std::count_if(result->out.begin(), result->out.end(),
                            [](char c) {
                              return (c >= 0 && c < 0x20 && c != '\n' && c != '\t') || c == 0x7F;
                            }),
              0);
  }
  const std::vector<std::string> tsv_lines = Lines(tsv.out);
  const std::vector<std::string> table_lines = Lines(table.out);
  ASSERT_EQ(tsv_lines.size(), std::size(cases));
  ASSERT_EQ(table_lines.size(), std::size(cases) + 1);
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].tsv);
    EXPECT_EQ(tsv_lines[i].rfind(cases[i].tsv + "\t", 0), 0u) << tsv_lines[i];
    EXPECT_NE(table_lines[i + 1].find("  " + cases[i].cell + "  "), std::string::npos)
        << table_lines[i + 1];
    EXPECT_NE(json.out.find(cases[i].json), std::string::npos) << json.out;
  }
}

// Columns line up by what the terminal shows: a wide character takes two
// columns, a combining accent none.
TEST(ListCommandTest, TableAlignsByDisplayWidth) {
  RQX340_POSIX_ONLY("file names made from their bytes");
  TempDir dir;
  const std::string head = Head("S", 0, 0, 0);
  const std::string size = std::to_string(head.size());
  for (const char* name : {"abcdefghi.rqx2", "e\xcc\x81.rqx2", "\xe6\x97\xa5\xe6\x9c\xac.rqx2"}) {
    dir.Write(name, head);
  }
  const ProgramResult table = List({dir.Path().string()});
  EXPECT_EQ(table.exit_code, 0);
  const std::string rest =
      "N/A         S    " + std::string(4 - size.size(), ' ') + size + "  Vib   NO";
  const std::vector<std::string> expected = {
      "Name            Start time  S/N  Size  Mode  Raw",
      "abcdefghi.rqx2  " + rest,
      "e\xcc\x81.rqx2          " + rest,
      "\xe6\x97\xa5\xe6\x9c\xac.rqx2       " + rest,
  };
  EXPECT_EQ(Lines(table.out), expected);
}

TEST(ListCommandTest, ExitCodesAndMessages) {
  TempDir dir;
  const std::string folder = dir.Path().string();
  dir.Write("file.txt", "x");
  fs::create_directories(dir.Path() / "empty");
  fs::create_directories(dir.Path() / "others");
  dir.Write("others/notes.txt", "x");
  dir.Write("others/broken.rqx2", "{");
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int exit_code;
    std::string out;
    std::string err_contains;
  };
  const Case cases[] = {
      {"no folder", {}, 2, "", "missing FOLDER"},
      {"unknown option", {"--csv", folder}, 2, "", "unknown option '--csv'"},
      {"both formats", {"--tsv", "--json", folder}, 2, "", "exclude"},
      {"two folders", {folder, folder}, 2, "", "only one"},
      {"empty folder text", {""}, 2, "", "empty"},
      {"missing folder", {folder + "/missing"}, 1, "", folder + "/missing"},
      {"file for a folder", {folder + "/file.txt"}, 1, "", folder + "/file.txt"},
      {"empty folder", {folder + "/empty"}, 0, "", ""},
      {"empty folder, tsv", {"--tsv", folder + "/empty"}, 0, "", ""},
      {"empty folder, json", {"--json", folder + "/empty"}, 0, "[]\n", ""},
      {"nothing listable", {"--tsv", folder + "/others"}, 0, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ProgramResult result = List(c.args);
    EXPECT_EQ(result.exit_code, c.exit_code);
    EXPECT_EQ(result.out, c.out);
    if (c.err_contains.empty()) {
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_NE(result.err.find(c.err_contains), std::string::npos) << result.err;
    }
    if (c.exit_code == 1) {
      EXPECT_EQ(Lines(result.err).size(), 1u) << result.err;
    }
  }
  const ProgramResult help = List({"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("usage: rqx340 list"), std::string::npos);
  EXPECT_EQ(help.err, "");
}

// Without --all the output is what it always was, byte for byte: other programs
// read it. The golden files were written by the command before --all existed.
TEST(ListCommandTest, WithoutAllTheOutputIsTheGoldenBytes) {
  RQX340_POSIX_ONLY("the zone from TZ");
  const std::string folder = test::DataFile("list/folder").string();
  const struct {
    const char* option;
    const char* golden;
  } cases[] = {
      {nullptr, "list/golden.table"}, {"--tsv", "list/golden.tsv"}, {"--json", "list/golden.json"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.golden);
    std::vector<std::string> args;
    if (c.option != nullptr) args.push_back(c.option);
    args.push_back(folder);
    const ProgramResult result = List(args);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, test::ReadFileBytes(test::DataFile(c.golden)));
  }
}

// --all adds every file the scan left out, with its reason, in name order among
// the listed ones, in each format.
TEST(ListCommandTest, AllAddsTheLeftOutFilesWithTheirReasons) {
  TempDir dir;
  const std::vector<test::LeftOutCase> cases = test::FillLeftOutFolder(dir.Path());
  const std::string folder = dir.Path().string();
  const std::string listed = test::kListedInLeftOutFolder;

  // Every name, sorted, with its reason; the listed file has none.
  std::vector<std::pair<std::string, std::string>> expected;
  for (const auto& c : cases) expected.emplace_back(c.name, c.text);
  expected.emplace_back(listed, "");
  std::sort(expected.begin(), expected.end());

  const ProgramResult tsv = List({"--all", "--tsv", folder});
  EXPECT_EQ(tsv.exit_code, 0);
  EXPECT_EQ(tsv.err, "");
  const std::vector<std::string> tsv_lines = Lines(tsv.out);
  ASSERT_EQ(tsv_lines.size(), expected.size()) << tsv.out;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].first);
    if (expected[i].first == listed) {
      // The record's six fields as without --all, and an empty reason.
      EXPECT_EQ(tsv_lines[i], Lines(List({"--tsv", folder}).out).at(0) + "\t");
    } else {
      EXPECT_EQ(tsv_lines[i], expected[i].first + "\t\t\t\t\t\t" + expected[i].second);
    }
  }

  const ProgramResult table = List({"--all", folder});
  EXPECT_EQ(table.exit_code, 0);
  const std::vector<std::string> table_lines = Lines(table.out);
  ASSERT_EQ(table_lines.size(), expected.size() + 1) << table.out;
  EXPECT_EQ(table_lines[0].substr(table_lines[0].size() - 11), "Raw  Reason");
  const std::size_t reason_column = table_lines[0].size() - 6;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].first);
    const std::string& line = table_lines[i + 1];
    EXPECT_EQ(line.rfind(expected[i].first + " ", 0), 0u) << line;
    if (expected[i].first == listed) {
      EXPECT_EQ(line.substr(line.size() - 3), " NO");  // nothing after the last field
    } else {
      EXPECT_EQ(line.substr(reason_column), expected[i].second);
    }
  }

  const ProgramResult json = List({"--all", "--json", folder});
  EXPECT_EQ(json.exit_code, 0);
  rapidjson::Document doc;
  doc.Parse(json.out.c_str());
  ASSERT_TRUE(doc.IsArray()) << json.out;
  ASSERT_EQ(doc.Size(), expected.size());
  for (rapidjson::SizeType i = 0; i < doc.Size(); ++i) {
    const auto& object = doc[i];
    SCOPED_TRACE(expected[i].first);
    EXPECT_EQ(std::string(object["name"].GetString()), expected[i].first);
    if (expected[i].first == listed) {
      EXPECT_TRUE(object["reason"].IsNull());
      EXPECT_TRUE(object["reasonCode"].IsNull());
      EXPECT_EQ(object["mode"], "HA");
      continue;
    }
    const auto found = std::find_if(cases.begin(), cases.end(), [&](const test::LeftOutCase& c) {
      return c.name == expected[i].first;
    });
    EXPECT_EQ(std::string(object["reason"].GetString()), found->text);
    EXPECT_EQ(std::string(object["reasonCode"].GetString()), found->reason);
    for (const char* key : {"start", "startText", "serial", "size", "mode", "raw"}) {
      EXPECT_TRUE(object[key].IsNull()) << key;
    }
  }

  // Without --all, only the measurement.
  const ProgramResult plain = List({"--tsv", folder});
  EXPECT_EQ(Lines(plain.out).size(), 1u);
  EXPECT_EQ(plain.out.rfind(listed + "\t", 0), 0u);
}

// The host's code page is checked before any command runs: a value that names
// no ANSI code page stops the program; an empty one counts as unset.
TEST(ListCommandTest, TheAnsiCodePageSettingIsCheckedFirst) {
  TempDir dir;
  const struct {
    const char* value;
    int exit_code;
  } cases[] = {{"", 0}, {"1250", 0}, {"932", 0}, {"950", 0}, {"1361", 2}, {"abc", 2}, {"1252x", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    const ProgramResult result = RunProgram("rqx340", {"list", dir.Path().string()},
                                            {std::string("RQX340_ANSI_CODEPAGE=") + c.value});
    EXPECT_EQ(result.exit_code, c.exit_code) << result.err;
    EXPECT_EQ(result.err, c.exit_code == 0
                              ? ""
                              : std::string("rqx340: RQX340_ANSI_CODEPAGE=") + c.value +
                                    " is not an ANSI code page this system knows\n");
  }
}

}  // namespace
}  // namespace rqx340
