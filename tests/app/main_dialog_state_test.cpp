// The main dialog's rules without a window: the folder, the history and the
// folder box's list, the buttons, the import request and closing.
#include "app/main_dialog_state.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <new>

#include "app/main_dialog_template.h"
#include "gen/measurement_generator.h"
#include "support/app_context.h"
#include "support/measurement_records.h"
#include "support/recording_progress.h"
#include "support/recording_sink.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::MemoryProfile;

// Calls `during` at every step of a scan.
class SteppingProgress final : public ProgressSink {
 public:
  explicit SteppingProgress(std::function<void()> during) : m_during(std::move(during)) {}
  void SetRange(std::int32_t, std::int32_t) override {}
  void SetPos(std::int32_t) override {}
  void SetStep(std::int32_t) override {}
  void StepIt() override { m_during(); }
  void Show() override {}
  void Hide() override {}

 private:
  std::function<void()> m_during;
};

class MainDialogStateTest : public ::testing::Test {
 protected:
  // Settings in `profile` whatever the system's settings folder.
  std::unique_ptr<CRQX340App> MakeApp() {
    auto app = std::make_unique<CRQX340App>(test::TestAppContext(
        {{"XDG_CONFIG_HOME", "/nonexistent/config"}, {"APPDATA", "/nonexistent/appdata"}},
        "/nonexistent/", profile));
    app->LocateSettings();
    return app;
  }
  std::unique_ptr<MainDialogState> MakeState(CRQX340App& app,
                                             FolderTextMatch match = FolderTextMatch::kExact) {
    auto state = std::make_unique<MainDialogState>(app, match);
    state->InitDialog();
    return state;
  }
  // A folder of `count` measurements, the first `raw` with a raw data file.
  std::string Folder(const std::string& name, std::uint32_t count = 1, std::uint32_t raw = 0) {
    const fs::path folder = root.Path() / name;
    gen::GeneratorOptions options;
    options.count = count;
    options.rows = 2;
    options.raw = raw;
    options.raw_samples = 4;
    std::string error;
    EXPECT_TRUE(gen::WriteMeasurements(options, folder.string(), &error)) << error;
    return folder.string();
  }
  static std::vector<FolderEntry> Entries(std::initializer_list<FolderEntry> entries) {
    return entries;
  }

  test::TempDir root;
  MemoryProfile profile;
  NullProgressSink progress;
};

TEST_F(MainDialogStateTest, TheFirstStartWithoutSettings) {
  auto app = MakeApp();
  auto state = MakeState(*app);
  EXPECT_EQ(state->ImportRaw(), 1);
  EXPECT_EQ(state->Folder(), "");
  EXPECT_TRUE(state->FolderEntries().empty());
  EXPECT_EQ(state->ShownFolderEntry(), -1);
  EXPECT_EQ(state->FolderHistory(), std::vector<std::string>(kFolderHistorySize));
  EXPECT_EQ(state->Controls(), (MainDialogControls{false, false, true}));
  // No folder: the start timer scans nothing.
  EXPECT_FALSE(state->OnTimer(progress));
  EXPECT_EQ(state->Scans(), 0);
  EXPECT_FALSE(state->Busy());
  EXPECT_TRUE(state->TakesTypedFolder());
}

TEST_F(MainDialogStateTest, TheHistoryStopsAtItsFirstEmptyEntryAndTheLastFolderGoesOnTop) {
  profile.values[{"RQX340Import", "UsedFolder0"}] = "/m/A";
  profile.values[{"RQX340Import", "UsedFolder2"}] = "/m/C";
  profile.values[{"RQX340Import", "LastFolder"}] = "/m/D";
  profile.values[{"RQX340Import", "Raw"}] = "0";
  auto app = MakeApp();
  auto state = MakeState(*app);
  EXPECT_EQ(state->FolderEntries(), Entries({{"/m/D", false}, {"/m/A", false}}));
  EXPECT_EQ(state->FolderHistory()[0], "/m/A");
  EXPECT_EQ(state->FolderHistory()[1], "");
  EXPECT_EQ(state->Folder(), "/m/D");
  EXPECT_EQ(state->ShownFolderEntry(), 0);
  EXPECT_EQ(state->ImportRaw(), 0);
  // A missing folder is scanned and lists nothing.
  EXPECT_TRUE(state->OnTimer(progress));
  EXPECT_EQ(state->Scans(), 1);
  EXPECT_TRUE(state->Controls().empty_text_visible);
}

