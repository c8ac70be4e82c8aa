// rqx340 convert under the host's ANSI code page, run as a program: Shift-JIS
// texts in the records, cut where characters end, and the code page a
// Japanese locale selects by itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::DataFile;
using test::ProgramResult;
using test::ReadFileBytes;
using test::RunProgram;
using test::TempDir;

constexpr const char* kJapanese = "conversion/japanese-texts-at-field-ends.rqx2";
constexpr std::size_t kHeaderBlock = 8480;

// The bytes `convert` writes for the Japanese fixture with `env` on top of
// the fixed zone and pictures; empty when it fails.
std::string Convert(const fs::path& out, const std::vector<std::string>& env) {
  std::vector<std::string> all_env = {"TZ=UTC", "RQX340_SHORTDATE=yyyy-MM-dd",
                                      "RQX340_TIMEFORMAT=HH:mm:ss"};
  all_env.insert(all_env.end(), env.begin(), env.end());
  const ProgramResult result =
      RunProgram("rqx340", {"convert", DataFile(kJapanese).string(), out.string()}, all_env);
  EXPECT_EQ(result.exit_code, 0) << result.err;
  return result.exit_code == 0 ? ReadFileBytes(out) : std::string();
}

// The text field of header record `index`, up to its terminator.
std::string HeaderText(const std::string& file, std::size_t index) {
  const std::size_t offset = kHeaderBlock + 4 + 288 * index + 32;
  if (offset + 256 > file.size()) return "<out of range>";
  const std::string field = file.substr(offset, 256);
  return field.substr(0, field.find('\0'));
}

std::string Repeated(std::string_view unit, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += unit;
  return text;
}

TEST(ConvertCodePageTest, ShiftJisTextsCutWhereCharactersEnd) {
  TempDir dir;
  const std::string file = Convert(dir.Path() / "out.bin", {"RQX340_ANSI_CODEPAGE=932"});
  ASSERT_FALSE(file.empty());
  // The report-header line of 281 bytes keeps 253: the 254th would be the lead
  // byte of a character.
  const std::string line1 = "A" + Repeated("\x90\x55\x93\xAE\x91\xAA\x92\xE8", 35);
  EXPECT_EQ(HeaderText(file, 2), line1.substr(0, 253));
  EXPECT_EQ(HeaderText(file, 10), line1.substr(0, 253));
  // Characters the code page lacks become its default character.
  EXPECT_EQ(HeaderText(file, 8), "\x8D\x5A\x90\xB3 \xB6\xC0\xB6\xC5 ?? ? ?");
  EXPECT_EQ(HeaderText(file, 4),
            "\x83\x4F\x83\x89\x83\x43\x83\x93\x83\x5F\x81\x5B\x8D\xEC\x8B\xC6\x92\x86");
  EXPECT_EQ(HeaderText(file, 6), "x" + Repeated("\x93\xAE", 126));

  // rqx340 dump reads the texts back from the same code page.
  const ProgramResult dumped = RunProgram("rqx340", {"dump", (dir.Path() / "out.bin").string()},
                                          {"RQX340_ANSI_CODEPAGE=932"});
  ASSERT_EQ(dumped.exit_code, 0) << dumped.err;
  EXPECT_NE(dumped.out.find("\"text\": \"\xE6\xB8\xAC\xE5\xAE\x9A\xE8\x80\x85\xEF\xBC\x9A"
                            "\xE5\xB1\xB1\xE7\x94\xB0\xE5\xA4\xAA\xE9\x83\x8E\""),
            std::string::npos)
      << dumped.out;
}

TEST(ConvertCodePageTest, AJapaneseLocaleSelectsShiftJis) {
  RQX340_POSIX_ONLY("the locale variables; Windows has its own ANSI code page");
  TempDir dir;
  const std::string chosen = Convert(dir.Path() / "932.bin", {"RQX340_ANSI_CODEPAGE=932"});
  const std::string by_locale =
      Convert(dir.Path() / "ja.bin", {"LC_ALL=", "LC_CTYPE=", "LANG=ja_JP.UTF-8"});
  const std::string western = Convert(dir.Path() / "c.bin", {"LC_ALL=C.UTF-8"});
  ASSERT_FALSE(chosen.empty());
  EXPECT_EQ(by_locale, chosen);
  EXPECT_NE(western, chosen);
  EXPECT_EQ(HeaderText(western, 3), "????????");
  // RQX340_ANSI_CODEPAGE still overrides the locale.
  EXPECT_EQ(Convert(dir.Path() / "1252.bin", {"LANG=ja_JP.UTF-8", "RQX340_ANSI_CODEPAGE=1252"}),
            western);
}

}  // namespace
}  // namespace rqx340
