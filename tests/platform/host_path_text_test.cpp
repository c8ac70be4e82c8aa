// The path of a hand-over file as the host reads it: read back, it must name
// the same file whatever characters the name holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/input_file.h"
#include "platform/path_text.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Of(const fs::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

TEST(HostPathTextTest, ReadBackItNamesTheSameFile) {
  test::TempDir dir;
  // ASCII; characters of the Western code page; characters of none.
  for (const std::string name : {"ZURQX340.$$$", "\xC3\x96lm\xC3\xBChle \xC3\xBC.$$$",
                                 "\xD0\x96\xD1\x83\xD0\xBA \xE7\x94\xB2.$$$"}) {
    SCOPED_TRACE(name);
    const fs::path file = dir.Path() / PathOf(name);
    std::ofstream(file, std::ios::binary) << "bytes";
    const std::string text = HostPathText(Utf8Of(file));
    const auto opened = InputFile::Open(PathFromHostText(text));
    ASSERT_TRUE(opened) << opened.ErrorText();
    EXPECT_EQ(opened->Size(), 5u);
  }
}

}  // namespace
}  // namespace rqx340