TEST_F(MainDialogStateTest, ATypedFolderStandsOnTopUntilTheNextAndOnlyAChangeRescans) {
  const std::string old_folder = Folder("old");
  const std::string new_folder = Folder("new", 2);
  const std::string other = Folder("other", 3);
  profile.values[{"RQX340Import", "UsedFolder0"}] = old_folder;
  profile.values[{"RQX340Import", "LastFolder"}] = old_folder;
  auto app = MakeApp();
  auto state = MakeState(*app);
  ASSERT_TRUE(state->OnTimer(progress));

  enum Action { kType, kPick, kBrowse };
  struct Step {
    const char* name;
    Action action;
    std::string text;  // typed or browsed
    int entry;         // picked
    bool scanned;
    int rows;
    std::vector<FolderEntry> entries;
    std::string folder;
  };
  const Step steps[] = {
      {"a typed folder",
       kType,
       new_folder,
       0,
       true,
       2,
       {{new_folder, true}, {old_folder, false}},
       new_folder},
      {"the next one takes its place",
       kType,
       other,
       0,
       true,
       3,
       {{other, true}, {old_folder, false}},
       other},
      {"the same text: no scan",
       kType,
       other,
       0,
       false,
       3,
       {{other, true}, {old_folder, false}},
       other},
      {"a pick scans and leaves the typed entry",
       kPick,
       "",
       1,
       true,
       1,
       {{other, true}, {old_folder, false}},
       old_folder},
      {"a pick of the folder shown scans too",
       kPick,
       "",
       1,
       true,
       1,
       {{other, true}, {old_folder, false}},
       old_folder},
      {"a pick outside the list: nothing",
       kPick,
       "",
       2,
       false,
       1,
       {{other, true}, {old_folder, false}},
       old_folder},
      {"a browsed folder is a typed one",
       kBrowse,
       new_folder,
       0,
       true,
       2,
       {{new_folder, true}, {old_folder, false}},
       new_folder},
      {"browsing the folder shown: nothing",
       kBrowse,
       new_folder,
       0,
       false,
       2,
       {{new_folder, true}, {old_folder, false}},
       new_folder},
      {"a folder of the list typed: no typed entry",
       kType,
       old_folder,
       0,
       true,
       1,
       {{old_folder, false}},
       old_folder},
      {"an empty text lists nothing and is not offered",
       kType,
       "",
       0,
       true,
       0,
       {{old_folder, false}},
       ""},
  };
  int scans = state->Scans();
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    bool scanned = false;
    switch (step.action) {
      case kType:
        scanned = state->OnKillFocusFolder(step.text, progress);
        break;
      case kPick:
        scanned = state->OnSelChangeFolder(step.entry, progress);
        break;
      case kBrowse:
        scanned = state->OnBrowsed(step.text, progress);
        break;
    }
    EXPECT_EQ(scanned, step.scanned);
    scans += step.scanned ? 1 : 0;
    EXPECT_EQ(state->Scans(), scans);
    EXPECT_EQ(state->List().RowCount(), step.rows);
    EXPECT_EQ(state->FolderEntries(), step.entries);
    EXPECT_EQ(state->Folder(), step.folder);
  }
}

