// The main dialog in the program, offscreen: settings in memory, measurements
// written by the generator, and for the imports a zul-refhost that serves this
// test program, so that the import runs in this process.
#include "ui/qt/main_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QStyleOption>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <chrono>
#include <filesystem>
#include <thread>

#include "gen/measurement_generator.h"
#include "platform/process.h"
#include "scripted_dialog_runner.h"
#include "support/app_context.h"
#include "support/command_log_reader.h"
#include "support/recording_sink.h"
#include "support/run_program.h"
#include "support/session.h"
#include "support/temp_dir.h"
#include "ui/qt/dialog_program.h"
#include "ui/qt/message_box_sink.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::MemoryProfile;
using test::ProcessEvents;

constexpr const char* kNoConnection =
    "WARNING! Connection with the main application is not possible.";

// Handles events until `done` says so, for at most 20 s.
template <typename Done>
bool WaitUntil(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    ProcessEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

void SendKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(&widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(&widget, &release);
}

class MainDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(root.Path() / "data");
    std::filesystem::create_directories(root.Path() / "bin");
  }

  // Writes `count` measurements into `folder` (created when missing).
  static void Generate(const fs::path& folder, gen::GeneratorOptions options) {
    std::string error;
    ASSERT_TRUE(gen::WriteMeasurements(options, folder.string(), &error)) << error;
  }

  // Runs the program's dialog with `script` against the host window `host`.
  void Run(WindowHandle host, std::function<void(CRQX340MainDlg&)> script,
           MessageSink* messages = nullptr) {
    CRQX340App app(test::TestAppContext({{"RQX340_DATA_DIR", (root.Path() / "data").string()},
                                         {"XDG_CONFIG_HOME", (root.Path() / "config").string()}},
                                        (root.Path() / "bin").string() + "/", profile));
    const std::vector<std::string> arguments = {test::HostSwitch(host), "-l0", "-k0", "-i0"};
    std::int32_t language = 0;
    ASSERT_TRUE(app.InitInstance(arguments, language));
    test::ScriptedDialogRunner runner;
    runner.script = [&](QDialog& dialog) {
      auto& main = dynamic_cast<CRQX340MainDlg&>(dialog);
      ASSERT_TRUE(WaitUntil([&] { return !main.StartTimerPending(); }));
      script(main);
    };
    RunDialogProgram(app, language, messages != nullptr ? *messages : sink, runner,
                     [this](QWidget* owner, const QString& title, const std::string& initial) {
                       chooser_calls.push_back({owner, title, initial});
                       if (on_choose) on_choose();
                       return chooser_answer;
                     });
  }

  // A window of this process as the host: enough for everything but an import.
  WindowHandle FakeHost() {
    if (!fake_host) fake_host = test::MakeWindow(session.Open());
    return fake_host->Handle();
  }

  // A zul-refhost that serves this very program, so the import runs here.
  WindowHandle StartRefHost(const std::vector<std::string>& extra = {}) {
    const auto self = RunningExecutablePath();
    EXPECT_TRUE(self);
    std::vector<std::string> arguments = {"--tool",       *self,   "--inbox",
                                          inbox.string(), "--log", log.string()};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    host.emplace(session, arguments);
    EXPECT_TRUE(host->Started()) << host->FirstLine();
    return host->Window();
  }
  std::vector<std::uint32_t> StopHostAndReadCommands() {
    if (host) host->Stop();
    host.reset();
    return test::CommandsOf(test::ReadCommandLog(log));
  }

  // Another run that holds the session's transfer lock: it says "locked", and
  // lets go when its stdin is closed.
  Result<ChildProcess> HoldTransferLock() {
    return ChildProcess::Spawn(test::ProgramPath("rqx340-testclient"), {"hold-lock", "ZURQX340LCK"},
                               session.ChildOptions());
  }

  // Types `folder` into the folder box and leaves it.
  static void TypeFolder(CRQX340MainDlg& dialog, const std::string& folder) {
    dialog.FolderCombo().setEditText(QString::fromStdString(folder));
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&dialog.FolderCombo(), &out);
  }
  // Picks entry `index` from the open list.
  static void PickFolder(CRQX340MainDlg& dialog, int index) {
    dialog.FolderCombo().setCurrentIndex(index);
    emit dialog.FolderCombo().activated(index);
  }
  static std::vector<std::string> Entries(CRQX340MainDlg& dialog) {
    std::vector<std::string> entries;
    for (int i = 0; i < dialog.FolderCombo().count(); ++i) {
      entries.push_back(dialog.FolderCombo().itemText(i).toStdString());
    }
    return entries;
  }
  static void CheckRows(CRQX340MainDlg& dialog, std::initializer_list<int> rows) {
    for (const int row : rows) dialog.List().OnItemChanged(row, true);
  }
  std::string Stored(const std::string& entry) {
    const auto found = profile.values.find({"RQX340Import", entry});
    return found == profile.values.end() ? "<none>" : found->second;
  }

  struct ChooserCall {
    QWidget* owner;
    QString title;
    std::string initial;
  };

  test::TestSession session;
  test::TempDir root;
  fs::path inbox = root.Path() / "inbox";
  fs::path log = root.Path() / "commands.log";
  std::unique_ptr<MessageEndpoint> fake_host;
  std::optional<test::RefHost> host;
  MemoryProfile profile;
  test::RecordingSink sink;
  std::optional<std::string> chooser_answer;
  std::function<void()> on_choose;
  std::vector<ChooserCall> chooser_calls;
};

