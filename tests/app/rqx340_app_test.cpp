#include "app/rqx340_app.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <set>
#include <thread>

#include "support/app_context.h"
#include "support/recording_sink.h"
#include "support/session.h"
#include "support/system.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::MakeWindow;
using test::MemoryProfile;
using test::RecordingSink;
using test::TempDir;
using test::TestSession;

// A folder tree with the executable's folder, a data folder and the settings
// home; the application sees nothing of the real environment but the session.
class AppTest : public ::testing::Test {
 protected:
  AppTest() {
    std::filesystem::create_directories(root.Path() / "bin");
    std::filesystem::create_directories(root.Path() / "data");
    env["XDG_CONFIG_HOME"] = (root.Path() / "config").string();
    env["RQX340_DATA_DIR"] = (root.Path() / "data").string();
  }

  std::unique_ptr<CRQX340App> MakeApp() {
    return std::make_unique<CRQX340App>(
        test::TestAppContext(env, (root.Path() / "bin").string() + "/", profile, &opened_paths));
  }

  TempDir root;
  std::map<std::string, std::string> env;
  MemoryProfile profile;
  std::vector<std::string> opened_paths;
};

std::vector<std::string> HostArguments(WindowHandle host) {
  return {test::HostSwitch(host), "-l3", "-k0", "-i2"};
}

TEST_F(AppTest, WithALiveHostStartUpGoesOnWithTheCommandLinesValues) {
  TestSession session;
  auto host = MakeWindow(session.Open());
  ASSERT_TRUE(host);
  auto app = MakeApp();
  std::int32_t language = -9;
  EXPECT_TRUE(app->InitInstance(HostArguments(host->Handle()), language));
  EXPECT_EQ(app->HostWindow(), host->Handle());
  EXPECT_EQ(language, 3);
  EXPECT_EQ(app->ExchangeIndex(), 2);
  EXPECT_EQ(app->ExchangeId(), "ZURQX340");
  EXPECT_EQ(app->ClassName(), "ZULRQX340ZUL");
  EXPECT_EQ(app->ExitInstance(), 0);
  EXPECT_TRUE(opened_paths.empty());  // nothing read, nothing written
}

TEST_F(AppTest, WithoutALiveHostStartUpEndsAtTheHostCheck) {
  TestSession session;
  WindowHandle gone = 0;
  {
    auto window = MakeWindow(session.Open());
    gone = window->Handle();
  }
  TempDir open_to_all;
  std::filesystem::permissions(open_to_all.Path(), std::filesystem::perms::all);
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<std::string> runtime_dir;  // replaces the test session's
  };
  const Case cases[] = {
      {"no arguments", {}, std::nullopt},
      {"the program's path first", {"/usr/bin/rqx340-import", "-h00000A1C"}, std::nullopt},
      {"-l first", {"-l0", "-h00000A1C"}, std::nullopt},
      {"a window that went away", HostArguments(gone), std::nullopt},
      {"a window that never was", {"-h00000A1C"}, std::nullopt},
      {"session directory refused", {"-h00000A1C"}, open_to_all.Path().string()},
      {"session directory missing", {"-h00000A1C"}, "/nonexistent/rqx340/zul"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::ScopedEnv runtime("RQX340_RUNTIME_DIR",
                            c.runtime_dir.value_or(session.Path().string()).c_str());
    auto app = MakeApp();
    std::int32_t language = 0;
    EXPECT_FALSE(app->InitInstance(c.arguments, language));
    EXPECT_EQ(app->ExitInstance(), 0);
    EXPECT_FALSE(app->LanguageLoaded());
  }
  EXPECT_FALSE(std::filesystem::exists("/nonexistent/rqx340"));
  EXPECT_TRUE(opened_paths.empty());
}