TEST_F(MainDialogStateTest, FolderTextsMatchByteForByteOrWithoutAsciiCase) {
  profile.values[{"RQX340Import", "UsedFolder0"}] = "/m/A";
  profile.values[{"RQX340Import", "UsedFolder1"}] = "/m/B";
  profile.values[{"RQX340Import", "UsedFolder2"}] = "/m/C";
  profile.values[{"RQX340Import", "LastFolder"}] = "/m/a";
  struct Case {
    FolderTextMatch match;
    std::vector<FolderEntry> entries;  // after set-up
    bool rescans;                      // "/M/A" typed over "/m/a"
    std::vector<std::string> history;  // after an import from "/m/b"
  };
  const Case cases[] = {
      {FolderTextMatch::kExact,
       {{"/m/a", false}, {"/m/A", false}, {"/m/B", false}, {"/m/C", false}},
       true,
       {"/m/b", "/m/A", "/m/B", "/m/C"}},
      {FolderTextMatch::kIgnoringAsciiCase,
       {{"/m/A", false}, {"/m/B", false}, {"/m/C", false}},
       false,
       {"/m/b", "/m/A", "/m/C"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.match == FolderTextMatch::kExact ? "exact" : "ignoring case");
    auto app = MakeApp();
    auto state = MakeState(*app, c.match);
    EXPECT_EQ(state->FolderEntries(), c.entries);
    EXPECT_EQ(state->ShownFolderEntry(), 0);
    EXPECT_EQ(state->OnKillFocusFolder("/M/A", progress), c.rescans);
    // The text is the field's, either way.
    EXPECT_EQ(state->Folder(), "/M/A");
    state->SetFolderText("/m/b");
    state->BeginImport();
    state->EndImport();
    std::vector<std::string> history = c.history;
    history.resize(kFolderHistorySize);
    EXPECT_EQ(state->FolderHistory(), history);
  }
}

TEST_F(MainDialogStateTest, ImportsMoveTheFolderToTheTopOfTheHistoryAndIntoTheSettings) {
  auto app = MakeApp();
  auto state = MakeState(*app);
  std::vector<std::string> folders;
  for (int i = 0; i < 11; ++i) folders.push_back("/f" + std::to_string(i));
  for (const std::string& folder : folders) {
    state->OnKillFocusFolder(folder, progress);
    EXPECT_EQ(state->FolderEntries().front(), (FolderEntry{folder, true}));
    state->BeginImport();
    EXPECT_TRUE(state->Busy());
    EXPECT_FALSE(state->TakesTypedFolder());
    state->EndImport();
    EXPECT_FALSE(state->Busy());
    // The typed entry is gone: the list is the history.
    EXPECT_EQ(state->FolderEntries().front(), (FolderEntry{folder, false}));
    EXPECT_EQ(state->ShownFolderEntry(), 0);
  }
  const std::vector<std::string> ten(folders.rbegin(), folders.rbegin() + kFolderHistorySize);
  EXPECT_EQ(state->FolderHistory(), ten);
  EXPECT_EQ(state->FolderEntries().size(), static_cast<std::size_t>(kFolderHistorySize));

  // Again from f5: it moves up, nothing drops out.
  state->SetFolderText(folders[5]);
  state->BeginImport();
  state->EndImport();
  EXPECT_EQ(state->FolderHistory()[0], folders[5]);
  EXPECT_EQ(state->FolderHistory()[1], folders[10]);
  EXPECT_EQ(state->FolderHistory()[9], folders[1]);
  EXPECT_EQ(app->Settings().LastFolder(), folders[5]);
  EXPECT_EQ(app->CachedGetProfileString("RQX340Import", "UsedFolder0"), folders[5]);
  EXPECT_EQ(app->CachedGetProfileString("RQX340Import", "UsedFolder9"), folders[1]);
  EXPECT_TRUE(profile.writes.empty());  // at exit
  app->FlushProfileCache();
  EXPECT_EQ(profile.values.at({"RQX340Import", "LastFolder"}), folders[5]);
}

TEST_F(MainDialogStateTest, TheCheckedRowsRawFlagsDecideTheButtons) {
  auto app = MakeApp();
  auto state = MakeState(*app);
  MeasurementListModel& list = state->List();
  // Descending by name: c (raw file), b (raw missing), a (none).
  list.SetRecords({test::Record("a", 1, "", 1, "HA", 0), test::Record("b", 1, "", 1, "HA", 2),
                   test::Record("c", 1, "", 1, "HA", 1)});
  struct Step {
    int row;
    bool checked;
    MainDialogControls controls;
  };
  const Step steps[] = {
      {1, true, {true, false, false}},  // raw announced but missing
      {0, true, {true, true, false}},
      {0, false, {true, false, false}},
      {1, false, {false, false, false}},  // the last one unchecked
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.row);
    list.OnItemChanged(step.row, step.checked);
    EXPECT_EQ(state->Controls(), step.controls);
  }
  // The raw state of the box is the user's, whatever the buttons say.
  EXPECT_EQ(state->ImportRaw(), 1);
}

