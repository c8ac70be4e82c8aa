// The one way the core reads files: regular files only, 64-bit sizes, reads
// that fill their buffer until the file ends, and seeks.
#include "platform/input_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

#include "platform/file_system.h"
#include "support/exchange_bytes.h"
#include "support/fifo.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::AsString;
using test::TempDir;

TEST(InputFileTest, RefusesWhatIsNotARegularFile) {
  TempDir dir;
  EXPECT_FALSE(InputFile::Open((dir.Path() / "missing.rqx2").string()));
  EXPECT_FALSE(InputFile::Open(dir.Path().string()));
  EXPECT_FALSE(InputFile::Open(""));
  if (!test::MakeFifo((dir.Path() / "fifo.rqx2").string())) GTEST_SKIP() << "no FIFOs here";
  const auto fifo = InputFile::Open((dir.Path() / "fifo.rqx2").string());
  EXPECT_FALSE(fifo);
  EXPECT_EQ(fifo.ErrorText(), "not a regular file");
  EXPECT_TRUE(InputFile::Open(dir.Write("m.rqx2", "{}").string()));
}

TEST(OpenFolderTest, OpensAndListsItsFilesByName) {
  TempDir dir;
  dir.Write("m.rqx2", "{}");
  dir.Write("other.txt", "x");
  if (!test::MakeFifo((dir.Path() / "fifo.rqx2").string())) GTEST_SKIP() << "no FIFOs here";
  const auto folder = OpenFolder::Open(dir.Path().string());
  ASSERT_TRUE(folder) << folder.ErrorText();
  const auto listed = folder->ListFiles(".RQX2");
  ASSERT_TRUE(listed) << listed.ErrorText();
  ASSERT_EQ(listed->size(), 1u);
  EXPECT_EQ((*listed)[0].name, "m.rqx2");
  // Listing again starts from the beginning.
  EXPECT_EQ(folder->ListFiles(".rqx2")->size(), 1u);

  const auto file = folder->OpenFile("m.rqx2");
  ASSERT_TRUE(file) << file.ErrorText();
  EXPECT_EQ(file->Size(), 2u);
  // The same refusals as InputFile::Open, and one path component only.
  for (const char* name : {"missing.rqx2", "fifo.rqx2", "", ".", "..", "../m.rqx2", "a/b"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(folder->OpenFile(name));
  }
  EXPECT_FALSE(OpenFolder::Open((dir.Path() / "m.rqx2").string()));
  EXPECT_FALSE(OpenFolder::Open((dir.Path() / "missing").string()));
}

// Entries with the suffix that are not listed are named on request, with the
// system's reason where one could not be examined.
TEST(OpenFolderTest, NamesTheEntriesItPassesOver) {
  TempDir dir;
  dir.Write("m.rqx2", "{}");
  dir.Write("sub.rqx2/inner.rqx2", "{}");
  dir.Write("other/x.rqx2", "{}");
  const auto folder = OpenFolder::Open(dir.Path().string());
  ASSERT_TRUE(folder) << folder.ErrorText();
  std::vector<SkippedEntry> skipped;
  const auto listed = folder->ListFiles(".rqx2", &skipped);
  ASSERT_TRUE(listed) << listed.ErrorText();
  ASSERT_EQ(listed->size(), 1u);
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].name, "sub.rqx2");
  EXPECT_EQ(skipped[0].error, "");
  EXPECT_EQ(folder->ListFiles(".rqx2")->size(), 1u);

  RQX340_POSIX_ONLY("symbolic links");
  std::filesystem::create_symlink(dir.Path() / "missing", dir.Path() / "dangling.rqx2");
  std::filesystem::create_symlink(dir.Path() / "sub.rqx2", dir.Path() / "link.rqx2");
  skipped.clear();
  ASSERT_EQ(folder->ListFiles(".rqx2", &skipped)->size(), 1u);
  std::sort(skipped.begin(), skipped.end(),
            [](const SkippedEntry& a, const SkippedEntry& b) { return a.name < b.name; });
  ASSERT_EQ(skipped.size(), 3u);
  EXPECT_EQ(skipped[0].name, "dangling.rqx2");
  EXPECT_FALSE(skipped[0].error.empty());
  EXPECT_EQ(skipped[1].name, "link.rqx2");
  EXPECT_EQ(skipped[1].error, "");
  EXPECT_EQ(skipped[2].name, "sub.rqx2");
}

TEST(InputFileTest, ReadsFillTheBufferUntilTheEndAndSeekAnywhere) {
  TempDir dir;
  auto file = InputFile::Open(dir.Write("f.bin", "0123456789").string());
  ASSERT_TRUE(file) << file.ErrorText();
  EXPECT_EQ(file->Size(), 10u);
  std::array<std::byte, 4> four{};
  ASSERT_EQ(file->Read(four).ValueOr(0), 4u);
  EXPECT_EQ(AsString(four), "0123");
  ASSERT_TRUE(file->Seek(8));
  EXPECT_EQ(file->Read(four).ValueOr(99), 2u);  // the end of the file
  EXPECT_EQ(AsString(std::span(four).first(2)), "89");
  EXPECT_EQ(file->Read(four).ValueOr(99), 0u);
  ASSERT_TRUE(file->Seek(3));
  EXPECT_TRUE(file->ReadExactly(four));
  EXPECT_EQ(AsString(four), "3456");
  ASSERT_TRUE(file->Seek(7));
  EXPECT_FALSE(file->ReadExactly(four));
}

}  // namespace
}  // namespace rqx340