TEST_F(AppTest, TheSettingsLiveWhereTheHostsResourceTableSays) {
  RQX340_POSIX_ONLY("XDG_CONFIG_HOME");
  struct Case {
    const char* name;
    std::optional<std::string> host_table;  // ZULR.lang in the executable's folder
    std::string path;                       // under XDG_CONFIG_HOME
  };
  const Case cases[] = {
      {"no host table", std::nullopt, "/rqx340-import.ini"},
      {"no string 2021", "2020\tOther\n", "/rqx340-import.ini"},
      {"string 2021", "2021\tSuite\n", "/Corvantis/Suite.ini"},
      {"separators", "2021\tZUL4/Suite\\RQX\n", "/Corvantis/ZUL4_Suite_RQX.ini"},
      {"at most 259 characters", "2021\t" + std::string(300, 'x') + "\n",
       "/Corvantis/" + std::string(259, 'x') + ".ini"},
      {"characters, not bytes", "2021\t" + std::string(258, 'x') + "\xC3\xA4\xC3\xA4\n",
       "/Corvantis/" + std::string(258, 'x') + "\xC3\xA4.ini"},
      {"a character outside the BMP is two units",
       "2021\t" + std::string(258, 'x') + "\xF0\x9F\x98\x80\n",
       "/Corvantis/" + std::string(258, 'x') + ".ini"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(root.Path() / "bin/ZULR.lang");
    if (c.host_table) root.Write("bin/ZULR.lang", *c.host_table);
    auto app = MakeApp();
    app->LocateSettings();
    EXPECT_EQ(app->SettingsPath(), env["XDG_CONFIG_HOME"] + c.path);
  }
}

TEST_F(AppTest, TheSettingsAreWrittenOnceAtExitAndOnlyWhatWasWritten) {
  RQX340_POSIX_ONLY("XDG_CONFIG_HOME");
  auto app = MakeApp();
  app->LocateSettings();
  profile.values[{"RQX340Import", "Height"}] = "400";
  EXPECT_EQ(app->CachedGetProfileInt("RQX340Import", "Height", 300), 400);
  for (int width = 600; width < 700; ++width) {
    app->CachedWriteProfileInt("RQX340Import", "Width", width);
  }
  EXPECT_TRUE(profile.writes.empty());
  EXPECT_EQ(app->ExitInstance(), 0);
  EXPECT_EQ(opened_paths, std::vector<std::string>{env["XDG_CONFIG_HOME"] + "/rqx340-import.ini"});
  EXPECT_EQ(profile.writes, (std::vector<MemoryProfile::Write>{{"RQX340Import", "Width", "699"}}));
  EXPECT_EQ(profile.flushes, 1);
}

TEST_F(AppTest, WithoutAnywhereToKeepThemSettingsStayInMemory) {
  AppContext context = test::TestAppContext({}, (root.Path() / "bin").string() + "/", profile);
  context.open_profile = nullptr;  // and no profile to open
  CRQX340App app(std::move(context));
  app.LocateSettings();
  app.CachedWriteProfileInt("RQX340Import", "Width", 5);
  EXPECT_EQ(app.CachedGetProfileInt("RQX340Import", "Width", 1), 5);
  EXPECT_EQ(app.ExitInstance(), 0);
}

TEST_F(AppTest, AMissingLanguageTableIsReportedOnceAndEnglishStays) {
  struct Case {
    std::int32_t index;
    const char* message;  // nullptr: none
  };
  const Case cases[] = {
      {1, "ZULRQX340_ITA.lang WARNING! Language DLL not found."},
      {2, "ZULRQX340_FRA.lang WARNING! Language DLL not found."},
      {3, "ZULRQX340_GER.lang WARNING! Language DLL not found."},
      {4, "ZULRQX340_JAP.lang WARNING! Language DLL not found."},
      {5, "ZULRQX340_ESP.lang WARNING! Language DLL not found."},
      {0, nullptr},
      {-1, nullptr},
      {6, nullptr},  // no table entry: the built-in language
      {2147483647, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    auto app = MakeApp();
    RecordingSink sink;
    app->LoadLanguageLibrary(c.index, sink);
    if (c.message != nullptr) {
      ASSERT_EQ(sink.messages.size(), 1u);
      EXPECT_EQ(sink.messages[0].text, c.message);
      EXPECT_EQ(sink.messages[0].id, kLanguageWarningId);
    } else {
      EXPECT_TRUE(sink.messages.empty());
    }
    EXPECT_FALSE(app->LanguageLoaded());
    EXPECT_EQ(app->Strings().Load(kIdsDialogCaption), "RQX340 Import");
  }
}

// A table over the size limit is there: the warning says it is too large, not
// that it was not found.
TEST_F(AppTest, ALanguageTableTooLargeIsReportedAsSuch) {
  root.Write("data/ZULRQX340_GER.lang", std::string(kMaxTableSize + 1, '#'));
  auto app = MakeApp();
  RecordingSink sink;
  app->LoadLanguageLibrary(3, sink);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text,
            "ZULRQX340_GER.lang WARNING! Language DLL too large (1048577 bytes, at most "
            "1048576).");
  EXPECT_FALSE(app->LanguageLoaded());
  // At the limit it is a table.
  root.Write("data/ZULRQX340_GER.lang",
             "129\tGro\xC3\x9F\n" + std::string(kMaxTableSize - 10, '#'));
  auto again = MakeApp();
  RecordingSink quiet;
  again->LoadLanguageLibrary(3, quiet);
  EXPECT_TRUE(quiet.messages.empty());
  EXPECT_EQ(again->Strings().Load(kIdsDialogCaption), "Gro\xC3\x9F");
}

TEST_F(AppTest, ALanguageTableReplacesTheStringsItHasUntilShutdown) {
  root.Write("data/ZULRQX340_GER.lang", "129\tRQX340 Importieren\n");
  auto app = MakeApp();
  RecordingSink sink;
  app->LoadLanguageLibrary(3, sink);
  EXPECT_TRUE(sink.messages.empty());
  ASSERT_TRUE(app->LanguageLoaded());
  EXPECT_EQ(app->Strings().Load(kIdsDialogCaption), "RQX340 Importieren");
  EXPECT_EQ(app->Strings().Load(kIdcClose), "Close");
  app->ExitInstance();
  EXPECT_FALSE(app->LanguageLoaded());
  EXPECT_EQ(app->Strings().Load(kIdsDialogCaption), "RQX340 Import");
}

// A front end's own libraries: every library it is asked for exists, except
// those named in `missing`; each has one string, its name under id 1, and the
// host's resource library the settings name `settings_name`.
class FakeLibraries final : public LibraryLoader {
 public:
  class Library final : public LanguageLibrary {
   public:
    Library(std::string name, std::string settings_name, const StringTable* fallback)
        : LanguageLibrary(fallback),
          m_name(std::move(name)),
          m_settings(std::move(settings_name)) {}
    std::optional<std::string> Find(int id) const override {
      if (id == 1) return m_name;
      if (id == kIdsSettingsName && !m_settings.empty()) return m_settings;
      return std::nullopt;
    }

   private:
    std::string m_name;
    std::string m_settings;
  };

  std::string FileName(std::string_view library) const override {
    return "file:" + std::string(library);
  }
  std::unique_ptr<LanguageLibrary> Open(std::string_view library, const StringTable* fallback,
                                        std::string* /*refused*/ = nullptr) const override {
    if (missing.count(std::string(library)) != 0) return nullptr;
    return std::make_unique<Library>(std::string(library), settings_name, fallback);
  }
  std::set<std::string> missing;
  std::string settings_name;
};

class ProgramStrings final : public StringTable {
 public:
  std::string Load(int id) const override { return "program " + std::to_string(id); }
};

TEST_F(AppTest, AFrontEndsOwnLibrariesStringsAndSettingsLocationAreUsed) {
  auto libraries = std::make_shared<FakeLibraries>();
  libraries->missing = {"ZULRQX340_ITA.DLL"};
  libraries->settings_name = "Suite";
  const ProgramStrings program;
  AppContext context =
      test::TestAppContext(env, (root.Path() / "bin").string() + "/", profile, &opened_paths);
  context.libraries = libraries;
  context.program_strings = &program;
  context.settings_location = [](const std::string& name) { return "key:" + name; };
  CRQX340App app(std::move(context));
  app.LocateSettings();
  EXPECT_EQ(app.SettingsPath(), "key:Suite");
  EXPECT_EQ(app.Strings().Load(129), "program 129");

  RecordingSink sink;
  app.LoadLanguageLibrary(1, sink);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "file:ZULRQX340_ITA.DLL WARNING! Language DLL not found.");
  app.LoadLanguageLibrary(3, sink);
  ASSERT_TRUE(app.LanguageLoaded());
  EXPECT_EQ(app.Strings().Load(1), "ZULRQX340_GER.DLL");
  EXPECT_EQ(app.Strings().Load(129), "program 129");  // what the library lacks

  libraries->settings_name.clear();
  app.LocateSettings();
  EXPECT_EQ(app.SettingsPath(), "key:");
  app.CachedWriteProfileInt("RQX340Import", "Width", 5);
  app.ExitInstance();
  EXPECT_EQ(opened_paths, std::vector<std::string>{"key:"});
}