TEST_F(MainDialogStateTest, TheImportRequestNamesTheCheckedRowsInDisplayOrder) {
  const std::string folder = Folder("meas", 3, 1);
  profile.values[{"RQX340Import", "LastFolder"}] = folder;
  auto app = MakeApp();
  auto state = MakeState(*app);
  ASSERT_TRUE(state->OnTimer(progress));
  // Descending by name: M0003, M0002, M0001 (the one with raw data).
  state->List().OnItemChanged(2, true);
  state->List().OnItemChanged(0, true);
  state->SetImportRaw(false);
  const ImportRequest request = state->MakeImportRequest();
  ASSERT_EQ(request.items.size(), 2u);
  EXPECT_EQ(request.items[0].record.m_strName, "M0003.rqx2");
  EXPECT_EQ(request.items[1].record.m_strName, "M0001.rqx2");
  EXPECT_EQ(request.items[1].record.m_nRaw, 1);
  EXPECT_EQ(WithTrailingSlash(request.items[0].folder), WithTrailingSlash(folder));
  EXPECT_FALSE(request.import_raw);
  EXPECT_EQ(request.exchange_index, -1);
  EXPECT_EQ(request.client_window, 0u);
  // The running program's name without folder and extension.
  EXPECT_EQ(request.exe_name, "app_tests");
}