TEST_F(MainDialogTest, TheFirstStartWithoutSettings) {
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    EXPECT_TRUE(dialog.ImportRawBox().isChecked());
    EXPECT_FALSE(dialog.ImportRawBox().isEnabled());
    EXPECT_FALSE(dialog.ImportButton().isEnabled());
    EXPECT_EQ(dialog.FolderCombo().currentText(), "");
    EXPECT_EQ(dialog.FolderCombo().count(), 0);
    EXPECT_EQ(dialog.List().Model().rowCount(), 0);
    EXPECT_TRUE(dialog.EmptyText().isVisible());
    EXPECT_EQ(dialog.EmptyText().text(), "No valid measurements in selected folder!");
    EXPECT_EQ(dialog.State().Scans(), 0);
    EXPECT_FALSE(dialog.ProgressBar().isVisible());
    // The template's controls, in dialog units, in the widget that holds them.
    const DialogUnits& units = dialog.Units();
    EXPECT_EQ(dialog.List().geometry(), ToQRect(units.ToPixels(4, 21, 381, 158)));
    EXPECT_EQ(dialog.ImportButton().geometry(), ToQRect(units.ToPixels(137, 183, 115, 14)));
    EXPECT_EQ(dialog.ImportButton().text(), "&Import selected...");
    EXPECT_EQ(dialog.List().parentWidget(), &dialog.Content());
    EXPECT_TRUE(dialog.FolderCombo().isEditable());
    EXPECT_EQ(dialog.FolderCombo().insertPolicy(), QComboBox::NoInsert);
    EXPECT_EQ(dialog.FolderCombo().completer(), nullptr);
    EXPECT_EQ(dialog.List().Header().ArrowOf(0), 146);
    for (QPushButton* button :
         {&dialog.BrowseButton(), &dialog.ImportButton(), &dialog.CloseButton()}) {
      EXPECT_FALSE(button->autoDefault() || button->isDefault());
    }
  });
  EXPECT_EQ(Stored("Raw"), "1");
  EXPECT_EQ(Stored("LastFolder"), "<none>");
}

TEST_F(MainDialogTest, TheHistoryStopsAtItsFirstEmptyEntryAndTheLastFolderGoesOnTop) {
  profile.values[{"RQX340Import", "UsedFolder0"}] = "/m/A";
  profile.values[{"RQX340Import", "UsedFolder2"}] = "/m/C";
  profile.values[{"RQX340Import", "LastFolder"}] = "/m/D";
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    EXPECT_EQ(Entries(dialog), (std::vector<std::string>{"/m/D", "/m/A"}));
    EXPECT_EQ(dialog.FolderCombo().currentText(), "/m/D");
    EXPECT_EQ(dialog.FolderCombo().currentIndex(), 0);
    // A missing folder was scanned and lists nothing.
    EXPECT_EQ(dialog.State().Scans(), 1);
    EXPECT_TRUE(dialog.EmptyText().isVisible());
  });
}

