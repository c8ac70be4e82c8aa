#include "app/language_table.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "platform/path_text.h"
#include "support/fixed_environment.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::TempDir;

// Every string id the program shows.
std::set<int> UsedIds() {
  std::set<int> ids = {2, 129, 202, 203, 204, 207, 220, 1002, 1004, 1005, 1110, 1111};
  for (int id = 208; id <= 213; ++id) ids.insert(id);
  for (int id = 550; id <= 563; ++id) ids.insert(id);
  return ids;
}

TEST(LanguageTableTest, TableFilesAreTheLibrariesWithLangForDll) {
  EXPECT_EQ(TableFileName("ZULRQX340_GER.DLL"), "ZULRQX340_GER.lang");
  EXPECT_EQ(TableFileName("ZULR.DLL"), "ZULR.lang");
  EXPECT_EQ(TableFileName("zulr.dll"), "zulr.lang");
  EXPECT_EQ(TableFileName("ZULRQX340"), "ZULRQX340.lang");
  EXPECT_EQ(TableFileName(kLanguageLibraries[1]), "ZULRQX340_ITA.lang");
}

TEST(LanguageTableTest, LinesAreIdTabTextAndTheRestIsSkipped) {
  const std::string text =
      "\xEF\xBB\xBF"
      "129\tRQX340 Import DE\r\n"
      "# a comment\n"
      "\n"
      "1004\tOrdner:\n"
      "1004\tsecond one of an id is not used\n"
      "1110\t\n"
      "x12\tnot an id\n"
      "-5\tnegative\n"
      "12 \tblank after the id\n"
      "204\tmit %1 und\ttab\n"
      "550\tbroken \xFF utf-8\n"
      "1111\tlast line without a newline";
  const LanguageTable table = LanguageTable::Parse(text, &EnglishStrings());
  EXPECT_EQ(table.Find(129), "RQX340 Import DE");
  EXPECT_EQ(table.Find(1004), "Ordner:");
  EXPECT_EQ(table.Find(1110), std::nullopt);
  EXPECT_EQ(table.Find(12), std::nullopt);
  EXPECT_EQ(table.Find(-5), std::nullopt);
  EXPECT_EQ(table.Find(204), "mit %1 und\ttab");
  EXPECT_EQ(table.Find(550), "broken \xEF\xBF\xBD utf-8");
  EXPECT_EQ(table.Find(1111), "last line without a newline");
  // Per string, what the table lacks comes from English.
  EXPECT_EQ(table.Load(1110), "&Browse...");
  EXPECT_EQ(table.Load(207), EnglishStrings().Load(207));
  EXPECT_EQ(table.Load(99999), "");
  EXPECT_EQ(LanguageTable::Parse(text, nullptr).Load(1110), "");
}

TEST(LanguageTableTest, FoldersAreTheDataDirTheExecutablesFolderThenShare) {
  // A folder without its separator gets the system's.
  const std::string separator(1, PreferredSeparator());
  EXPECT_EQ(DataFolders(test::FixedEnvironment({{"RQX340_DATA_DIR", "/data"}}), "/opt/bin/"),
            (std::vector<std::string>{"/data" + separator, "/opt/bin/",
                                      "/opt/bin/../share/rqx340-import/",
                                      "/opt/bin/../../share/rqx340-import/"}));
  EXPECT_EQ(DataFolders(test::FixedEnvironment({{"RQX340_DATA_DIR", ""}}), "/opt/bin"),
            (std::vector<std::string>{"/opt/bin" + separator,
                                      "/opt/bin" + separator + "../share/rqx340-import/",
                                      "/opt/bin" + separator + "../../share/rqx340-import/"}));
  EXPECT_EQ(DataFolders(test::FixedEnvironment({}), std::nullopt), std::vector<std::string>{});
}

