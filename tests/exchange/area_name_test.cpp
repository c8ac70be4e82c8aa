#include "exchange/area_name.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "exchange/exchange_area.h"
#include "platform/process.h"
#include "support/session.h"
#include "support/system.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;

TEST(AreaNameTest, Crc32MatchesTheIeeeCheckValues) {
  struct Case {
    std::string_view bytes;
    std::uint32_t crc;
  };
  const Case cases[] = {
      {"", 0x00000000},           {"123456789", 0xCBF43926},       {"C:\\Tools\\", 0x3954AF9C},
      {"/opt/zul4/", 0x223EF83F}, {"/usr/local/bin/", 0x3EFCDEDD},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Crc32(c.bytes), c.crc);
  }
}

TEST(AreaNameTest, NameIsZulAndEightUpperCaseDigits) {
  EXPECT_EQ(AreaNameFromDirectory("C:\\Tools\\"), "ZUL3954AF9C");
  EXPECT_EQ(AreaNameFromDirectory("/opt/zul4/"), "ZUL223EF83F");
  EXPECT_EQ(AreaNameFromNumber(0xAB), "ZUL000000AB");
  EXPECT_EQ(AreaNameFromNumber(0xFFFFFFFF), "ZULFFFFFFFF");
}

TEST(AreaNameTest, MakeNameUsesTheDirectoryOfTheResolvedExecutable) {
  RQX340_POSIX_ONLY("symbolic links and POSIX paths");
  const auto self = RunningExecutablePath();
  ASSERT_TRUE(self);
  const std::string directory = fs::canonical(*self).parent_path().string() + "/";

  CQWExchange running;
  ASSERT_TRUE(running.MakeName("rqx340"));
  EXPECT_EQ(
      running.Name(), "ZUL" + [&] {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%08X", Crc32(directory));
        return std::string(digits);
      }());

  // Another spelling of the same program gives the same name.
  test::TempDir temp;
  fs::create_symlink(*self, temp.Path() / "alias");
  CQWExchange aliased;
  aliased.SetExecutablePath((temp.Path() / "alias").string());
  ASSERT_TRUE(aliased.MakeName("whatever"));
  EXPECT_EQ(aliased.Name(), running.Name());

  // No program, no name: nothing is formed from an unknown directory.
  test::TestSession session;
  CQWExchange missing;
  missing.SetExecutablePath((temp.Path() / "missing").string());
  EXPECT_FALSE(missing.MakeName("rqx340"));
  EXPECT_EQ(missing.Name(), "");
  EXPECT_EQ(missing.Open("rqx340"), 0);
  EXPECT_EQ(missing.Create("rqx340"), 0);
  EXPECT_NE(missing.LastError().find("missing"), std::string::npos) << missing.LastError();
  EXPECT_TRUE(fs::is_empty(session.Path()));
}

}  // namespace
}  // namespace rqx340