TEST_F(MainDialogTest, ImportsMoveTheFolderToTheTopOfTheHistoryByteForByte) {
  // Eleven folders of one measurement each; the names differ in case only for
  // two of them, which are two folders here.
  std::vector<std::string> folders;
  for (const char* name : {"f0", "f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "F9"}) {
    folders.push_back((root.Path() / name).string());
    Generate(root.Path() / name, {.count = 1, .rows = 2});
  }
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    for (const std::string& folder : folders) {
      TypeFolder(dialog, folder);
      ASSERT_EQ(dialog.List().Model().rowCount(), 1) << folder;
      CheckRows(dialog, {0});
      dialog.ImportButton().click();
      EXPECT_FALSE(dialog.State().Busy());
      EXPECT_TRUE(dialog.Content().isEnabled());
    }
    // The fake host offers no exchange area: every import says so.
    EXPECT_EQ(sink.messages.size(), folders.size());
    EXPECT_EQ(sink.messages.back().text, kNoConnection);
    std::vector<std::string> expected(folders.rbegin(), folders.rbegin() + 10);
    EXPECT_EQ(dialog.State().FolderHistory(), expected);
    EXPECT_EQ(Entries(dialog), expected);
    EXPECT_EQ(dialog.FolderCombo().currentIndex(), 0);

    // Again from f5: it moves up, nothing drops out.
    TypeFolder(dialog, folders[5]);
    CheckRows(dialog, {0});
    dialog.ImportButton().click();
    EXPECT_EQ(dialog.State().FolderHistory().front(), folders[5]);
    EXPECT_EQ(dialog.State().FolderHistory()[1], folders[10]);
    EXPECT_EQ(std::count(dialog.State().FolderHistory().begin(),
                         dialog.State().FolderHistory().end(), folders[5]),
              1);
    EXPECT_EQ(dialog.State().FolderHistory().back(), folders[1]);
  });
  EXPECT_EQ(Stored("LastFolder"), folders[5]);
  EXPECT_EQ(Stored("UsedFolder0"), folders[5]);
  EXPECT_EQ(Stored("UsedFolder1"), folders[10]);
  EXPECT_EQ(Stored("UsedFolder2"), folders[9]);
  EXPECT_EQ(Stored("UsedFolder9"), folders[1]);
}

TEST_F(MainDialogTest, ATypedFolderStandsOnTopUntilTheNextAndOnlyAChangeRescans) {
  profile.values[{"RQX340Import", "UsedFolder0"}] = (root.Path() / "old").string();
  profile.values[{"RQX340Import", "LastFolder"}] = (root.Path() / "old").string();
  Generate(root.Path() / "new", {.count = 2, .rows = 2});
  Generate(root.Path() / "other", {.count = 3, .rows = 2});
  const std::string old_folder = (root.Path() / "old").string();
  const std::string new_folder = (root.Path() / "new").string();
  const std::string other = (root.Path() / "other").string();
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    EXPECT_EQ(dialog.State().Scans(), 1);
    TypeFolder(dialog, new_folder);
    EXPECT_EQ(dialog.State().Scans(), 2);
    EXPECT_EQ(dialog.List().Model().rowCount(), 2);
    EXPECT_EQ(Entries(dialog), (std::vector<std::string>{new_folder, old_folder}));
    EXPECT_EQ(dialog.FolderCombo().itemData(0).toInt(), 1);
    EXPECT_EQ(dialog.FolderCombo().currentIndex(), 0);

    TypeFolder(dialog, other);
    EXPECT_EQ(dialog.List().Model().rowCount(), 3);
    EXPECT_EQ(Entries(dialog), (std::vector<std::string>{other, old_folder}));

    // The same text again: no scan. Other letter case is another folder here.
    TypeFolder(dialog, other);
    EXPECT_EQ(dialog.State().Scans(), 3);
    std::string upper = other;
    upper.back() = 'R';
    TypeFolder(dialog, upper);
    EXPECT_EQ(dialog.State().Scans(), 4);
    EXPECT_EQ(dialog.List().Model().rowCount(), 0);
    EXPECT_EQ(Entries(dialog), (std::vector<std::string>{upper, old_folder}));

    // A pick scans, also the folder shown, and leaves the typed entry in place.
    PickFolder(dialog, 1);
    EXPECT_EQ(dialog.State().Folder(), old_folder);
    EXPECT_EQ(dialog.State().Scans(), 5);
    PickFolder(dialog, 1);
    EXPECT_EQ(dialog.State().Scans(), 6);
    EXPECT_EQ(Entries(dialog), (std::vector<std::string>{upper, old_folder}));

    // Leaving for the own list, or because the controls are disabled, is no change.
    dialog.FolderCombo().setEditText(QString::fromStdString(new_folder));
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(&dialog.FolderCombo(), &popup);
    EXPECT_EQ(dialog.State().Scans(), 6);
    dialog.Content().setEnabled(false);
    QFocusEvent disabled(QEvent::FocusOut, Qt::OtherFocusReason);
    QApplication::sendEvent(&dialog.FolderCombo(), &disabled);
    dialog.Content().setEnabled(true);
    EXPECT_EQ(dialog.State().Scans(), 6);
    EXPECT_EQ(dialog.State().Folder(), old_folder);

    // An empty text lists nothing and is not offered.
    TypeFolder(dialog, "");
    EXPECT_EQ(dialog.State().Scans(), 7);
    EXPECT_EQ(dialog.List().Model().rowCount(), 0);
    EXPECT_EQ(Entries(dialog), (std::vector<std::string>{old_folder}));
  });
}

