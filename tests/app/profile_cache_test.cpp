#include "app/profile_cache.h"

#include <gtest/gtest.h>

#include "support/memory_profile.h"

namespace rqx340 {
namespace {

using test::MemoryProfile;
using Write = MemoryProfile::Write;

class ProfileCacheTest : public ::testing::Test {
 protected:
  MemoryProfile profile;
  CQWProfileSectionList cache{[this]() -> Profile& { return profile; }};
};

TEST_F(ProfileCacheTest, TheDefaultMattersOnlyAtTheFirstRead) {
  EXPECT_EQ(cache.CachedGetProfileInt("RQX340Import", "Width", 640), 640);
  EXPECT_EQ(cache.CachedGetProfileInt("RQX340Import", "Width", 800), 640);
  EXPECT_EQ(profile.reads, 1);
  cache.FlushProfileCache();
  EXPECT_TRUE(profile.writes.empty());  // only read: nothing written back
}

TEST_F(ProfileCacheTest, AStoredValueIsReadOnceThenServedFromMemory) {
  profile.values[{"RQX340Import", "Width"}] = "1024";
  profile.values[{"RQX340Import", "LastFolder"}] = "/data/meas";
  EXPECT_EQ(cache.CachedGetProfileInt("RQX340Import", "Width", 640), 1024);
  EXPECT_EQ(cache.CachedGetProfileString("RQX340Import", "LastFolder"), "/data/meas");
  profile.values.clear();
  EXPECT_EQ(cache.CachedGetProfileInt("RQX340Import", "Width", 640), 1024);
  EXPECT_EQ(cache.CachedGetProfileString("RQX340Import", "LastFolder"), "/data/meas");
  EXPECT_EQ(profile.reads, 2);
}

TEST_F(ProfileCacheTest, AReadAfterAWriteGivesTheWrittenValueAndTheProfileWaitsForTheFlush) {
  profile.values[{"RQX340Import", "Raw"}] = "1";
  cache.CachedWriteProfileInt("RQX340Import", "Raw", 0);
  cache.CachedWriteProfileString("RQX340Import", "LastFolder", "/b");
  EXPECT_EQ(cache.CachedGetProfileInt("RQX340Import", "Raw", 1), 0);
  EXPECT_EQ(cache.CachedGetProfileString("RQX340Import", "LastFolder"), "/b");
  EXPECT_EQ(profile.reads, 0);
  EXPECT_TRUE(profile.writes.empty());
  cache.FlushProfileCache();
  EXPECT_EQ(profile.values.at({"RQX340Import", "Raw"}), "0");
  EXPECT_EQ(profile.values.at({"RQX340Import", "LastFolder"}), "/b");
}

TEST_F(ProfileCacheTest, NamesDifferingOnlyInCaseAreOneEntryWrittenInTheCaseOfFirstUse) {
  cache.CachedWriteProfileInt("RQX340Import", "Width", 700);
  cache.CachedWriteProfileInt("rqx340import", "WIDTH", 710);
  EXPECT_EQ(cache.CachedGetProfileInt("RQX340IMPORT", "width", 1), 710);
  ASSERT_EQ(cache.Sections().size(), 1u);
  ASSERT_EQ(cache.Sections()[0].m_entries.size(), 1u);
  cache.FlushProfileCache();
  EXPECT_EQ(profile.writes, (std::vector<Write>{{"RQX340Import", "Width", "710"}}));
}

TEST_F(ProfileCacheTest, AnEmptyTextRemovesTheValueAndTheNextRunReadsItAsEmpty) {
  profile.values[{"RQX340Import", "LastFolder"}] = "/old";
  cache.CachedWriteProfileString("RQX340Import", "LastFolder", "");
  cache.FlushProfileCache();
  EXPECT_EQ(profile.writes, (std::vector<Write>{{"RQX340Import", "LastFolder", std::nullopt}}));
  EXPECT_TRUE(profile.values.empty());

  CQWProfileSectionList next_run([this]() -> Profile& { return profile; });
  EXPECT_EQ(next_run.CachedGetProfileString("RQX340Import", "LastFolder"), "");
}

TEST_F(ProfileCacheTest, AnEntryUsedAsOneKindReadsTheOtherKindsEmptyFieldWithoutTheProfile) {
  profile.values[{"RQX340Import", "Mixed"}] = "12";
  profile.values[{"RQX340Import", "Other"}] = "text";
  cache.CachedWriteProfileString("RQX340Import", "Mixed", "abc");
  EXPECT_EQ(cache.CachedGetProfileInt("RQX340Import", "Mixed", 5), 0);
  EXPECT_EQ(cache.CachedGetProfileInt("RQX340Import", "Other", 5), 5);  // not an integer
  EXPECT_EQ(cache.CachedGetProfileString("RQX340Import", "Other"), "");
  EXPECT_EQ(profile.reads, 1);
}

TEST_F(ProfileCacheTest, AWriteOfAnUnchangedValueIsStillWrittenBack) {
  profile.values[{"MeasList", "SortOrder"}] = "1";
  EXPECT_EQ(cache.CachedGetProfileInt("MeasList", "SortOrder", 0), 1);
  cache.CachedWriteProfileInt("MeasList", "SortOrder", 1);
  cache.FlushProfileCache();
  EXPECT_EQ(profile.writes, (std::vector<Write>{{"MeasList", "SortOrder", "1"}}));
}

TEST_F(ProfileCacheTest, TheFlushWritesDirtyEntriesInTheOrderOfFirstUse) {
  cache.CachedGetProfileInt("RQX340Import", "Raw", 1);  // read only
  cache.CachedWriteProfileInt("MeasList", "SortColumn", 3);
  cache.CachedWriteProfileString("RQX340Import", "UsedFolder0", "/a");
  cache.CachedWriteProfileString("RQX340Import", "UsedFolder1", "");
  cache.CachedWriteProfileInt("MeasList", "SortOrder", 0);
  cache.CachedWriteProfileInt("RQX340Import", "Raw", 0);
  cache.FlushProfileCache();
  EXPECT_EQ(profile.writes, (std::vector<Write>{{"RQX340Import", "Raw", "0"},
                                                {"RQX340Import", "UsedFolder0", "/a"},
                                                {"RQX340Import", "UsedFolder1", std::nullopt},
                                                {"MeasList", "SortColumn", "3"},
                                                {"MeasList", "SortOrder", "0"}}));
}

TEST(ProfileIntTest, OnlyAWhole32BitDecimalIsAnInteger) {
  struct Case {
    const char* text;
    std::optional<std::int32_t> value;
  };
  const Case cases[] = {
      {"0", 0},
      {"640", 640},
      {"-12", -12},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"2147483648", std::nullopt},
      {"", std::nullopt},
      {" 5", std::nullopt},
      {"5 ", std::nullopt},
      {"+5", std::nullopt},
      {"12abc", std::nullopt},
      {"0x10", std::nullopt},
      {"1.5", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseProfileInt(c.text), c.value);
  }
  test::MemoryProfile profile;
  profile.values[{"S", "E"}] = "12abc";
  EXPECT_EQ(profile.GetProfileInt("S", "E", 7), 7);
  EXPECT_EQ(profile.GetProfileInt("S", "missing", 9), 9);
  EXPECT_EQ(profile.GetProfileString("S", "missing"), "");
}

}  // namespace
}  // namespace rqx340
