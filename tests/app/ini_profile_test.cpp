#include "app/ini_profile.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::ReadFileBytes;
using test::TempDir;

TEST(IniProfileTest, ValuesSurviveTheRunInAnIniFileWhoseFoldersAreMadeOnFlush) {
  TempDir dir;
  const auto path = dir.Path() / "config/Corvantis/Suite.ini";
  {
    IniProfile profile(path.string());
    profile.WriteProfileInt("RQX340Import", "Width", 812);
    profile.WriteProfileString("RQX340Import", "LastFolder", "/data/Meß, und \"mehr\"");
    profile.WriteProfileInt("MeasList", "SortOrder", -1);
    EXPECT_FALSE(std::filesystem::exists(path));
    profile.Flush();
  }
  const std::string text = ReadFileBytes(path);
  EXPECT_NE(text.find("[RQX340Import]"), std::string::npos) << text;
  EXPECT_NE(text.find("Width=812"), std::string::npos) << text;
  EXPECT_NE(text.find("[MeasList]"), std::string::npos) << text;

  IniProfile next_run(path.string());
  EXPECT_EQ(next_run.GetProfileInt("RQX340Import", "Width", 1), 812);
  EXPECT_EQ(next_run.GetProfileString("RQX340Import", "LastFolder"), "/data/Meß, und \"mehr\"");
  EXPECT_EQ(next_run.GetProfileInt("MeasList", "SortOrder", 1), -1);
  EXPECT_EQ(next_run.GetProfileInt("MeasList", "Missing", 7), 7);
  EXPECT_EQ(next_run.ReadValue("Nowhere", "Width"), std::nullopt);
}

TEST(IniProfileTest, NamesAreFoundWithoutLetterCaseAndKeepTheirFirstSpelling) {
  TempDir dir;
  const auto path = dir.Path() / "settings.ini";
  test::WriteFileBytes(path, "[RQX340Import]\nWidth=640\nLastFolder=/a\n");
  IniProfile profile(path.string());
  EXPECT_EQ(profile.GetProfileInt("rqx340import", "WIDTH", 1), 640);
  profile.WriteProfileInt("RQX340IMPORT", "width", 700);
  profile.WriteProfileString("rqx340import", "lastfolder", std::nullopt);
  profile.WriteProfileInt("rqx340import", "Height", 480);
  profile.Flush();
  const std::string text = ReadFileBytes(path);
  EXPECT_NE(text.find("[RQX340Import]"), std::string::npos) << text;
  EXPECT_NE(text.find("Width=700"), std::string::npos) << text;
  EXPECT_NE(text.find("Height=480"), std::string::npos) << text;
  EXPECT_EQ(text.find("LastFolder"), std::string::npos) << text;
  EXPECT_EQ(text.find("rqx340import"), std::string::npos) << text;
  EXPECT_EQ(text.find("width"), std::string::npos) << text;
}

TEST(IniProfileTest, HandEditedValuesReadAsWellAsTheyCan) {
  TempDir dir;
  const auto path = dir.Path() / "settings.ini";
  test::WriteFileBytes(path,
                       "[RQX340Import]\nWidth=wide\nHeight= 480 \nLastFolder=/a, b\nRaw=1.5\n");
  IniProfile profile(path.string());
  EXPECT_EQ(profile.GetProfileInt("RQX340Import", "Width", 640), 640);
  EXPECT_EQ(profile.GetProfileInt("RQX340Import", "Height", 300), 480);
  EXPECT_EQ(profile.GetProfileInt("RQX340Import", "Raw", 1), 1);
  // An unquoted comma makes QSettings read a list; it is one folder.
  EXPECT_EQ(profile.GetProfileString("RQX340Import", "LastFolder"), "/a, b");
}

// A folder name that is not UTF-8 keeps its bytes from the file, through the
// program and back: it was read with U+FFFD (naming no folder) and written
// back so, corrupting the stored path.
TEST(IniProfileTest, ValuesThatAreNotUtf8KeepTheirBytes) {
  TempDir dir;
  const auto path = dir.Path() / "settings.ini";
  test::WriteFileBytes(path,
                       "[RQX340Import]\nLastFolder=/data/\xff"
                       "dir\nUsedFolder0=\"/q/\xfe x\"\n"
                       "UsedFolder1=/ok/\xEF\xBF\xBD\nUsedFolder2=/e/\\xffdir\n");
  {
    IniProfile profile(path.string());
    EXPECT_EQ(profile.GetProfileString("RQX340Import", "LastFolder"),
              "/data/\xff"
              "dir");
    EXPECT_EQ(profile.GetProfileString("rqx340import", "usedfolder0"), "/q/\xfe x");
    // A real U+FFFD and an escape QSettings reads are what QSettings says.
    EXPECT_EQ(profile.GetProfileString("RQX340Import", "UsedFolder1"), "/ok/\xEF\xBF\xBD");
    EXPECT_EQ(profile.GetProfileString("RQX340Import", "UsedFolder2"), "/e/\xE0\xBF\xBDir");
    profile.WriteProfileString("RQX340Import", "LastFolder",
                               "/data/\xff"
                               "dir");
    profile.WriteProfileString("RQX340Import", "UsedFolder3", std::string("/n/\xc3(\x80", 6));
    profile.Flush();
  }
  EXPECT_EQ(ReadFileBytes(path).find("/data/\xEF\xBF\xBD"), std::string::npos)
      << ReadFileBytes(path);
  IniProfile next_run(path.string());
  EXPECT_EQ(next_run.GetProfileString("RQX340Import", "LastFolder"),
            "/data/\xff"
            "dir");
  EXPECT_EQ(next_run.GetProfileString("RQX340Import", "UsedFolder0"), "/q/\xfe x");
  EXPECT_EQ(next_run.GetProfileString("RQX340Import", "UsedFolder3"),
            std::string("/n/\xc3(\x80", 6));
}

TEST(IniProfileTest, AFlushWithoutChangesLeavesTheFileAlone) {
  TempDir dir;
  const auto path = dir.Path() / "settings.ini";
  IniProfile profile(path.string());
  EXPECT_EQ(profile.GetProfileInt("RQX340Import", "Width", 5), 5);
  profile.Flush();
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace rqx340
