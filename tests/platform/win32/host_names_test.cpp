// What the host is given on Windows: paths in its ANSI code page, short (8.3)
// forms where the long ones would not survive it, and the exchange area's
// directory in its long form however the program was named.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/code_page.h"
#include "platform/path_text.h"
#include "platform/process.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;

std::string Utf8Of(const fs::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

bool IsAscii(const std::string& text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

std::wstring ShortForm(const std::wstring& path) {
  wchar_t buffer[MAX_PATH] = {};
  const DWORD length = GetShortPathNameW(path.c_str(), buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

TEST(HostPathTextWin32Test, UsesTheAnsiCodePageAndTheShortFormWhereItMustNot) {
  ASSERT_EQ(AnsiCodePage().Number(), 1252) << "the cases assume the Western code page";
  test::TempDir dir;
  // "Ölmühle ü.$$$" survives code page 1252: the long form, in its bytes.
  const fs::path western = dir.Path() / fs::path(u8"\u00D6lm\u00FChle \u00FC.$$$");
  std::ofstream(western, std::ios::binary) << "x";
  const std::string western_text = HostPathText(Utf8Of(western));
  EXPECT_EQ(western_text, ToAnsi(Utf8Of(western)));
  EXPECT_NE(western_text.find("\xD6lm\xFChle \xFC.$$$"), std::string::npos);

  // "Жук.$$$" does not: the short form, which the host can open.
  const fs::path cyrillic = dir.Path() / fs::path(u8"\u0416\u0443\u043A.$$$");
  std::ofstream(cyrillic, std::ios::binary) << "x";
  const std::wstring short_form = ShortForm(cyrillic.wstring());
  ASSERT_FALSE(short_form.empty());
  const std::string cyrillic_text = HostPathText(Utf8Of(cyrillic));
  EXPECT_TRUE(IsAscii(cyrillic_text)) << cyrillic_text;
  EXPECT_EQ(cyrillic_text, ToAnsi(Utf8Of(fs::path(short_form))));
}

TEST(HostExecutableDirectoryWin32Test, NamesTheLongFolderHoweverTheProgramIsSpelled) {
  const auto self = RunningExecutablePath();
  ASSERT_TRUE(self) << self.ErrorText();
  const auto directory = HostExecutableDirectory(*self);
  ASSERT_TRUE(directory) << directory.ErrorText();
  const fs::path self_path(std::u8string(self->begin(), self->end()));
  EXPECT_EQ(*directory, ToAnsi(Utf8Of(self_path.parent_path())) + "\\");

  const std::wstring short_form = ShortForm(self_path.wstring());
  ASSERT_FALSE(short_form.empty());
  EXPECT_EQ(HostExecutableDirectory(Utf8Of(fs::path(short_form))).ValueOr(""), *directory);
  // A bare name is searched for, starting in the running program's folder.
  EXPECT_EQ(HostExecutableDirectory(Utf8Of(self_path.stem())).ValueOr(""), *directory);

  EXPECT_FALSE(HostExecutableDirectory(Utf8Of(self_path.parent_path() / "missing.exe")));
  EXPECT_FALSE(HostExecutableDirectory("no-such-program-anywhere"));
  EXPECT_FALSE(HostExecutableDirectory(""));
}

TEST(DialogLaunchWin32Test, TheDialogProgramIsThere) { EXPECT_TRUE(DialogLaunchSupported()); }

}  // namespace
}  // namespace rqx340