TEST_F(MainDialogStateTest, TheSavedSizeNeverBelowTheTemplateAndEverySizeAfterSetUpIsKept) {
  struct Case {
    const char* name;
    std::optional<std::string> width, height;
    WindowSize expected;
  };
  const Case cases[] = {
      {"larger", "2000", "900", {2000, 900}},
      {"smaller", "300", "10", {600, 400}},
      {"not numbers", "wide", std::nullopt, {600, 400}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    profile = MemoryProfile();
    if (c.width) profile.values[{"RQX340Import", "Width"}] = *c.width;
    if (c.height) profile.values[{"RQX340Import", "Height"}] = *c.height;
    auto app = MakeApp();
    MainDialogState state(*app, FolderTextMatch::kExact);
    const std::int32_t stored_width = app->Settings().Width();
    state.OnSize({640, 480});  // before set-up: the template's own, not kept
    EXPECT_EQ(app->Settings().Width(), stored_width);
    state.InitDialog();
    EXPECT_EQ(state.InitialSize({600, 400}), c.expected);
    state.OnSize(c.expected);
    EXPECT_EQ(app->CachedGetProfileInt("RQX340Import", "Width", -1), c.expected.width);
    EXPECT_EQ(app->CachedGetProfileInt("RQX340Import", "Height", -1), c.expected.height);
  }
}

TEST(ClampWindowSizeTest, TheSavedSizeStaysInsideTheScreenAndNeverBelowTheTemplate) {
  struct Case {
    const char* name;
    WindowSize wanted, available, expected;
  };
  const WindowSize minimum{600, 400};
  const Case cases[] = {
      {"inside", {800, 500}, {1920, 1040}, {800, 500}},
      {"larger than the screen", {2147483647, 2147483647}, {1920, 1040}, {1920, 1040}},
      {"wider only", {5000, 500}, {1920, 1040}, {1920, 500}},
      {"smaller than the template", {300, 10}, {1920, 1040}, {600, 400}},
      {"zero or less", {0, -5}, {1920, 1040}, {600, 400}},
      {"a screen smaller than the template", {2000, 2000}, {500, 300}, {600, 400}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ClampWindowSize(c.wanted, minimum, c.available), c.expected);
  }
}

TEST_F(MainDialogStateTest, TheSavedSizeIsClampedToTheAvailableArea) {
  profile.values[{"RQX340Import", "Width"}] = "2147483647";
  profile.values[{"RQX340Import", "Height"}] = "200";
  auto app = MakeApp();
  auto state = MakeState(*app);
  EXPECT_EQ(state->InitialSize({600, 400}, {1280, 1024}), (WindowSize{1280, 400}));
}

TEST_F(MainDialogStateTest, AnImportBrokenOffOutsideTheRunIsSaidOnceAndEndsTheBusyState) {
  const std::string folder = Folder("meas", 2);
  profile.values[{"RQX340Import", "LastFolder"}] = folder;
  auto app = MakeApp();
  auto state = MakeState(*app);
  ASSERT_TRUE(state->OnTimer(progress));
  state->List().OnItemChanged(0, true);
  state->List().OnItemChanged(1, true);
  test::RecordingSink messages;
  test::CallLog log;
  test::RecordingProgressSink bar(log);
  bool busy_before_run = false;
  const ImportResult result = state->ImportSelected(messages, bar, [&] {
    busy_before_run = state->Busy();
    throw std::bad_alloc();
  });
  EXPECT_TRUE(busy_before_run);
  EXPECT_FALSE(state->Busy());
  EXPECT_TRUE(result.outcomes.empty());
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].id, kIdsImportBrokenOff);
  EXPECT_EQ(messages.messages[0].text,
            "WARNING! The import stopped: out of memory. 0 of 2 measurements were imported.");
  EXPECT_EQ(log.Count("hide"), 1u);
  // The folder went to the history all the same: it was the one imported from.
  EXPECT_EQ(state->FolderHistory()[0], folder);
}

TEST_F(MainDialogStateTest, CloseIsIgnoredDuringAnImportAndWaitsForAScan) {
  const std::string folder = Folder("meas", 3);
  auto app = MakeApp();
  auto state = MakeState(*app);
  state->SetImportRaw(false);

  state->BeginImport();
  EXPECT_EQ(state->RequestClose(), MainDialogState::CloseAnswer::kIgnore);
  EXPECT_FALSE(state->CanPreview(0));
  state->EndImport();

  std::vector<MainDialogState::CloseAnswer> during;
  std::vector<bool> typed_during;
  std::vector<bool> preview_during;
  SteppingProgress stepping([&] {
    during.push_back(state->RequestClose());
    typed_during.push_back(state->TakesTypedFolder());
    preview_during.push_back(state->CanPreview(0));
  });
  EXPECT_FALSE(state->TakeDeferredClose());
  ASSERT_TRUE(state->OnKillFocusFolder(folder, stepping));
  ASSERT_FALSE(during.empty());
  EXPECT_EQ(during.front(), MainDialogState::CloseAnswer::kDefer);
  EXPECT_FALSE(typed_during.front());
  EXPECT_FALSE(preview_during.front());
  EXPECT_TRUE(state->TakeDeferredClose());
  EXPECT_FALSE(state->TakeDeferredClose());
  EXPECT_TRUE(state->CanPreview(0));
  EXPECT_FALSE(state->CanPreview(3));

  EXPECT_EQ(state->RequestClose(), MainDialogState::CloseAnswer::kClose);
  state->Close();
  EXPECT_FALSE(state->TakesTypedFolder());
  EXPECT_FALSE(state->OnKillFocusFolder("/elsewhere", progress));
  EXPECT_EQ(state->Folder(), folder);
  EXPECT_EQ(app->CachedGetProfileInt("RQX340Import", "Raw", -1), 0);
}

