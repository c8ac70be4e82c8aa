// rqx340-gen, run as a program: the files it writes are measurements of the
// documented shape, the same for the same seed.
#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::ProgramResult;
using test::ReadFileBytes;
using test::RunProgram;
using test::TempDir;

ProgramResult Gen(std::vector<std::string> args, const fs::path& folder) {
  args.push_back(folder.string());
  return RunProgram("rqx340-gen", args);
}

TEST(GenCommandTest, SameSeedSameFilesOtherSeedOtherFiles) {
  TempDir dir;
  const std::vector<std::string> options = {"--count",       "3",  "--rows",    "20",  "--raw", "1",
                                            "--raw-samples", "50", "--octaves", "both"};
  auto seeded = [&](const char* seed) {
    auto args = options;
    args.insert(args.end(), {"--seed", seed});
    return args;
  };
  ASSERT_EQ(Gen(seeded("9"), dir.Path() / "a").exit_code, 0);
  ASSERT_EQ(Gen(seeded("9"), dir.Path() / "b").exit_code, 0);
  ASSERT_EQ(Gen(seeded("10"), dir.Path() / "c").exit_code, 0);
  for (const char* name : {"M0001.rqx2", "M0002.rqx2", "M0003.rqx2", "M0001.raw"}) {
    SCOPED_TRACE(name);
    const std::string a = ReadFileBytes(dir.Path() / "a" / name);
    ASSERT_FALSE(a.empty());
    EXPECT_EQ(a, ReadFileBytes(dir.Path() / "b" / name));
    EXPECT_NE(a, ReadFileBytes(dir.Path() / "c" / name));
  }
  // More measurements leave the first ones as they were.
  auto more = seeded("9");
  more[1] = "5";
  ASSERT_EQ(Gen(more, dir.Path() / "d").exit_code, 0);
  EXPECT_EQ(ReadFileBytes(dir.Path() / "a" / "M0002.rqx2"),
            ReadFileBytes(dir.Path() / "d" / "M0002.rqx2"));
}

