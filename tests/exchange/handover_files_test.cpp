#include "exchange/handover_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "exchange/rqx340_client.h"
#include "platform/process.h"
#include "support/exchange_bytes.h"
#include "support/faulty_temp_folder.h"
#include "support/temp_dir.h"
#include "support/system.h"

namespace rqx340 {
namespace {

using test::AsString;
using test::BytesOf;
using test::FolderNames;
using test::ReadFileBytes;

TempFolder OpenFolder(const test::TempDir& dir) {
  auto folder = TempFolder::Open(dir.Path().string());
  EXPECT_TRUE(folder.Ok());
  return std::move(*folder);
}

TEST(HandoverNames, DeriveFromTheIdentifier) {
  EXPECT_EQ(ExchangeFileName(kExchangeId), "ZURQX340.$$$");
  EXPECT_EQ(NameFileName(kExchangeId), "ZURQX340FNM.$$$");
  EXPECT_EQ(MappingName(kExchangeId), "ZURQX340MAP");
  EXPECT_EQ(RawSignalName(kExchangeId), "ZURQX340WAV.$$$");
}

TEST(TempFolderTest, PathGetsATrailingSlash) {
  RQX340_POSIX_ONLY("POSIX paths");
  test::TempDir dir;
  const std::string bare = dir.Path().string();
  ASSERT_NE(bare.back(), '/');
  for (const std::string& given : {bare, bare + "/"}) {
    SCOPED_TRACE(given);
    auto folder = TempFolder::Open(given);
    ASSERT_TRUE(folder.Ok());
    EXPECT_EQ(folder->Path(), bare + "/");
    EXPECT_EQ(folder->PathOf("ZURQX340.$$$"), bare + "/ZURQX340.$$$");
  }
}

TEST(TempFolderTest, SessionDirectoryThroughItsHandle) {
  RQX340_POSIX_ONLY("POSIX paths");
  test::TempDir dir;
  auto session = SessionDir::OpenPath(dir.Path().string());
  ASSERT_TRUE(session.Ok());
  auto folder = TempFolder::FromSession(*session);
  ASSERT_TRUE(folder.Ok());
  EXPECT_EQ(folder->Path(), dir.Path().string() + "/");
  EXPECT_TRUE(folder->CreateNew("made"));
  EXPECT_TRUE(std::filesystem::exists(dir.Path() / "made"));
}

TEST(TempFolderTest, RefusesSymlinkAndMissingFolder) {
  RQX340_POSIX_ONLY("symbolic links");
  test::TempDir dir;
  std::filesystem::create_symlink(dir.Path(), dir.Path() / "link");
  const auto link = TempFolder::Open((dir.Path() / "link").string());
  EXPECT_FALSE(link.Ok());
  EXPECT_FALSE(link.ErrorText().empty());
  EXPECT_FALSE(TempFolder::Open((dir.Path() / "missing").string()).Ok());
}

TEST(TempFolderTest, NamesNeverLeaveTheFolder) {
  test::TempDir dir;
  TempFolder folder = OpenFolder(dir);
  EXPECT_FALSE(folder.CreateNew("../escape"));
  EXPECT_FALSE(folder.CreateAlways(""));
  EXPECT_FALSE(folder.Remove(".."));
  EXPECT_FALSE(std::filesystem::exists(dir.Path().parent_path() / "escape"));
}

TEST(TempFolderTest, CreateDoesNotFollowAPlantedSymlink) {
  RQX340_POSIX_ONLY("symbolic links");
  test::TempDir dir;
  dir.Write("target", "keep");
  std::filesystem::create_symlink(dir.Path() / "target", dir.Path() / "planted");
  TempFolder folder = OpenFolder(dir);
  EXPECT_FALSE(folder.CreateAlways("planted"));
  EXPECT_FALSE(folder.CreateNew("planted"));
  EXPECT_TRUE(folder.Exists("planted"));
  EXPECT_EQ(ReadFileBytes(dir.Path() / "target"), "keep");
}

TEST(TempNamerTest, RepeatedTicksCountUp) {
  test::TempDir dir;
  TempFolder folder = OpenFolder(dir);
  const TempNamer namer([] { return 0x0012AB34u; }, 1234);
  const char* expected[] = {"~_1234_0012AB34tmp", "~_1234_0012AB35tmp", "~_1234_0012AB36tmp"};
  for (const char* name : expected) {
    std::string made;
    const auto file = namer.CreateUnique(folder, "~", "tmp", made);
    EXPECT_TRUE(file && file->IsOpen());
    EXPECT_EQ(made, name);
  }
  EXPECT_EQ(FolderNames(dir.Path()),
            std::vector<std::string>(std::begin(expected), std::end(expected)));
}

TEST(TempNamerTest, TicksAreUpperCaseHexAndWrap) {
  RQX340_POSIX_ONLY("symbolic links");
  test::TempDir dir;
  TempFolder folder = OpenFolder(dir);
  const TempNamer namer([] { return 0xFFFFFFFFu; }, 7);
  EXPECT_EQ(namer.UniqueName(folder, "~", "tmp"), "~_7_FFFFFFFFtmp");
  dir.Write("~_7_FFFFFFFFtmp", "");
  EXPECT_EQ(namer.UniqueName(folder, "~", "tmp"), "~_7_00000000tmp");
  // A dangling symlink takes its name too.
  std::filesystem::create_symlink(dir.Path() / "nowhere", dir.Path() / "~_7_00000000tmp");
  EXPECT_EQ(namer.UniqueName(folder, "~", "tmp"), "~_7_00000001tmp");
}

TEST(TempNamerTest, RealClockAndProcessId) {
  test::TempDir dir;
  TempFolder folder = OpenFolder(dir);
  const auto name = TempNamer().UniqueName(folder, "~", "tmp");
  ASSERT_TRUE(name.has_value());
  const std::string pid_part = "~_" + std::to_string(CurrentProcessId()) + "_";
  EXPECT_EQ(name->rfind(pid_part, 0), 0u) << *name;
  EXPECT_EQ(name->size(), pid_part.size() + 8 + 3);
  EXPECT_EQ(name->substr(name->size() - 3), "tmp");
}

TEST(ExchangeHandoverTest, NameFileMappingAndRelease) {
  RQX340_POSIX_ONLY("POSIX paths and the mapping as a file");
  test::TempDir dir;
  TempFolder folder = OpenFolder(dir);
  auto handover = ExchangeHandover::Create(folder, kExchangeId);
  ASSERT_TRUE(handover.has_value());
  EXPECT_EQ(handover->Path(), dir.Path().string() + "/ZURQX340.$$$");
  std::string content(9000, 'x');
  ASSERT_TRUE(handover->File().Write(BytesOf(content)));

  ASSERT_TRUE(handover->WriteNameFile(8480));
  // 8480 = 0x2120, little-endian, then the path without a terminator.
  const std::string expected_name_file =
      std::string("\x20\x21\x00\x00", 4) + dir.Path().string() + "/ZURQX340.$$$";
  EXPECT_EQ(ReadFileBytes(dir.Path() / "ZURQX340FNM.$$$"), expected_name_file);

  ASSERT_TRUE(handover->Map(8480));
  EXPECT_TRUE(std::filesystem::equivalent(dir.Path() / "ZURQX340MAP", dir.Path() / "ZURQX340.$$$"));
  EXPECT_EQ(ReadFileBytes(dir.Path() / "ZURQX340MAP"), content);
  EXPECT_EQ(FolderNames(dir.Path()),
            (std::vector<std::string>{"ZURQX340.$$$", "ZURQX340FNM.$$$", "ZURQX340MAP"}));

  handover->Release();
  EXPECT_TRUE(FolderNames(dir.Path()).empty());
  handover->Release();  // twice is harmless
}

TEST(ExchangeHandoverTest, NegativeOffsetInNameFile) {
  test::TempDir dir;
  TempFolder folder = OpenFolder(dir);
  auto handover = ExchangeHandover::Create(folder, kExchangeId);
  ASSERT_TRUE(handover.has_value());
  ASSERT_TRUE(handover->WriteNameFile(-2));
  EXPECT_EQ(ReadFileBytes(dir.Path() / "ZURQX340FNM.$$$").substr(0, 4),
            std::string("\xFE\xFF\xFF\xFF", 4));
}

TEST(ExchangeHandoverTest, StaleFilesAreReplaced) {
  test::TempDir dir;
  dir.Write("ZURQX340.$$$", "old exchange");
  dir.Write("ZURQX340MAP", "old mapping");
  dir.Write("ZURQX340FNM.$$$", "old name file, longer than the new one will be..........");
  TempFolder folder = OpenFolder(dir);
  {
    auto handover = ExchangeHandover::Create(folder, kExchangeId);
    ASSERT_TRUE(handover.has_value());
    std::string content(100, 'n');
    ASSERT_TRUE(handover->File().Write(BytesOf(content)));
    ASSERT_TRUE(handover->WriteNameFile(50));
    ASSERT_TRUE(handover->Map(50));
    EXPECT_EQ(ReadFileBytes(dir.Path() / "ZURQX340MAP"), content);
    EXPECT_EQ(ReadFileBytes(dir.Path() / "ZURQX340FNM.$$$").size(), 4 + handover->Path().size());
  }  // the destructor releases
  EXPECT_TRUE(FolderNames(dir.Path()).empty());
}

TEST(ExchangeHandoverTest, ViewSeesTheFile) {
  test::TempDir dir;
  TempFolder folder = OpenFolder(dir);
  auto handover = ExchangeHandover::Create(folder, kExchangeId);
  ASSERT_TRUE(handover.has_value());
  auto view = handover->File().Map(4);
  EXPECT_FALSE(handover->File().Map(0).Ok());
  ASSERT_TRUE(handover->File().Write(BytesOf("abcdef")));
  ASSERT_TRUE(view.Ok());
  EXPECT_EQ(AsString(view->Bytes()), "abcd");
}

TEST(ExchangeHandoverTest, FailuresLeaveNothingBehind) {
  test::TempDir dir;
  {
    test::FaultyTempFolder folder(OpenFolder(dir));
    folder.create_fault = [](std::string_view name) {
      return name == "ZURQX340.$$$" ? test::CreateFault::kRefuse : test::CreateFault::kNone;
    };
    EXPECT_FALSE(ExchangeHandover::Create(folder, kExchangeId).has_value());
  }
  {
    test::FaultyTempFolder folder(OpenFolder(dir));
    folder.fail_link = true;
    folder.create_fault = [](std::string_view name) {
      return name == "ZURQX340FNM.$$$" ? test::CreateFault::kRefuse : test::CreateFault::kNone;
    };
    auto handover = ExchangeHandover::Create(folder, kExchangeId);
    ASSERT_TRUE(handover.has_value());
    EXPECT_FALSE(handover->WriteNameFile(8480));
    EXPECT_FALSE(handover->Map(8480));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "ZURQX340MAP"));
  }
  {
    test::FaultyTempFolder folder(OpenFolder(dir));
    folder.create_fault = [](std::string_view name) {
      return name == "ZURQX340FNM.$$$" ? test::CreateFault::kDiskFull : test::CreateFault::kNone;
    };
    auto handover = ExchangeHandover::Create(folder, kExchangeId);
    ASSERT_TRUE(handover.has_value());
    EXPECT_FALSE(handover->WriteNameFile(8480));
    EXPECT_FALSE(handover->Map(0));
  }
  EXPECT_TRUE(FolderNames(dir.Path()).empty());
}

}  // namespace
}  // namespace rqx340
