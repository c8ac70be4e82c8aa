// The dialog's settings object over the cache: what it reads once, and what it
// leaves the cache to write at exit.
#include "app/dialog_settings.h"

#include <gtest/gtest.h>

#include <map>

#include "support/memory_profile.h"

namespace rqx340 {
namespace {

using test::MemoryProfile;
using Write = MemoryProfile::Write;

class DialogSettingsTest : public ::testing::Test {
 protected:
  MemoryProfile profile;
  CQWProfileSectionList cache{[this]() -> Profile& { return profile; }};
};

TEST_F(DialogSettingsTest, EverySettingIsReadOnceWithItsDefault) {
  struct Case {
    const char* name;
    std::map<std::pair<std::string, std::string>, std::string> stored;
    std::int32_t raw;
    std::string last_folder;
    std::vector<std::string> history;  // the non-empty head
    std::int32_t width, height, sort_column, sort_order;
    std::string hours;
  };
  const Case cases[] = {
      {"nothing stored", {}, 1, "", {}, 0, 0, 0, 0, ""},
      {"everything stored",
       {{{"RQX340Import", "Raw"}, "0"},
        {{"RQX340Import", "LastFolder"}, "/m/D"},
        {{"RQX340Import", "UsedFolder0"}, "/m/A"},
        {{"RQX340Import", "UsedFolder1"}, "/m/B"},
        {{"RQX340Import", "Width"}, "800"},
        {{"RQX340Import", "Height"}, "450"},
        {{"RQX340Import", "ExposureHours"}, "2.5"},
        {{"MeasList", "SortColumn"}, "3"},
        {{"MeasList", "SortOrder"}, "1"}},
       0,
       "/m/D",
       {"/m/A", "/m/B"},
       800,
       450,
       3,
       1,
       "2.5"},
      {"the history stops at its first empty entry",
       {{{"RQX340Import", "UsedFolder0"}, "/m/A"}, {{"RQX340Import", "UsedFolder2"}, "/m/C"}},
       1,
       "",
       {"/m/A"},
       0,
       0,
       0,
       0,
       ""},
      {"names in other letter case, numbers as stored",
       {{{"rqx340import", "WIDTH"}, "-7"},
        {{"measlist", "sortcolumn"}, "9"},
        {{"RQX340Import", "Height"}, "tall"}},
       1,
       "",
       {},
       -7,
       0,
       9,
       0,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    profile = MemoryProfile();
    profile.values = c.stored;
    CQWProfileSectionList fresh([this]() -> Profile& { return profile; });
    const DialogSettings settings(fresh);
    EXPECT_EQ(settings.ImportRaw(), c.raw);
    EXPECT_EQ(settings.LastFolder(), c.last_folder);
    std::vector<std::string> history = c.history;
    history.resize(kFolderHistorySize);
    EXPECT_EQ(settings.FolderHistory(), history);
    EXPECT_EQ(settings.Width(), c.width);
    EXPECT_EQ(settings.Height(), c.height);
    EXPECT_EQ(settings.SortColumn(), c.sort_column);
    EXPECT_EQ(settings.SortOrder(), c.sort_order);
    EXPECT_EQ(settings.ExposureHours(), c.hours);
    const int reads = profile.reads;
    fresh.FlushProfileCache();
    EXPECT_EQ(profile.reads, reads);
    EXPECT_TRUE(profile.writes.empty());  // only read: nothing goes back
  }
}

TEST_F(DialogSettingsTest, ChangesGoIntoTheCacheAtOnceAndToTheProfileOnlyAtTheFlush) {
  profile.values[{"RQX340Import", "UsedFolder0"}] = "/m/A";
  profile.values[{"RQX340Import", "UsedFolder1"}] = "/m/B";
  DialogSettings settings(cache);
  settings.SetSize(700, 400);
  settings.SetSize(720, 410);
  settings.SetSort(4, 1);
  settings.SetFolders("/m/B", {"/m/B", "/m/A"});
  settings.SetExposureHours("6");
  settings.SetImportRaw(0);
  EXPECT_EQ(settings.Width(), 720);
  EXPECT_EQ(settings.FolderHistory()[0], "/m/B");
  EXPECT_EQ(settings.FolderHistory()[2], "");
  // The cache holds the new values; the profile waits.
  EXPECT_EQ(cache.CachedGetProfileInt("RQX340Import", "Width", -1), 720);
  EXPECT_EQ(cache.CachedGetProfileInt("MeasList", "SortColumn", -1), 4);
  EXPECT_EQ(cache.CachedGetProfileString("RQX340Import", "UsedFolder1"), "/m/A");
  EXPECT_TRUE(profile.writes.empty());

  cache.FlushProfileCache();
  // In the order the entries were first used; empty history entries are removed.
  std::vector<Write> expected = {
      {"RQX340Import", "Raw", "0"},
      {"RQX340Import", "LastFolder", "/m/B"},
      {"RQX340Import", "UsedFolder0", "/m/B"},
      {"RQX340Import", "UsedFolder1", "/m/A"},
      {"RQX340Import", "UsedFolder2", std::nullopt},
      {"RQX340Import", "Width", "720"},
      {"RQX340Import", "Height", "410"},
      {"RQX340Import", "ExposureHours", "6"},
  };
  for (int i = 3; i < kFolderHistorySize; ++i) {
    expected.push_back({"RQX340Import", "UsedFolder" + std::to_string(i), std::nullopt});
  }
  expected.push_back({"MeasList", "SortColumn", "4"});
  expected.push_back({"MeasList", "SortOrder", "1"});
  EXPECT_EQ(profile.writes, expected);
}

TEST_F(DialogSettingsTest, AHistoryOfMoreThanTenKeepsTheFirstTen) {
  DialogSettings settings(cache);
  std::vector<std::string> history;
  for (int i = 0; i < 12; ++i) history.push_back("/f" + std::to_string(i));
  settings.SetFolders("/f0", history);
  ASSERT_EQ(settings.FolderHistory().size(), static_cast<std::size_t>(kFolderHistorySize));
  EXPECT_EQ(settings.FolderHistory().back(), "/f9");
  EXPECT_EQ(cache.CachedGetProfileString("RQX340Import", "UsedFolder9"), "/f9");
  EXPECT_EQ(cache.CachedGetProfileString("RQX340Import", "UsedFolder10"), "");
}

}  // namespace
}  // namespace rqx340