TEST(GenCommandTest, WritesTheDocumentedLayout) {
  struct Case {
    const char* octaves;
    int full_start;  // -1: no 1/1-octave bands
    int third_start;
    rapidjson::SizeType row_size;
  };
  // 19 broadband columns, then 9 bands of 6 values, then 24 bands of 6 values.
  const Case cases[] = {
      {"none", -1, -1, 19},
      {"full", 19, -1, 19 + 54},
      {"third", -1, 19, 19 + 144},
      {"both", 19, 73, 19 + 54 + 144},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.octaves);
    TempDir dir;
    ASSERT_EQ(
        Gen({"--count", "4", "--rows", "7", "--octaves", c.octaves, "--prefix", "T"}, dir.Path())
            .exit_code,
        0);
    for (int i = 1; i <= 4; ++i) {
      const std::string name = "T000" + std::to_string(i) + ".rqx2";
      SCOPED_TRACE(name);
      rapidjson::Document doc;
      doc.Parse(ReadFileBytes(dir.Path() / name).c_str());
      ASSERT_TRUE(doc.IsObject());
      // The four keys of the folder scan come first.
      ASSERT_STREQ(doc.MemberBegin()->name.GetString(), "Header");
      ASSERT_TRUE(doc["Header"]["SerialNum"].IsString());
      ASSERT_TRUE(doc["Header"]["StartDateTime"].IsInt64());

      const auto& settings = doc["MeasurementProperties"]["MeasProperties"];
      const int mode = settings["TAG_OPERATING_MODE_20"].GetInt();
      EXPECT_GE(mode, 0);
      EXPECT_LE(mode, 2);
      for (const char* key : {"TAG_STORE_RAW_53", "TAG_WEIGHTING_X_37", "TAG_WEIGHTING_Y_38",
                              "TAG_WEIGHTING_Z_39", "TAG_DB_REFERENCE_51"}) {
        EXPECT_TRUE(settings[key].IsInt()) << key;
      }
      for (const char* key :
           {"TAG_GAIN_X_22", "TAG_GAIN_Y_23", "TAG_GAIN_Z_24", "TAG_SUM_FACTOR_KX_34",
            "TAG_SUM_FACTOR_KY_35", "TAG_SUM_FACTOR_KZ_36", "TAG_SENSITIVITY_X_46",
            "TAG_SENSITIVITY_Y_47", "TAG_SENSITIVITY_Z_48", "TAG_EXPOSURELIMIT_65",
            "TAG_EXPOSUREACTION_66"}) {
        EXPECT_TRUE(settings[key].IsDouble()) << key;
      }
      for (const char* key :
           {"TAG_REPORT_HEADER_0_6", "TAG_REPORT_HEADER_1_7", "TAG_REPORT_HEADER_2_8"}) {
        EXPECT_TRUE(settings[key].IsString()) << key;
      }
      if (mode == 2) {  // whole-body: Wd, Wd, Wk and sum factors 1.4, 1.4, 1.0
        EXPECT_EQ(settings["TAG_WEIGHTING_X_37"].GetInt(), 8);
        EXPECT_EQ(settings["TAG_WEIGHTING_Z_39"].GetInt(), 12);
        EXPECT_EQ(settings["TAG_SUM_FACTOR_KX_34"].GetDouble(), 1.4);
        EXPECT_EQ(settings["TAG_SUM_FACTOR_KZ_36"].GetDouble(), 1.0);
      }
      EXPECT_EQ(settings["TAG_FULL_OCTAVE_54"].GetInt(), c.full_start >= 0 ? 1 : 0);
      EXPECT_EQ(settings["TAG_THIRD_OCTAVE_55"].GetInt(), c.third_start >= 0 ? 1 : 0);

      ASSERT_TRUE(doc["Notes"].IsArray());
      for (const auto& note : doc["Notes"].GetArray()) {
        ASSERT_TRUE(note.IsObject());
        const std::string time = note.MemberBegin()->name.GetString();
        EXPECT_EQ(time.back(), 's');
        EXPECT_EQ(time.find_first_not_of("0123456789"), time.size() - 1);
        EXPECT_TRUE(note.MemberBegin()->value.IsString());
      }

      const auto& summary = doc["Summary"];
      EXPECT_TRUE(summary["Duration"].IsInt());
      EXPECT_EQ(summary["Duration"].GetInt(), 7);
      for (const char* key : {"AeqX", "AeqY", "AeqZ", "PeakX", "VDVZ"}) {
        EXPECT_TRUE(summary[key].IsDouble()) << key;
      }

      const auto& columns = doc["TimeHistoryColumns"];
      int index = 0;
      for (const char* axis : {"_x", "_y", "_z"}) {
        for (const char* quantity : {"rms", "peak", "vdv", "min", "max"}) {
          EXPECT_EQ(columns[(std::string(quantity) + axis).c_str()].GetInt(), index++);
        }
      }
      for (const char* quantity : {"rms_sum", "peak_sum", "min_sum", "max_sum"}) {
        EXPECT_EQ(columns[quantity].GetInt(), index++);
      }
      EXPECT_EQ(columns.HasMember("OBA1_1_Start"), c.full_start >= 0);
      if (c.full_start >= 0) {
        EXPECT_EQ(columns["OBA1_1_Start"].GetInt(), c.full_start);
        EXPECT_EQ(columns["OBA1_1_Count"].GetInt(), 9);
      }
      EXPECT_EQ(columns.HasMember("OBA1_3_Start"), c.third_start >= 0);
      if (c.third_start >= 0) {
        EXPECT_EQ(columns["OBA1_3_Start"].GetInt(), c.third_start);
        EXPECT_EQ(columns["OBA1_3_Count"].GetInt(), 24);
      }

      const auto& rows = doc["TimeHistory"];
      ASSERT_EQ(rows.Size(), 7u);
      for (const auto& row : rows.GetArray()) {
        ASSERT_EQ(row.Size(), c.row_size);
        EXPECT_GT(row[0].GetDouble(), 0.0);                   // rms_x
        EXPECT_GE(row[1].GetDouble(), row[0].GetDouble());    // peak_x >= rms_x
        EXPECT_LT(row[3].GetDouble(), 0.0);                   // min_x
        EXPECT_GE(row[16].GetDouble(), row[15].GetDouble());  // peak_sum >= rms_sum
      }
    }
  }
}

