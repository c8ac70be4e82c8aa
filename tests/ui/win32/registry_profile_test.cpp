#include "ui/win32/registry_profile.h"

#include <gtest/gtest.h>

#include <string>

#include "app/profile_cache.h"
#include "platform/process.h"
#include "platform/win32/win32_util.h"
#include "ui/win32/windows_api.h"

namespace rqx340 {
namespace {

TEST(RegistrySettingsKeyTest, TheSettingsNameChoosesTheKey) {
  EXPECT_EQ(RegistrySettingsKey(""), "Software\\rqx340-import");
  EXPECT_EQ(RegistrySettingsKey("Suite"), "Software\\Corvantis\\Suite");
  EXPECT_EQ(RegistrySettingsKey("ZUL4\\Suite"), "Software\\Corvantis\\ZUL4\\Suite");
  EXPECT_EQ(RegistrySettingsKey(std::string("A\0B", 3)), "Software\\Corvantis\\A");
  EXPECT_EQ(RegistrySettingsKey(std::string("\0B", 2)), "Software\\rqx340-import");
}

// A key of this test process under HKEY_CURRENT_USER, removed afterwards.
class RegistryProfileTest : public ::testing::Test {
 protected:
  RegistryProfileTest()
      : key("Software\\rqx340-tests\\" + std::to_string(CurrentProcessId())), profile(key) {}
  ~RegistryProfileTest() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide("Software\\rqx340-tests").c_str());
  }

  // The type and size of a stored value; type 0 when there is none.
  std::pair<DWORD, DWORD> Stored(const std::string& section, const std::string& entry) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, win32::Wide(key + "\\" + section).c_str(),
                     win32::Wide(entry).c_str(), RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr,
                     &size) != ERROR_SUCCESS) {
      return {0, 0};
    }
    return {type, size};
  }

  bool KeyExists(const std::string& section) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, win32::Wide(key + "\\" + section).c_str(), 0, KEY_READ,
                      &opened) != ERROR_SUCCESS) {
      return false;
    }
    RegCloseKey(opened);
    return true;
  }

  std::string key;
  RegistryProfile profile;
};

TEST_F(RegistryProfileTest, IntegersAreDwordsAndTextsStrings) {
  profile.WriteProfileInt("RQX340Import", "Width", 812);
  profile.WriteProfileInt("RQX340Import", "Height", -3);
  profile.WriteProfileString("RQX340Import", "LastFolder", "C:\\Mess\u00e4ungen\\");
  EXPECT_EQ(Stored("RQX340Import", "Width"), std::make_pair(DWORD{REG_DWORD}, DWORD{4}));
  const auto [type, size] = Stored("RQX340Import", "LastFolder");
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, (std::wstring(L"C:\\Mess\u00e4ungen\\").size() + 1) * sizeof(wchar_t));

  EXPECT_EQ(profile.GetProfileInt("RQX340Import", "Width", 1), 812);
  EXPECT_EQ(profile.GetProfileInt("rqx340import", "HEIGHT", 1), -3);  // names without case
  EXPECT_EQ(profile.GetProfileString("RQX340Import", "LastFolder"), "C:\\Mess\u00e4ungen\\");
  EXPECT_EQ(profile.GetProfileInt("RQX340Import", "Missing", 77), 77);
  EXPECT_EQ(profile.GetProfileString("Missing", "LastFolder"), "");
  // A text that is no number reads as the fallback.
  EXPECT_EQ(profile.GetProfileInt("RQX340Import", "LastFolder", 5), 5);
}

TEST_F(RegistryProfileTest, NoTextRemovesTheValueAndMakesNoKey) {
  profile.WriteProfileString("RQX340Import", "UsedFolder3", "D:\\x");
  profile.WriteProfileString("RQX340Import", "UsedFolder3", std::nullopt);
  EXPECT_EQ(Stored("RQX340Import", "UsedFolder3").first, 0u);
  EXPECT_EQ(profile.ReadValue("RQX340Import", "UsedFolder3"), std::nullopt);
  profile.WriteProfileString("Never", "Entry", std::nullopt);
  EXPECT_FALSE(KeyExists("Never"));
}

TEST_F(RegistryProfileTest, OtherTypesReadAsMissing) {
  HKEY section = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, win32::Wide(key + "\\MeasList").c_str(), 0, nullptr,
                            0, KEY_SET_VALUE, nullptr, &section, nullptr),
            ERROR_SUCCESS);
  const BYTE bytes[] = {1, 2, 3};
  RegSetValueExW(section, L"SortColumn", 0, REG_BINARY, bytes, sizeof bytes);
  // A text stored without its terminator still reads whole.
  const wchar_t text[] = {L'a', L'b'};
  RegSetValueExW(section, L"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  RegCloseKey(section);
  EXPECT_EQ(profile.ReadValue("MeasList", "SortColumn"), std::nullopt);
  EXPECT_EQ(profile.GetProfileInt("MeasList", "SortColumn", 4), 4);
  EXPECT_EQ(profile.ReadValue("MeasList", "Text"), "ab");
}

TEST_F(RegistryProfileTest, TheCacheWritesOnceAtTheEndInTheRightTypes) {
  CQWProfileSectionList cache([this]() -> Profile& { return profile; });
  for (int width = 600; width < 700; ++width)
    cache.CachedWriteProfileInt("RQX340Import", "Width", width);
  cache.CachedWriteProfileString("RQX340Import", "LastFolder", "C:\\m\\");
  cache.CachedWriteProfileString("RQX340Import", "UsedFolder9", "");
  EXPECT_FALSE(KeyExists("RQX340Import"));
  cache.FlushProfileCache();
  EXPECT_EQ(Stored("RQX340Import", "Width").first, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(profile.GetProfileInt("RQX340Import", "Width", 0), 699);
  EXPECT_EQ(Stored("RQX340Import", "LastFolder").first, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(Stored("RQX340Import", "UsedFolder9").first, 0u);
}

}  // namespace
}  // namespace rqx340