TEST_F(MainDialogTest, KeysAndTheWheelOfTheClosedBoxAndEnterPickNothing) {
  profile.values[{"RQX340Import", "UsedFolder0"}] = "/m/A";
  profile.values[{"RQX340Import", "UsedFolder1"}] = "/m/B";
  profile.values[{"RQX340Import", "LastFolder"}] = "/m/A";
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    QComboBox& combo = dialog.FolderCombo();
    const int scans = dialog.State().Scans();
    combo.setFocus();
    for (const int key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp}) {
      SendKey(combo, key);
    }
    QWheelEvent wheel(QPointF(5, 5), combo.mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&combo, &wheel);
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(combo.currentText(), "/m/A");
    // Enter on the text of an entry is no pick, and closes nothing.
    combo.setEditText("/m/B");
    SendKey(combo, Qt::Key_Return);
    SendKey(dialog, Qt::Key_Enter);
    EXPECT_EQ(dialog.State().Scans(), scans);
    EXPECT_EQ(dialog.State().Folder(), "/m/A");
    EXPECT_TRUE(dialog.isVisible());
    // Alt+Down opens the list.
    SendKey(combo, Qt::Key_Down, Qt::AltModifier);
    EXPECT_TRUE(combo.view()->isVisible());
    combo.hidePopup();
  });
}

TEST_F(MainDialogTest, TheCheckedRowsRawFlagsEnableTheButtons) {
  const fs::path folder = root.Path() / "meas";
  // M0001: raw file; M0002: raw announced but missing; M0003: none.
  Generate(folder, {.count = 3, .rows = 2, .raw = 1, .raw_missing = 1, .raw_samples = 4});
  profile.values[{"RQX340Import", "LastFolder"}] = folder.string();
  profile.values[{"MeasList", "SortOrder"}] = "1";
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    ASSERT_EQ(dialog.List().Model().rowCount(), 3);
    EXPECT_FALSE(dialog.EmptyText().isVisible());
    EXPECT_EQ(dialog.List().Model().index(1, 5).data().toString(), "YES*");
    dialog.List().OnItemChanged(1, true);
    EXPECT_TRUE(dialog.ImportButton().isEnabled());
    EXPECT_FALSE(dialog.ImportRawBox().isEnabled());
    dialog.List().OnItemChanged(0, true);
    EXPECT_TRUE(dialog.ImportRawBox().isEnabled());
    dialog.List().OnItemChanged(0, false);
    EXPECT_FALSE(dialog.ImportRawBox().isEnabled());
    dialog.List().OnItemChanged(1, false);
    EXPECT_FALSE(dialog.ImportButton().isEnabled());
    // The check mark of the box stays whatever its state.
    EXPECT_TRUE(dialog.ImportRawBox().isChecked());
  });
}

TEST_F(MainDialogTest, CtrlPPreviewsTheCurrentRowAndNothingOutsideTheRows) {
  const fs::path folder = root.Path() / "meas";
  Generate(folder, {.count = 2, .rows = 7});
  profile.values[{"RQX340Import", "LastFolder"}] = folder.string();
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    ASSERT_EQ(dialog.List().Model().rowCount(), 2);
    EXPECT_EQ(dialog.OpenPreview(-1), nullptr);
    EXPECT_EQ(dialog.OpenPreview(2), nullptr);
    EXPECT_EQ(dialog.List().contextMenuPolicy(), Qt::CustomContextMenu);

    dialog.List().setFocus();
    dialog.List().setCurrentIndex(dialog.List().Model().index(1, 0));
    const std::int32_t record = dialog.State().List().RecordOfRow(1);
    QTest::keyClick(&dialog.List(), Qt::Key_P, Qt::ControlModifier);
    ASSERT_TRUE(WaitUntil([&] { return dialog.Preview() != nullptr; }));
    MeasurementPreviewDialog* preview = dialog.Preview();
    ASSERT_TRUE(WaitUntil([&] { return preview->Numbers().rows == 7; }));
    EXPECT_TRUE(preview->windowTitle().contains(QString::fromStdString(
        dialog.State().List().Records()[static_cast<std::size_t>(record)].m_strName)));
    preview->close();
    ASSERT_TRUE(WaitUntil([&] { return dialog.Preview() == nullptr; }));
  });
}

