#include "ui/qt/dialog_program.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <map>
#include <thread>

#include "app/ini_profile.h"
#include "scripted_dialog_runner.h"
#include "support/app_context.h"
#include "support/recording_sink.h"
#include "support/run_program.h"
#include "support/session.h"
#include "support/temp_dir.h"
#include "ui/qt/main_dialog.h"

namespace rqx340 {
namespace {

using test::MemoryProfile;
using test::ProcessEvents;
using test::RecordingSink;
using test::ScriptedDialogRunner;
using test::TempDir;
using test::TestSession;
using Write = MemoryProfile::Write;

// A started application with a live host in a session of its own, its tables
// looked for in a temporary data folder only.
class DialogProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host = test::MakeWindow(session.Open());
    ASSERT_TRUE(host);
    std::filesystem::create_directories(root.Path() / "data");
    std::filesystem::create_directories(root.Path() / "bin");
  }

  std::unique_ptr<CRQX340App> Start(const char* language = "-l0") {
    auto app = std::make_unique<CRQX340App>(Context());
    const std::vector<std::string> arguments = {test::HostSwitch(host->Handle()), language, "-k0",
                                                "-i0"};
    EXPECT_TRUE(app->InitInstance(arguments, language_index));
    return app;
  }

  // Tables in root/data, settings under root/config.
  AppContext Context() {
    return test::TestAppContext({{"RQX340_DATA_DIR", (root.Path() / "data").string()},
                                 {"XDG_CONFIG_HOME", (root.Path() / "config").string()}},
                                (root.Path() / "bin").string() + "/", profile);
  }

  TestSession session;
  std::unique_ptr<MessageEndpoint> host;
  TempDir root;
  MemoryProfile profile;
  std::int32_t language_index = 0;
  RecordingSink sink;
  ScriptedDialogRunner runner;
};

TEST_F(DialogProgramTest, TheDialogOpensAtTheTemplateSizeCentredAndModal) {
  auto app = Start();
  runner.script = [&](QDialog& dialog) {
    auto& main_dialog = dynamic_cast<CRQX340MainDlg&>(dialog);
    EXPECT_EQ(dialog.windowTitle(), "RQX340 Import");
    const DialogUnits units = DialogUnitsOf(DialogFont());
    const QSize template_size(units.ToPixelsX(389), units.ToPixelsY(201));
    EXPECT_EQ(main_dialog.TemplateSize(), template_size);
    EXPECT_EQ(dialog.size(), template_size);
    EXPECT_EQ(dialog.minimumSize(), template_size);
    EXPECT_EQ(dialog.windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(dialog.parentWidget(), nullptr);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    // Centred by its size; the frame comes with the showing.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(dialog.pos(), screen.topLeft() + QPoint((screen.width() - dialog.width()) / 2,
                                                      (screen.height() - dialog.height()) / 2));

    auto* close = qobject_cast<QPushButton*>(main_dialog.GetDlgItem(kIdcClose));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), "Close");
    EXPECT_EQ(close->geometry(), ToQRect(units.ToPixels(335, 183, 50, 14)));
    EXPECT_FALSE(close->autoDefault() || close->isDefault());

    // The application's identity stands for the window class.
    EXPECT_TRUE(app->ClassRegistered());
    EXPECT_EQ(QGuiApplication::applicationName(), "ZUL4 RQX340");
    EXPECT_EQ(QGuiApplication::desktopFileName(), "rqx340-import");
    EXPECT_FALSE(QGuiApplication::windowIcon().isNull());
    EXPECT_NE(app->ClientWindow(), 0u);
  };
  EXPECT_EQ(RunDialogProgram(*app, language_index, sink, runner), 0);
  EXPECT_EQ(runner.runs, 1);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_FALSE(app->ClassRegistered());
  EXPECT_EQ(app->ClientWindow(), 0u);
}