TEST(MainDialogTemplateTest, ALanguageMayMoveAControlOfTheTemplate) {
  const LanguageTable german = LanguageTable::Parse("@1002\t100,183,152,14\n", nullptr);
  EXPECT_EQ(ControlPlace(kIdcImportSelected, &german), (ControlPosition{100, 183, 152, 14}));
  EXPECT_EQ(ControlPlace(kIdcImportSelected, nullptr), (ControlPosition{137, 183, 115, 14}));
  EXPECT_EQ(ControlPlace(kIdcClose, &german), (ControlPosition{335, 183, 50, 14}));
  EXPECT_EQ(ControlPlace(4711, &german), std::nullopt);
}

// In every shipped language the controls stay inside the dialog and apart;
// only the list and the note over it share their place, and the folder box's
// height is that of its open list (its closed box is one line high).
TEST(MainDialogTemplateTest, EveryLanguageKeepsItsControlsInsideAndApart) {
  int languages = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(RQX340_SOURCE_DIR) + "/res/lang")) {
    const std::string file = entry.path().filename().string();
    SCOPED_TRACE(file);
    const auto table =
        LanguageTable::Open(file, {entry.path().parent_path().string() + "/"}, nullptr);
    ASSERT_TRUE(table);
    ++languages;
    std::vector<std::pair<std::uint32_t, ControlPosition>> placed;
    for (const DialogControl& control : kMainDialogControls) {
      if (control.id == kIdcNoMeasurements) continue;
      ControlPosition place = *ControlPlace(control.id, &*table);
      if (control.id == kIdcFolder) place.height = 12;
      EXPECT_GE(place.x, 0) << control.id;
      EXPECT_GE(place.y, 0) << control.id;
      EXPECT_LE(place.x + place.width, kTemplateWidthDu) << control.id;
      EXPECT_LE(place.y + place.height, kTemplateHeightDu) << control.id;
      placed.emplace_back(control.id, place);
    }
    for (std::size_t a = 0; a < placed.size(); ++a) {
      for (std::size_t b = a + 1; b < placed.size(); ++b) {
        const ControlPosition& p = placed[a].second;
        const ControlPosition& q = placed[b].second;
        const bool apart = p.x + p.width <= q.x || q.x + q.width <= p.x || p.y + p.height <= q.y ||
                           q.y + q.height <= p.y;
        EXPECT_TRUE(apart) << placed[a].first << " and " << placed[b].first;
      }
    }
  }
  EXPECT_EQ(languages, 6);
}

TEST(MainDialogTemplateTest, NineControlsInRegistrationOrderInsideTheTemplate) {
  const std::uint32_t order[] = {kIdcFolderLabel,    kIdcFolder,    kIdcBrowse,
                                 kIdcList,           kIdcProgress,  kIdcClose,
                                 kIdcImportSelected, kIdcImportRaw, kIdcNoMeasurements};
  ASSERT_EQ(kMainDialogControls.size(), std::size(order));
  for (std::size_t i = 0; i < std::size(order); ++i) {
    const DialogControl& control = kMainDialogControls[i];
    SCOPED_TRACE(control.id);
    EXPECT_EQ(control.id, order[i]);
    EXPECT_EQ(FindMainDialogControl(control.id), &control);
    EXPECT_GE(control.x, 0);
    EXPECT_LE(control.x + control.width, kTemplateWidthDu);
    // The folder box's height is that of its open list.
    if (control.id != kIdcFolder) {
      EXPECT_LE(control.y + control.height, kTemplateHeightDu);
    }
  }
  EXPECT_EQ(FindMainDialogControl(4711), nullptr);
  const DialogControl* close = FindMainDialogControl(kIdcClose);
  EXPECT_EQ(close->anchors, ANCHOR_RIGHT | ANCHOR_BOTTOM);
  EXPECT_EQ(FindMainDialogControl(kIdcImportRaw)->anchors, 25u);
  EXPECT_EQ(FindMainDialogControl(kIdcList)->anchors, 15u);
}

}  // namespace
}  // namespace rqx340