TEST_F(MainDialogTest, TheListsColumnsFollowTheDialogsWidth) {
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    const int name = dialog.List().Header().sectionSize(0);
    const int start = dialog.List().Header().sectionSize(1);
    dialog.resize(dialog.width() + 200, dialog.height() + 40);
    ProcessEvents();
    EXPECT_EQ(dialog.List().Header().sectionSize(0) - name, 88);
    EXPECT_EQ(dialog.List().Header().sectionSize(1) - start, 40);
    EXPECT_EQ(dialog.List().width(), dialog.Units().ToPixelsX(381) + 200);
  });
}

TEST_F(MainDialogTest, BrowsingScansTheChosenFolderWhileTheControlsAreDisabled) {
  Generate(root.Path() / "chosen", {.count = 2, .rows = 2});
  profile.values[{"RQX340Import", "LastFolder"}] = "/m/A";
  const std::string chosen = (root.Path() / "chosen").string();
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    bool content_enabled = true, window_enabled = false;
    on_choose = [&] {
      content_enabled = dialog.Content().isEnabled();
      window_enabled = dialog.isEnabled();
    };
    chooser_answer = std::nullopt;
    dialog.BrowseButton().click();
    EXPECT_EQ(dialog.State().Folder(), "/m/A");
    EXPECT_EQ(dialog.State().Scans(), 1);
    chooser_answer = chosen;
    dialog.BrowseButton().click();
    EXPECT_FALSE(content_enabled);
    EXPECT_TRUE(window_enabled);
    EXPECT_TRUE(dialog.Content().isEnabled());
    EXPECT_EQ(dialog.State().Folder(), chosen + "/");
    EXPECT_EQ(dialog.State().Scans(), 2);
    EXPECT_EQ(dialog.List().Model().rowCount(), 2);
    EXPECT_EQ(Entries(dialog), (std::vector<std::string>{chosen + "/", "/m/A"}));
    EXPECT_EQ(dialog.FolderCombo().itemData(0).toInt(), 1);
    // The same folder again: nothing to do.
    dialog.BrowseButton().click();
    EXPECT_EQ(dialog.State().Scans(), 2);
  });
  ASSERT_EQ(chooser_calls.size(), 3u);
  EXPECT_EQ(chooser_calls[0].initial, "/m/A");
  EXPECT_EQ(chooser_calls[0].title, "Select RQX340 source folder");
  EXPECT_NE(chooser_calls[0].owner, nullptr);
  EXPECT_EQ(chooser_calls[2].initial, chosen + "/");
}

TEST_F(MainDialogTest, TheNextStartKeepsSizeFoldersAndSortOrder) {
  const fs::path folder = root.Path() / "meas";
  Generate(folder, {.count = 2, .rows = 2});
  QSize size;
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    // Larger, yet inside the offscreen screen (800 x 800), which the next start
    // keeps the window to.
    dialog.resize(dialog.size() + QSize(100, 60));
    ProcessEvents();
    size = dialog.size();
    TypeFolder(dialog, folder.string());
    CheckRows(dialog, {0});
    dialog.ImportButton().click();
    emit dialog.List().Header().sectionClicked(3);
    dialog.ImportRawBox().setChecked(false);
  });
  EXPECT_EQ(profile.flushes, 1);
  Run(FakeHost(), [&](CRQX340MainDlg& dialog) {
    EXPECT_EQ(dialog.size(), size);
    EXPECT_EQ(dialog.State().Folder(), folder.string());
    EXPECT_EQ(Entries(dialog), std::vector<std::string>{folder.string()});
    EXPECT_EQ(dialog.State().List().SortColumn(), 3);
    EXPECT_EQ(dialog.State().List().SortOrder(), 1);
    EXPECT_EQ(dialog.List().Header().ArrowOf(3), 147);
    EXPECT_EQ(dialog.List().Model().rowCount(), 2);
    EXPECT_FALSE(dialog.ImportRawBox().isChecked());
  });
}