TEST(GenCommandTest, ColumnsLastMovesOnlyTheColumnsAfterTheRows) {
  TempDir dir;
  const std::vector<std::string> options = {"--count", "1", "--rows", "5", "--octaves", "both"};
  auto last = options;
  last.insert(last.end(), {"--columns", "last"});
  ASSERT_EQ(Gen(options, dir.Path() / "first").exit_code, 0);
  ASSERT_EQ(Gen(last, dir.Path() / "last").exit_code, 0);
  const std::string first_text = ReadFileBytes(dir.Path() / "first" / "M0001.rqx2");
  const std::string last_text = ReadFileBytes(dir.Path() / "last" / "M0001.rqx2");
  EXPECT_LT(first_text.find("\"TimeHistoryColumns\""), first_text.find("\"TimeHistory\""));
  EXPECT_GT(last_text.find("\"TimeHistoryColumns\""), last_text.find("\"TimeHistory\""));
  rapidjson::Document a;
  rapidjson::Document b;
  a.Parse(first_text.c_str());
  b.Parse(last_text.c_str());
  ASSERT_TRUE(a.IsObject());
  EXPECT_TRUE(a == b);
}

// Japanese texts change the report-header lines and the note texts, nothing else.
TEST(GenCommandTest, JapaneseTextsChangeOnlyTheTexts) {
  TempDir dir;
  const std::vector<std::string> options = {"--count", "4", "--rows", "30", "--seed", "5"};
  auto japanese = options;
  japanese.insert(japanese.end(), {"--texts", "japanese"});
  ASSERT_EQ(Gen(options, dir.Path() / "western").exit_code, 0);
  ASSERT_EQ(Gen(japanese, dir.Path() / "japanese").exit_code, 0);
  int notes = 0;
  for (const char* name : {"M0001.rqx2", "M0002.rqx2", "M0003.rqx2", "M0004.rqx2"}) {
    SCOPED_TRACE(name);
    rapidjson::Document western_doc;
    rapidjson::Document japanese_doc;
    western_doc.Parse(ReadFileBytes(dir.Path() / "western" / name).c_str());
    japanese_doc.Parse(ReadFileBytes(dir.Path() / "japanese" / name).c_str());
    ASSERT_TRUE(western_doc.IsObject() && japanese_doc.IsObject());
    auto& props = japanese_doc["MeasurementProperties"]["MeasProperties"];
    for (const char* key :
         {"TAG_REPORT_HEADER_0_6", "TAG_REPORT_HEADER_1_7", "TAG_REPORT_HEADER_2_8"}) {
      // Three-byte UTF-8 sequences: kana and kanji.
      EXPECT_EQ(static_cast<unsigned char>(props[key].GetString()[0]) & 0xF0, 0xE0) << key;
      props[key].CopyFrom(western_doc["MeasurementProperties"]["MeasProperties"][key],
                          japanese_doc.GetAllocator());
    }
    auto& japanese_notes = japanese_doc["Notes"];
    for (rapidjson::SizeType i = 0; i < japanese_notes.Size(); ++i) {
      ++notes;
      japanese_notes[i].MemberBegin()->value.CopyFrom(western_doc["Notes"][i].MemberBegin()->value,
                                                      japanese_doc.GetAllocator());
    }
    EXPECT_TRUE(western_doc == japanese_doc);
  }
  EXPECT_GT(notes, 0);
}