TEST(LanguageTableTest, TheFirstFolderWithAReadableTableWins) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "data");
  std::filesystem::create_directories(dir.Path() / "bin");
  std::filesystem::create_directories(dir.Path() / "share/rqx340-import");
  std::filesystem::create_directories(dir.Path() / "data/T.lang");  // a folder is no table
  dir.Write("bin/T.lang", "1\tfrom bin\n");
  dir.Write("share/rqx340-import/T.lang", "1\tfrom share\n");
  dir.Write("share/rqx340-import/S.lang", "1\tonly in share\n");
  const auto folders =
      DataFolders(test::FixedEnvironment({{"RQX340_DATA_DIR", (dir.Path() / "data").string()}}),
                  (dir.Path() / "bin").string() + "/");
  const auto t = LanguageTable::Open("T.lang", folders, nullptr);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->Load(1), "from bin");
  EXPECT_EQ(t->Path(), (dir.Path() / "bin/T.lang").string());
  const auto s = LanguageTable::Open("S.lang", folders, nullptr);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Load(1), "only in share");
  EXPECT_FALSE(LanguageTable::Open("missing.lang", folders, nullptr));
}

TEST(LanguageTableTest, AtLinesMoveControlsOfTheDialog) {
  const std::string text =
      "@1002\t130,183,122,14\n"
      "@1111\t-3,0,0,10\r\n"
      "@1002\t1,1,1,1\n"  // the first counts
      "@2\t1,2,3\n"
      "@1110\t1,2,3,4,5\n"
      "@1004\t1, 2,3,4\n"
      "@1005\t1,2,3,x\n"
      "@\t1,2,3,4\n"
      "@font\t9,MS UI Gothic\n"
      "@-4\t1,2,3,4\n"
      "1002\t&Ausgew\xC3\xA4hlte importieren...\n";
  const LanguageTable table = LanguageTable::Parse(text, nullptr);
  EXPECT_EQ(table.FindPosition(1002), (ControlPosition{130, 183, 122, 14}));
  EXPECT_EQ(table.FindPosition(1111), (ControlPosition{-3, 0, 0, 10}));
  for (const int id : {2, 1110, 1004, 1005, -4, 0}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(table.FindPosition(id), std::nullopt);
  }
  // A position is not a string, and a string no position.
  EXPECT_EQ(table.Find(1111), std::nullopt);
  EXPECT_EQ(table.Find(1002), "&Ausgew\xC3\xA4hlte importieren...");
}

// The Debian package keeps the dialog program in usr/lib/rqx340-import/ and its
// tables in usr/share/rqx340-import/.
TEST(LanguageTableTest, AProgramInLibFindsTheTablesInShare) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "usr/lib/rqx340-import");
  std::filesystem::create_directories(dir.Path() / "usr/share/rqx340-import");
  dir.Write("usr/share/rqx340-import/T.lang", "1\tinstalled\n");
  const auto t = LanguageTable::Open(
      "T.lang",
      DataFolders(test::FixedEnvironment({}), (dir.Path() / "usr/lib/rqx340-import").string()),
      nullptr);
  ASSERT_TRUE(t);
  EXPECT_EQ(t->Load(1), "installed");
}

// The translations are kept in the table format under res/lang.
TEST(LanguageTableTest, EnglishAndTheShippedGermanTableCoverEveryIdShown) {
  const auto german =
      LanguageTable::Open("de.txt", {std::string(RQX340_SOURCE_DIR) + "/res/lang/"}, nullptr);
  ASSERT_TRUE(german);
  for (const int id : UsedIds()) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(EnglishStrings().Load(id).empty());
    const auto text = german->Find(id);
    ASSERT_TRUE(text);
    // Placeholders survive the translation.
    EXPECT_EQ(text->find("%1") != std::string::npos,
              EnglishStrings().Load(id).find("%1") != std::string::npos);
  }
  EXPECT_EQ(german->Find(1004), "Ordner:");
}

}  // namespace
}  // namespace rqx340