TEST_F(MainDialogTest, AnImportFromTheDialogReachesTheHostsInbox) {
  const fs::path folder = root.Path() / "meas";
  Generate(folder, {.count = 3, .rows = 5, .raw = 1, .raw_samples = 10});
  profile.values[{"RQX340Import", "LastFolder"}] = folder.string();
  const WindowHandle window = StartRefHost();
  Run(window, [&](CRQX340MainDlg& dialog) {
    ASSERT_EQ(dialog.List().Model().rowCount(), 3);
    // Descending by name: M0003, M0002, M0001 (the one with raw data).
    CheckRows(dialog, {0, 2});
    EXPECT_TRUE(dialog.ImportRawBox().isEnabled());
    dialog.ImportButton().click();
    EXPECT_TRUE(dialog.Content().isEnabled());
    EXPECT_FALSE(dialog.ProgressBar().isVisible());
    // The import does not rescan: the marks stay.
    EXPECT_EQ(dialog.State().List().GetCheckedIndices(), (std::vector<std::int32_t>{2, 0}));
  });
  EXPECT_TRUE(sink.messages.empty()) << sink.messages[0].text;
  EXPECT_EQ(StopHostAndReadCommands(),
            (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 26, 2, 27, 20, 20, 20, 22, 4}));
  EXPECT_EQ(test::FolderNames(inbox),
            (std::vector<std::string>{"001-M0003.rqx2.bin", "002-M0001.rqx2-X.raw",
                                      "002-M0001.rqx2-Y.raw", "002-M0001.rqx2-Z.raw",
                                      "002-M0001.rqx2.bin"}));
  EXPECT_TRUE(test::HandoverLeftovers(session.Path()).empty());
}

// Two hosts in one session, each with the dialog it started: the import goes
// to the dialog's own host (-h), never to the other's slot that -i0 would name
// among all of the area's.
TEST_F(MainDialogTest, AnImportReachesTheDialogsOwnHostNotAnother) {
  const fs::path folder = root.Path() / "meas";
  Generate(folder, {.count = 1, .rows = 3});
  profile.values[{"RQX340Import", "LastFolder"}] = folder.string();
  StartRefHost();
  const auto self = RunningExecutablePath();
  ASSERT_TRUE(self);
  const fs::path second_inbox = root.Path() / "second-inbox";
  test::RefHost second(session, {"--tool", *self, "--inbox", second_inbox.string()});
  ASSERT_TRUE(second.Started()) << second.FirstLine();
  Run(second.Window(), [&](CRQX340MainDlg& dialog) {
    CheckRows(dialog, {0});
    dialog.ImportButton().click();
  });
  EXPECT_TRUE(sink.messages.empty());
  second.Stop();
  EXPECT_EQ(test::FolderNames(second_inbox), std::vector<std::string>{"001-M0001.rqx2.bin"});
  EXPECT_EQ(StopHostAndReadCommands(), std::vector<std::uint32_t>{});
  EXPECT_TRUE(test::FolderNames(inbox).empty());
}

TEST_F(MainDialogTest, WithoutImportRawTheRawSignalStaysBehind) {
  const fs::path folder = root.Path() / "meas";
  Generate(folder, {.count = 1, .rows = 5, .raw = 1, .raw_samples = 10});
  profile.values[{"RQX340Import", "LastFolder"}] = folder.string();
  profile.values[{"RQX340Import", "Raw"}] = "0";
  const WindowHandle window = StartRefHost();
  Run(window, [&](CRQX340MainDlg& dialog) {
    CheckRows(dialog, {0});
    EXPECT_FALSE(dialog.ImportRawBox().isChecked());
    dialog.ImportButton().click();
  });
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(StopHostAndReadCommands(), (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 4}));
  EXPECT_EQ(test::FolderNames(inbox), std::vector<std::string>{"001-M0001.rqx2.bin"});
}