// Stands for the GUI: counts its turns and can act during one.
class FakeUserInterface final : public UserInterfaceEvents {
 public:
  bool ProcessPendingEvents() override {
    ++turns;
    if (during_turn) during_turn();
    return stop_requested;
  }
  int turns = 0;
  std::function<void()> during_turn;
  bool stop_requested = false;  // the host's stop request came to the GUI's own queue
};

class PumpTest : public AppTest {
 protected:
  void SetUp() override {
    host = MakeWindow(session.Open());
    ASSERT_TRUE(host);
    app = MakeApp();
    std::int32_t language = 0;
    ASSERT_TRUE(app->InitInstance(HostArguments(host->Handle()), language));
    ASSERT_TRUE(app->CreateClientWindow());
    messenger = test::MakeMessenger(session.Open());
    ASSERT_TRUE(messenger);
    app->SetUserInterface(&ui);
  }

  bool Post(std::uint32_t message, std::uint32_t wparam) {
    return messenger->Post(app->ClientWindow(), {message, wparam, 0});
  }

  TestSession session;
  std::unique_ptr<MessageEndpoint> host;
  std::unique_ptr<CRQX340App> app;
  std::unique_ptr<SessionMessenger> messenger;
  FakeUserInterface ui;
};

TEST_F(PumpTest, AnEmptyQueueReturnsZeroAfterOneTurnOfTheUserInterface) {
  EXPECT_NE(app->ClientWindow(), 0u);
  EXPECT_NE(app->ClientWindow(), host->Handle());
  std::int32_t stop = 0;
  EXPECT_EQ(app->PumpPendingMessages(&stop), 0);
  EXPECT_EQ(ui.turns, 1);
  EXPECT_TRUE(app->Pump().PumpPendingMessages(&stop));
  EXPECT_EQ(ui.turns, 2);
}

