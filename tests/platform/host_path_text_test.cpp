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

fs::path PathOf(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

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

// What Windows opens as a device whatever the folder; everything else is a file.
TEST(PathTextTest, WindowsDeviceNames) {
  for (const char* name :
       {"CON", "prn", "Aux", "NUL", "aux.csv", "nul.tar.gz", "AUX .csv", "com1", "COM9.wav", "lpt1",
        "LPT5.txt", "COM\xC2\xB9", "lpt\xC2\xB3.x", "CONIN$", "conout$.txt", "con:stream"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(IsWindowsDeviceName(name));
  }
  for (const char* name : {"", "aux1", "auxiliary.csv", "com0", "COM10", "lpt", "com", "my aux.csv",
                           ".aux", "xcon", "nul_", "COM\xC2\xB4", "a.aux"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(IsWindowsDeviceName(name));
  }
}

}  // namespace
}  // namespace rqx340