TEST_F(MainDialogTest, AHostErrorIsAnsweredInItsMessageBoxAndTheImportGoesOn) {
  const fs::path folder = root.Path() / "meas";
  Generate(folder, {.count = 2, .rows = 3});
  profile.values[{"RQX340Import", "LastFolder"}] = folder.string();
  const WindowHandle window = StartRefHost({"--fail", "2@1=6"});
  MessageBoxSink boxes;
  std::vector<QString> texts;
  std::vector<QWidget*> parents;
  QTimer answer;
  answer.setInterval(0);
  CRQX340MainDlg* current = nullptr;
  bool enabled_in_box = true;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (current != nullptr) enabled_in_box = current->Content().isEnabled();
    texts.push_back(box->text());
    parents.push_back(box->parentWidget());
    box->button(QMessageBox::Ok)->click();
  });
  answer.start();
  Run(
      window,
      [&](CRQX340MainDlg& dialog) {
        current = &dialog;
        CheckRows(dialog, {0, 1});
        dialog.ImportButton().click();
        current = nullptr;
        EXPECT_TRUE(dialog.Content().isEnabled());
        EXPECT_FALSE(dialog.State().Busy());
        ASSERT_EQ(parents.size(), 1u);
        EXPECT_EQ(parents[0], &dialog);
      },
      &boxes);
  ASSERT_EQ(texts.size(), 1u);
  // The box names the measurement on a line before the message.
  EXPECT_EQ(texts[0].toStdString(),
            "M0002.rqx2\nWARNING! Main application error: Bad channel data.");
  EXPECT_FALSE(enabled_in_box);
  EXPECT_EQ(StopHostAndReadCommands(),
            (std::vector<std::uint32_t>{5, 26, 2, 99, 26, 2, 27, 22, 4}));
  EXPECT_EQ(test::FolderNames(inbox), std::vector<std::string>{"001-M0001.rqx2.bin"});
}

TEST_F(MainDialogTest, AnImportWaitsDisabledForTheTransferLockOfAnotherOne) {
  const fs::path folder = root.Path() / "meas";
  Generate(folder, {.count = 1, .rows = 3});
  profile.values[{"RQX340Import", "LastFolder"}] = folder.string();
  const WindowHandle window = StartRefHost();
  auto holder = HoldTransferLock();
  ASSERT_TRUE(holder) << holder.ErrorText();
  ASSERT_EQ(holder->ReadLine(30000), "locked");
  bool waited = false;
  Run(window, [&](CRQX340MainDlg& dialog) {
    CheckRows(dialog, {0});
    QTimer::singleShot(300, &dialog, [&] {
      waited = true;
      EXPECT_TRUE(dialog.State().Busy());
      EXPECT_FALSE(dialog.Content().isEnabled());
      EXPECT_TRUE(dialog.isEnabled());
      // Esc and the close box are ignored meanwhile.
      SendKey(dialog, Qt::Key_Escape);
      dialog.close();
      EXPECT_TRUE(dialog.isVisible());
      EXPECT_FALSE(fs::exists(inbox / "001-M0001.rqx2.bin"));
      holder->CloseStdin();
    });
    dialog.ImportButton().click();
    EXPECT_TRUE(waited);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.Content().isEnabled());
  });
  holder->Wait();
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(StopHostAndReadCommands(), (std::vector<std::uint32_t>{5, 26, 2, 27, 22, 4}));
  EXPECT_EQ(test::FolderNames(inbox), std::vector<std::string>{"001-M0001.rqx2.bin"});
}