TEST_F(PumpTest, TheHostsStopRequestIsRemovedUndispatchedAndReturnsOne) {
  RQX340_POSIX_ONLY(
      "a post reaches a Windows endpoint only when its thread takes it, not when PostMessage "
      "returns");
  ASSERT_TRUE(Post(kHostMessage, 5));  // any other message is handled on the way
  ASSERT_TRUE(Post(kHostMessage, kHostStopRequest));
  ASSERT_TRUE(Post(kHostMessage, 6));
  std::int32_t stop = 0;
  EXPECT_EQ(app->PumpPendingMessages(&stop), 1);
  EXPECT_EQ(ui.turns, 0);
  EXPECT_TRUE(app->Pump().PumpPendingMessages(&stop));  // 6 is an ordinary one
  EXPECT_EQ(ui.turns, 1);
  ASSERT_TRUE(Post(kWmUser, kHostStopRequest));  // not the host's message
  ASSERT_TRUE(Post(kHostMessage, kHostStopRequest + 1));
  EXPECT_EQ(app->PumpPendingMessages(&stop), 0);
}

TEST_F(PumpTest, ASetStopFlagIsReturnedWithoutTouchingAnything) {
  RQX340_POSIX_ONLY(
      "a post reaches a Windows endpoint only when its thread takes it, not when PostMessage "
      "returns");
  ASSERT_TRUE(Post(kHostMessage, kHostStopRequest));
  std::int32_t stop = 7;
  EXPECT_EQ(app->PumpPendingMessages(&stop), 7);
  EXPECT_EQ(ui.turns, 0);
  stop = 0;
  EXPECT_EQ(app->PumpPendingMessages(&stop), 1);  // still queued
}

TEST_F(PumpTest, AStopRequestTheUserInterfaceTookOutReturnsOne) {
  ui.stop_requested = true;
  std::int32_t stop = 0;
  EXPECT_EQ(app->PumpPendingMessages(&stop), 1);
  EXPECT_FALSE(app->Pump().PumpPendingMessages(&stop));
  EXPECT_EQ(ui.turns, 2);
}

TEST_F(PumpTest, AStopRequestArrivingDuringTheUserInterfacesTurnIsSeenByThePump) {
  RQX340_POSIX_ONLY(
      "a post reaches a Windows endpoint only when its thread takes it, not when PostMessage "
      "returns");
  ui.during_turn = [&] {
    ASSERT_TRUE(Post(kHostMessage, kHostStopRequest));
    app->DispatchClientMessages();  // what the GUI's arrival event does; the pump owns the queue
  };
  std::int32_t stop = 0;
  EXPECT_EQ(app->PumpPendingMessages(&stop), 1);
  EXPECT_EQ(ui.turns, 1);
}

TEST_F(PumpTest, SentMessagesAreAnsweredOutsideAndInsideThePump) {
  std::atomic<std::uint32_t> reply{1234};
  std::thread sender([&] { reply = messenger->Send(app->ClientWindow(), {kHostMessage, 26, 0}); });
  while (true) {
    app->DispatchClientMessages();
    if (reply != 1234) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  sender.join();
  EXPECT_EQ(reply.load(), 0u);

  reply = 1234;
  std::thread stop_sender([&] {
    reply = messenger->Send(app->ClientWindow(), {kHostMessage, kHostStopRequest, 0});
  });
  std::int32_t stop = 0;
  while (app->PumpPendingMessages(&stop) == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  stop_sender.join();
  EXPECT_EQ(reply.load(), 0u);
}

}  // namespace
}  // namespace rqx340
