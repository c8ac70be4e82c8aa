#include "ui/win32/resource_library.h"

#include <gtest/gtest.h>

#include <set>

#include "absent_library_loader.h"
#include "platform/win32/win32_util.h"
#include "support/app_context.h"
#include "support/recording_sink.h"
#include "ui/win32/registry_profile.h"

namespace rqx340 {
namespace {

// Every string id of the program's English table, and none around them.
std::set<int> EnglishIds() {
  std::set<int> ids;
  for (int id = 0; id < 5000; ++id) {
    if (!EnglishStrings().Load(id).empty()) ids.insert(id);
  }
  return ids;
}

TEST(ResourceLibraryTest, TheProgramsStringTableIsTheBuiltInEnglishTable) {
  const std::set<int> ids = EnglishIds();
  ASSERT_GT(ids.size(), 30u);
  for (int id = 0; id < 5000; ++id) {
    SCOPED_TRACE(id);
    EXPECT_EQ(ProgramStrings().Load(id), EnglishStrings().Load(id));
  }
}

TEST(ResourceLibraryTest, TheGermanLibraryHasTheDialogTheStringsAndTheIcon) {
  const DllLibraryLoader loader;
  EXPECT_EQ(loader.FileName("ZULRQX340_GER.DLL"), "ZULRQX340_GER.DLL");
  const auto german = loader.Open("ZULRQX340_GER.DLL", &EnglishStrings());
  ASSERT_NE(german, nullptr);
  EXPECT_EQ(german->Find(1004), "Ordner:");
  EXPECT_EQ(german->Find(2), "Schlie\u00dfen");
  EXPECT_EQ(german->Find(99999), std::nullopt);
  const HMODULE module = dynamic_cast<const DllLanguageLibrary&>(*german).Module();
  for (const auto& [type, id] : {std::pair{RT_DIALOG, 129}, std::pair{RT_GROUP_ICON, 128}}) {
    SCOPED_TRACE(id);
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(id), type), nullptr);
  }
  // The sort arrows are always the program's own.
  EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(146), RT_BITMAP), nullptr);
  EXPECT_NE(FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(146), RT_BITMAP), nullptr);
  EXPECT_NE(FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(147), RT_BITMAP), nullptr);
  EXPECT_EQ(loader.Open("ZULRQX340_NONE.DLL", nullptr), nullptr);
}

TEST(ResourceLibraryTest, EveryLanguageHasItsLibrary) {
  const DllLibraryLoader loader;
  for (std::size_t index = 1; index < kLanguageLibraries.size(); ++index) {
    SCOPED_TRACE(kLanguageLibraries[index]);
    const auto library = loader.Open(kLanguageLibraries[index], nullptr);
    ASSERT_NE(library, nullptr);
    EXPECT_TRUE(library->Find(kIdcImportSelected));
    EXPECT_NE(library->Find(kIdcClose), EnglishStrings().Load(kIdcClose));
  }
}

TEST(ResourceLibraryTest, TheApplicationLoadsLibrariesAndNamesTheMissingOne) {
  test::MemoryProfile profile;
  AppContext context = test::TestAppContext({}, "C:\\nowhere\\", profile);
  context.libraries = std::make_shared<test::AbsentLibraryLoader>("ZULRQX340_JAP.DLL");
  context.program_strings = &ProgramStrings();
  context.settings_location = RegistrySettingsKey;
  CRQX340App app(std::move(context));
  test::RecordingSink sink;
  app.LoadLanguageLibrary(4, sink);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "ZULRQX340_JAP.DLL WARNING! Language DLL not found.");
  EXPECT_EQ(ResourceModule(app), GetModuleHandleW(nullptr));
  app.LoadLanguageLibrary(3, sink);
  EXPECT_EQ(sink.messages.size(), 1u);
  ASSERT_TRUE(app.LanguageLoaded());
  EXPECT_NE(ResourceModule(app), GetModuleHandleW(nullptr));
  EXPECT_EQ(app.Strings().Load(1111), "&Rohdaten importieren");
  app.ExitInstance();
  EXPECT_EQ(ResourceModule(app), GetModuleHandleW(nullptr));
  EXPECT_EQ(app.Strings().Load(1111), "Import &Raw");
}

TEST(ResourceLibraryTest, TheHostsResourceLibraryNamesTheRegistryKey) {
  test::MemoryProfile profile;
  AppContext context = test::TestAppContext({}, "C:\\nowhere\\", profile);
  context.libraries = std::make_shared<DllLibraryLoader>();
  context.settings_location = RegistrySettingsKey;
  CRQX340App app(std::move(context));
  app.LocateSettings();
  EXPECT_EQ(app.SettingsPath(), "Software\\rqx340-import");
  // A ZULR.DLL found by the system's search, which takes in the current folder.
  wchar_t before[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, before);
  ASSERT_NE(SetCurrentDirectoryW(win32::Wide(RQX340_HOST_LIBRARY_DIR).c_str()), 0);
  app.LocateSettings();
  SetCurrentDirectoryW(before);
  EXPECT_EQ(app.SettingsPath(), "Software\\Corvantis\\Suite");
}

}  // namespace
}  // namespace rqx340