// While an import runs, every open preview waits disabled, not only the one
// opened last: an older preview's Export would otherwise run its save dialog
// inside the import's pump and hold the transfer up with the lock held.
TEST_F(MainDialogTest, EveryOpenPreviewWaitsDisabledWhileAnImportRuns) {
  const fs::path folder = root.Path() / "meas";
  Generate(folder, {.count = 2, .rows = 3, .raw = 1, .raw_samples = 10});
  profile.values[{"RQX340Import", "LastFolder"}] = folder.string();
  const WindowHandle window = StartRefHost();
  auto holder = HoldTransferLock();
  ASSERT_TRUE(holder) << holder.ErrorText();
  ASSERT_EQ(holder->ReadLine(30000), "locked");
  // Any save dialog that opens is counted and dismissed, so none can hang the test.
  int save_dialogs = 0;
  QTimer dismiss;
  dismiss.setInterval(10);
  QObject::connect(&dismiss, &QTimer::timeout, [&] {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      if (auto* chooser = qobject_cast<QFileDialog*>(widget); chooser && chooser->isVisible()) {
        ++save_dialogs;
        chooser->reject();
      }
    }
  });
  dismiss.start();
  bool waited = false;
  Run(window, [&](CRQX340MainDlg& dialog) {
    QPointer<MeasurementPreviewDialog> older = dialog.OpenPreview(0);
    QPointer<MeasurementPreviewDialog> newer = dialog.OpenPreview(1);
    ASSERT_TRUE(older && newer);
    ASSERT_EQ(dialog.Previews().size(), 2);
    EXPECT_EQ(dialog.Preview(), newer.data());
    QPushButton* older_export = older->findChild<QPushButton*>();
    ASSERT_NE(older_export, nullptr);
    ASSERT_EQ(older_export->text().toStdString(), EnglishStrings().Load(kIdsExportCsvButton));
    ASSERT_TRUE(older_export->isEnabled());
    CheckRows(dialog, {0});
    QTimer::singleShot(300, &dialog, [&] {
      waited = true;
      ASSERT_TRUE(dialog.State().Busy());
      for (MeasurementPreviewDialog* preview : dialog.Previews()) {
        EXPECT_FALSE(preview->isEnabled());
      }
      // The older preview's Export: by click and by its shortcut, Alt+C.
      older_export->click();
      SendKey(*older, Qt::Key_C, Qt::AltModifier);
      QTest::mouseClick(older_export, Qt::LeftButton);
      ProcessEvents();
      EXPECT_EQ(save_dialogs, 0);
      EXPECT_FALSE(fs::exists(inbox / "001-M0002.rqx2.bin"));
      holder->CloseStdin();
    });
    dialog.ImportButton().click();
    EXPECT_TRUE(waited);
    // After the import both are usable again.
    ASSERT_TRUE(older && newer);
    EXPECT_TRUE(older->isEnabled());
    EXPECT_TRUE(newer->isEnabled());
    older->close();
    newer->close();
  });
  dismiss.stop();
  holder->Wait();
  EXPECT_EQ(save_dialogs, 0);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(test::FolderNames(inbox).size(), 1u);
  StopHostAndReadCommands();
}

// Every language's texts fit their controls at the template size, the first
// size of the dialog: the buttons' and the check box's, the labels', and the
// column titles (the sort arrow beside a title may be cut, as in English).
class LanguageFitTest : public ::testing::TestWithParam<int> {};

TEST_P(LanguageFitTest, EveryTextFitsItsControlAtTheTemplateSize) {
  MemoryProfile profile;
  const std::string tables = fs::path(test::ProgramPath("rqx340")).parent_path().string() + "/";
  CRQX340App app(
      test::TestAppContext({{"XDG_CONFIG_HOME", "/nonexistent/config"}}, tables, profile));
  test::RecordingSink messages;
  app.LoadLanguageLibrary(GetParam(), messages);
  ASSERT_TRUE(messages.messages.empty());
  RegisterApplicationClass(app);
  CShellThread browser(app.Strings(), app.Pump());
  CRQX340MainDlg dialog(app, messages, browser);
  dialog.show();
  ProcessEvents();
  ASSERT_EQ(dialog.size(), dialog.TemplateSize());
  const auto advance = [](const QWidget& widget, QString text) {
    return widget.fontMetrics().horizontalAdvance(text.remove(QLatin1Char('&')));
  };
  for (const std::uint32_t id : {kIdcBrowse, kIdcImportSelected, kIdcClose}) {
    SCOPED_TRACE(id);
    const auto& button = *qobject_cast<QPushButton*>(dialog.GetDlgItem(id));
    const QStyle& style = *button.style();
    const int frame = style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button) +
                      style.pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
    EXPECT_LE(advance(button, button.text()) + 2 * frame, button.width())
        << button.text().toStdString();
  }
  const auto& raw = *qobject_cast<QCheckBox*>(dialog.GetDlgItem(kIdcImportRaw));
  QStyleOptionButton option;
  option.initFrom(&raw);
  option.text = raw.text();
  EXPECT_LE(advance(raw, raw.text()),
            raw.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &raw).width())
      << raw.text().toStdString();
  for (const std::uint32_t id : {kIdcFolderLabel, kIdcNoMeasurements}) {
    const auto& label = *qobject_cast<QLabel*>(dialog.GetDlgItem(id));
    EXPECT_LE(advance(label, label.text()), label.width()) << label.text().toStdString();
  }
  const SortArrowHeader& header = dialog.List().Header();
  const int margin = header.style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, &header);
  for (int column = 0; column < header.count(); ++column) {
    const QString title = header.model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_LE(margin + advance(header, title) + margin, header.sectionSize(column))
        << title.toStdString();
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageFitTest, ::testing::Range(0, 6));

}  // namespace
}  // namespace rqx340