TEST_F(DialogProgramTest, EscTheCloseBoxAndTheCloseButtonEndItEnterDoesNot) {
  struct Case {
    const char* name;
    std::function<void(QDialog&)> action;
  };
  const Case cases[] = {
      {"Esc", [](QDialog& d) { test::PressKey(d, Qt::Key_Escape); }},
      {"close box", [](QDialog& d) { d.close(); }},
      {"Close button",
       [](QDialog& d) {
         qobject_cast<QPushButton*>(dynamic_cast<CRQX340MainDlg&>(d).GetDlgItem(kIdcClose))
             ->click();
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto app = Start();
    bool enter_kept_it_open = false;
    runner.script = [&](QDialog& dialog) {
      test::PressKey(dialog, Qt::Key_Return);
      test::PressKey(dialog, Qt::Key_Enter);
      ProcessEvents();
      enter_kept_it_open = dialog.isVisible();
      c.action(dialog);
      ProcessEvents();
    };
    EXPECT_EQ(RunDialogProgram(*app, language_index, sink, runner), 0);
    EXPECT_TRUE(enter_kept_it_open);
    EXPECT_FALSE(runner.still_open_after_script);
  }
}

TEST_F(DialogProgramTest, TheSizeIsWrittenOnEveryResizeAndTheSettingsOnceAtExit) {
  auto app = Start();
  QSize template_size;
  runner.script = [&](QDialog& dialog) {
    template_size = dialog.size();
    // Written before the dialog was shown, though its size never changed.
    EXPECT_EQ(app->CachedGetProfileInt(kSettingsSection, "Width", -1), template_size.width());
    EXPECT_EQ(app->CachedGetProfileInt(kSettingsSection, "Height", -1), template_size.height());
    dialog.resize(template_size + QSize(120, 70));
    ProcessEvents();
    dialog.resize(template_size + QSize(100, 50));
    ProcessEvents();
    EXPECT_TRUE(profile.writes.empty());
  };
  EXPECT_EQ(RunDialogProgram(*app, language_index, sink, runner), 0);
  EXPECT_EQ(profile.writes,
            (std::vector<Write>{
                {"RQX340Import", "Raw", "1"},
                {"RQX340Import", "Width", std::to_string(template_size.width() + 100)},
                {"RQX340Import", "Height", std::to_string(template_size.height() + 50)}}));
  EXPECT_EQ(profile.flushes, 1);
}

TEST_F(DialogProgramTest, TheSavedSizeOpensTheDialogNeverBelowTheTemplateNorAboveTheScreen) {
  struct Case {
    const char* name;
    std::optional<std::string> width, height;
    QSize extra;  // over the template
  };
  const Case cases[] = {
      {"larger", "2000", "900", {-1, -1}},
      {"largest", "2147483647", "2147483647", {-1, -1}},
      {"smaller", "300", "10", {0, 0}},
      {"not numbers", "wide", "", {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    profile = MemoryProfile();
    if (c.width) profile.values[{"RQX340Import", "Width"}] = *c.width;
    if (c.height) profile.values[{"RQX340Import", "Height"}] = *c.height;
    auto app = Start();
    QSize opened, minimum;
    runner.script = [&](QDialog& dialog) {
      opened = dialog.size();
      minimum = dialog.minimumSize();
    };
    RunDialogProgram(*app, language_index, sink, runner);
    // Larger than the screen: the screen's work area (the offscreen screen has
    // no frame to take its share).
    const QSize area = QGuiApplication::primaryScreen()->availableGeometry().size();
    const QSize expected = c.extra == QSize(-1, -1) ? area : minimum + c.extra;
    EXPECT_EQ(opened, expected);
    EXPECT_EQ(profile.values.at({"RQX340Import", "Width"}), std::to_string(expected.width()));
    EXPECT_EQ(profile.values.at({"RQX340Import", "Height"}), std::to_string(expected.height()));
  }
}

TEST_F(DialogProgramTest, AMissingGermanTableIsReportedOnceBeforeTheDialogWhichIsEnglish) {
  auto app = Start("-l3");
  ASSERT_EQ(language_index, 3);
  std::size_t messages_before_dialog = 99;
  QString caption;
  runner.script = [&](QDialog& dialog) {
    messages_before_dialog = sink.messages.size();
    caption = dialog.windowTitle();
  };
  RunDialogProgram(*app, language_index, sink, runner);
  EXPECT_EQ(messages_before_dialog, 1u);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "ZULRQX340_GER.lang WARNING! Language DLL not found.");
  EXPECT_EQ(caption, "RQX340 Import");
}

// -l1 to -l5 with the tables the build made: every text of the dialog, and its
// column titles, in the language, without a warning.
class ShippedLanguageTest : public DialogProgramTest, public ::testing::WithParamInterface<int> {};

TEST_P(ShippedLanguageTest, TranslatesTheDialog) {
  const std::string file = TableFileName(kLanguageLibraries[GetParam()]);
  // The table the build made from res/lang/.
  std::filesystem::copy_file(test::ProgramPath(file), root.Path() / "data" / file);
  const auto table = LanguageTable::Open(file, {(root.Path() / "data").string() + "/"}, nullptr);
  ASSERT_TRUE(table);
  const std::string switch_text = "-l" + std::to_string(GetParam());
  auto app = Start(switch_text.c_str());
  std::map<int, QString> shown;
  runner.script = [&](QDialog& dialog) {
    auto& main_dialog = dynamic_cast<CRQX340MainDlg&>(dialog);
    shown[kIdsDialogCaption] = dialog.windowTitle();
    for (const int id : {kIdcClose, kIdcImportSelected, kIdcBrowse, kIdcImportRaw}) {
      shown[id] = qobject_cast<QAbstractButton*>(main_dialog.GetDlgItem(id))->text();
    }
    for (const int id : {kIdcFolderLabel, kIdcNoMeasurements}) {
      shown[id] = qobject_cast<QLabel*>(main_dialog.GetDlgItem(id))->text();
    }
    for (int column = 0; column < 6; ++column) {
      shown[kIdsFirstColumnTitle + column] =
          main_dialog.List().model()->headerData(column, Qt::Horizontal).toString();
    }
  };
  RunDialogProgram(*app, language_index, sink, runner);
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_EQ(shown.size(), 13u);
  for (const auto& [id, text] : shown) {
    SCOPED_TRACE(id);
    EXPECT_EQ(text.toStdString(), table->Find(id).value_or("(none)"));
  }
  EXPECT_NE(shown[kIdcClose].toStdString(), EnglishStrings().Load(kIdcClose));
}

INSTANTIATE_TEST_SUITE_P(Languages, ShippedLanguageTest, ::testing::Range(1, 6));

TEST_F(DialogProgramTest, ALanguageMovesTheControlsItsTableMoves) {
  root.Write("data/ZULRQX340_GER.lang", "1002\tImportieren\n@1002\t100,183,152,14\n");
  auto app = Start("-l3");
  QRect moved, kept;
  DialogUnits units;
  runner.script = [&](QDialog& dialog) {
    auto& main_dialog = dynamic_cast<CRQX340MainDlg&>(dialog);
    units = main_dialog.Units();
    const auto& controls = main_dialog.Controls();
    for (const auto& control : controls) {
      if (control.m_nID == kIdcImportSelected) moved = ToQRect(control.m_rcInitial);
      if (control.m_nID == kIdcClose) kept = ToQRect(control.m_rcInitial);
    }
  };
  RunDialogProgram(*app, language_index, sink, runner);
  EXPECT_EQ(moved, ToQRect(units.ToPixels(100, 183, 152, 14)));
  EXPECT_EQ(kept, ToQRect(units.ToPixels(335, 183, 50, 14)));
}

TEST_F(DialogProgramTest, TheHostsMessagesReachTheGuiThreadThroughItsEventLoop) {
  auto app = Start();
  auto messenger = test::MakeMessenger(session.Open());
  std::atomic<std::uint32_t> reply{1234};
  std::thread sender;
  runner.script = [&](QDialog&) {
    const WindowHandle client = app->ClientWindow();
    ASSERT_NE(client, 0u);
    // A stop request posted while the dialog idles is handled there, not kept
    // for a later pump; the message sent after it is answered after it.
    ASSERT_TRUE(messenger->Post(client, {kHostMessage, kHostStopRequest, 0}));
    sender = std::thread([&, client] { reply = messenger->Send(client, {kHostMessage, 26, 0}); });
    // Only the GUI's event loop runs here; it must answer the sent message.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (reply == 1234 && std::chrono::steady_clock::now() < deadline) {
      ProcessEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(reply.load(), 0u);
    std::int32_t stop = 0;
    EXPECT_EQ(app->PumpPendingMessages(&stop), 0);
  };
  RunDialogProgram(*app, language_index, sink, runner);
  // Without an answer the sender is released when the tool's window goes.
  if (sender.joinable()) sender.join();
}

TEST_F(DialogProgramTest, ThePumpRepaintsAndTakesTheHostsStopRequest) {
  auto app = Start();
  auto messenger = test::MakeMessenger(session.Open());
  runner.script = [&](QDialog& dialog) {
    bool timer_ran = false;
    QTimer::singleShot(0, &dialog, [&] { timer_ran = true; });
    std::int32_t stop = 0;
    EXPECT_EQ(app->PumpPendingMessages(&stop), 0);
    EXPECT_TRUE(timer_ran);
    ASSERT_TRUE(messenger->Post(app->ClientWindow(), {kHostMessage, kHostStopRequest, 0}));
    EXPECT_EQ(app->PumpPendingMessages(&stop), 1);
    EXPECT_EQ(app->PumpPendingMessages(&stop), 0);
  };
  RunDialogProgram(*app, language_index, sink, runner);
}

TEST_F(DialogProgramTest, SettingsGoToTheIniFileUnderXdgConfigHome) {
  const auto config = root.Path() / "config";
  AppContext context = Context();
  context.open_profile = [](const std::string& path) { return std::make_unique<IniProfile>(path); };
  root.Write("data/ZULR.lang", "2021\tSuite\n");
  CRQX340App app(std::move(context));
  const std::vector<std::string> arguments = {test::HostSwitch(host->Handle())};
  ASSERT_TRUE(app.InitInstance(arguments, language_index));
  QSize size;
  runner.script = [&](QDialog& dialog) {
    dialog.resize(dialog.size() + QSize(11, 7));
    ProcessEvents();
    size = dialog.size();
  };
  RunDialogProgram(app, language_index, sink, runner);
  const std::string text = test::ReadFileBytes(config / "Corvantis/Suite.ini");
  EXPECT_NE(text.find("[RQX340Import]"), std::string::npos) << text;
  EXPECT_NE(text.find("Width=" + std::to_string(size.width())), std::string::npos) << text;
  EXPECT_NE(text.find("Height=" + std::to_string(size.height())), std::string::npos) << text;
}

}  // namespace
}  // namespace rqx340
