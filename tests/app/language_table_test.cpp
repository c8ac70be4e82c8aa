#include "app/language_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "platform/path_text.h"
#include "support/fixed_environment.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::TempDir;

// Every string id the program shows (the dialog's, the preview's and the
// message boxes'): the ids of English, the program's own language.
std::set<int> UsedIds() {
  std::ifstream english(std::string(RQX340_SOURCE_DIR) + "/res/lang/en.txt");
  std::set<int> ids;
  std::string line;
  while (std::getline(english, line)) {
    if (!line.empty() && line[0] >= '0' && line[0] <= '9') ids.insert(std::stoi(line));
  }
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

// The translations shipped, by the code of their source under res/lang/.
struct ShippedLanguage {
  const char* code;
  const char* source;  // under the source tree
};
constexpr ShippedLanguage kShipped[] = {{"it", "res/lang/it.txt"},
                                        {"fr", "res/lang/fr.txt"},
                                        {"de", "res/lang/de.txt"},
                                        {"ja", "res/lang/ja.txt"},
                                        {"es", "res/lang/es.txt"}};

std::optional<LanguageTable> OpenShipped(const ShippedLanguage& language) {
  const std::filesystem::path source = std::filesystem::path(RQX340_SOURCE_DIR) / language.source;
  return LanguageTable::Open(source.filename().string(), {source.parent_path().string() + "/"},
                             nullptr);
}

// The "%1" to "%9" of `text`, in order.
std::vector<char> Arguments(std::string_view text) {
  std::vector<char> numbers;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') numbers.push_back(text[++i]);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

// The "&" of a text: how many mark a letter ("&&" is a plain "&"), and the
// first one's letter in upper case (ASCII) or as its UTF-8 bytes.
struct Shortcut {
  int count = 0;
  std::string letter;
  std::size_t at = 0;  // where the "&" stands
};
Shortcut ShortcutOf(std::string_view text) {
  Shortcut shortcut;
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    if (++shortcut.count > 1) continue;
    shortcut.at = i;
    std::size_t length = 1;
    while (i + 1 + length < text.size() && (text[i + 1 + length] & 0xC0) == 0x80) ++length;
    shortcut.letter = std::string(text.substr(i + 1, length));
    if (length == 1) shortcut.letter[0] = static_cast<char>(std::toupper(shortcut.letter[0]));
  }
  return shortcut;
}

// The texts with a keyboard shortcut, per window: dialog 129's controls, and
// the preview's label, buttons and Close.
const std::vector<std::vector<int>> kShortcutWindows = {{1004, 1110, 1002, 1111, 2},
                                                        {322, 324, 325, 2}};

class ShippedTranslationTest : public ::testing::TestWithParam<ShippedLanguage> {};

TEST_P(ShippedTranslationTest, CoversEveryIdShownWithItsArgumentsAndShortcut) {
  const auto table = OpenShipped(GetParam());
  ASSERT_TRUE(table);
  ASSERT_GT(UsedIds().size(), 70u);
  for (const int id : UsedIds()) {
    SCOPED_TRACE(id);
    const std::string english = EnglishStrings().Load(id);
    ASSERT_FALSE(english.empty());
    const auto text = table->Find(id);
    ASSERT_TRUE(text);
    EXPECT_EQ(Arguments(*text), Arguments(english));
    EXPECT_EQ(ShortcutOf(*text).count, ShortcutOf(english).count);
    EXPECT_FALSE(text->front() == ' ' || text->back() == ' ') << "a blank at either end";
  }
}

// A shortcut marks a letter of the word it belongs to; Japanese puts the
// English letter in parentheses after the text, as Windows does. No two
// controls of one window share a letter.
TEST_P(ShippedTranslationTest, ShortcutsAreLettersOfTheTextAndOnePerControlOfAWindow) {
  const auto table = OpenShipped(GetParam());
  ASSERT_TRUE(table);
  const bool japanese = std::string_view(GetParam().code) == "ja";
  for (const std::vector<int>& window : kShortcutWindows) {
    std::map<std::string, int> taken;
    for (const int id : window) {
      SCOPED_TRACE(id);
      const std::string text = table->Find(id).value_or("");
      const Shortcut shortcut = ShortcutOf(text);
      if (shortcut.count == 0) continue;
      EXPECT_EQ(shortcut.count, 1);
      const bool parenthesised = shortcut.at > 0 && text[shortcut.at - 1] == '(' &&
                                 text.compare(shortcut.at + 2, 1, ")") == 0;
      if (japanese) {
        EXPECT_TRUE(parenthesised) << text;
        EXPECT_EQ(shortcut.letter, ShortcutOf(EnglishStrings().Load(id)).letter) << text;
      } else {
        EXPECT_FALSE(parenthesised) << text;
        EXPECT_TRUE(shortcut.letter.size() > 1 || std::isalpha(shortcut.letter[0])) << text;
      }
      const auto [other, inserted] = taken.emplace(shortcut.letter, id);
      EXPECT_TRUE(inserted) << "Alt+" << shortcut.letter << " also on " << other->second;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedTranslationTest, ::testing::ValuesIn(kShipped),
                         [](const auto& info) { return std::string(info.param.code); });

TEST(LanguageTableTest, EnglishShortcutsAreOnePerControlOfAWindow) {
  for (const std::vector<int>& window : kShortcutWindows) {
    std::set<std::string> taken;
    for (const int id : window) {
      const Shortcut shortcut = ShortcutOf(EnglishStrings().Load(id));
      if (shortcut.count > 0) EXPECT_TRUE(taken.insert(shortcut.letter).second) << id;
    }
  }
}

TEST(LanguageTableTest, TheShippedGermanTableIsGerman) {
  const auto german = OpenShipped(kShipped[2]);
  ASSERT_TRUE(german);
  EXPECT_EQ(german->Find(1004), "Ordner:");
}

}  // namespace
}  // namespace rqx340