TEST(GenCommandTest, RawFilesBesideOrInTheSiblingFolder) {
  TempDir dir;
  ASSERT_EQ(Gen({"--count", "4", "--rows", "1", "--raw", "2", "--raw-missing", "1", "--raw-samples",
                 "10"},
                dir.Path() / "beside")
                .exit_code,
            0);
  EXPECT_EQ(fs::file_size(dir.Path() / "beside" / "M0001.raw"), 120u);
  EXPECT_EQ(fs::file_size(dir.Path() / "beside" / "M0002.raw"), 120u);
  EXPECT_FALSE(fs::exists(dir.Path() / "beside" / "M0003.raw"));
  for (const auto& [name, flag] : std::vector<std::pair<const char*, int>>{
           {"M0001.rqx2", 1}, {"M0002.rqx2", 1}, {"M0003.rqx2", 1}, {"M0004.rqx2", 0}}) {
    rapidjson::Document doc;
    doc.Parse(ReadFileBytes(dir.Path() / "beside" / name).c_str());
    EXPECT_EQ(doc["MeasurementProperties"]["MeasProperties"]["TAG_STORE_RAW_53"].GetInt(), flag)
        << name;
  }
  // Samples are little-endian float32 triples of plausible size.
  const std::string raw = ReadFileBytes(dir.Path() / "beside" / "M0001.raw");
  for (std::size_t offset = 0; offset < raw.size(); offset += 4) {
    const auto byte = [&](std::size_t i) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(raw[offset + i]));
    };
    const std::uint32_t bits = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    EXPECT_LT(std::abs(value), 100.0f);
  }

  const ProgramResult sibling =
      Gen({"--count", "2", "--raw", "2", "--raw-samples", "3", "--raw-dir", "raw"},
          dir.Path() / "day1");
  ASSERT_EQ(sibling.exit_code, 0) << sibling.err;
  EXPECT_EQ(sibling.err, "");
  EXPECT_EQ(fs::file_size(dir.Path() / "raw" / "M0002.raw"), 36u);
  EXPECT_FALSE(fs::exists(dir.Path() / "day1" / "M0002.raw"));

  // A folder name that occurs again in the path: the scan would look elsewhere.
  const ProgramResult warned =
      Gen({"--count", "1", "--raw", "1", "--raw-dir", "raw", "--prefix", "M"}, dir.Path() / "M");
  EXPECT_EQ(warned.exit_code, 0);
  EXPECT_NE(warned.err.find("warning"), std::string::npos);
}

TEST(GenCommandTest, UsageErrors) {
  TempDir dir;
  const std::string folder = dir.Path().string();
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"--count"},
      {"--count", "x", folder},
      {"--count", "-1", folder},
      {"--octaves", "half", folder},
      {"--raw-dir", "elsewhere", folder},
      {"--texts", "french", folder},
      {"--count", "2", "--raw", "2", "--raw-missing", "1", folder},
      {"--bogus", "1", folder},
      {folder, folder},
  };
  for (const auto& args : cases) {
    const ProgramResult result = RunProgram("rqx340-gen", args);
    EXPECT_EQ(result.exit_code, 2) << ::testing::PrintToString(args);
    EXPECT_NE(result.err.find("usage: rqx340-gen"), std::string::npos);
  }
  const ProgramResult help = RunProgram("rqx340-gen", {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--octaves"), std::string::npos);
  // A folder that cannot be made.
  dir.Write("file", "x");
  const ProgramResult blocked = RunProgram("rqx340-gen", {folder + "/file/sub"});
  EXPECT_EQ(blocked.exit_code, 1);
  EXPECT_NE(blocked.err.find(folder + "/file/sub"), std::string::npos);
}

}  // namespace
}  // namespace rqx340
