#include "ui/win32/dialog_program.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "absent_library_loader.h"
#include "platform/win32/win32_util.h"
#include "support/app_context.h"
#include "support/recording_sink.h"
#include "support/run_program.h"
#include "support/session.h"
#include "ui/win32/main_dialog.h"
#include "ui/win32/resource_library.h"

namespace rqx340 {
namespace {

std::string WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return win32::Utf8(text);
}

bool ClassRegistered(const std::string& name) {
  WNDCLASSW found{};
  return GetClassInfoW(GetModuleHandleW(nullptr), win32::Wide(name).c_str(), &found) != 0;
}

// A started application of the Win32 world with a live host in a session of
// its own; settings in memory.
class DialogProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host = test::MakeWindow(session.Open());
    ASSERT_TRUE(host);
  }

  // `absent`: a library the installation lacks.
  std::unique_ptr<CRQX340App> Start(const char* language, std::string absent = {}) {
    AppContext context = test::TestAppContext({}, "C:\\nowhere\\", profile);
    context.libraries = std::make_shared<test::AbsentLibraryLoader>(std::move(absent));
    context.program_strings = &ProgramStrings();
    auto app = std::make_unique<CRQX340App>(std::move(context));
    EXPECT_TRUE(app->InitInstance(
        std::vector<std::string>{test::HostSwitch(host->Handle()), language}, language_index));
    return app;
  }

  test::TestSession session;
  std::unique_ptr<MessageEndpoint> host;
  test::MemoryProfile profile;
  test::RecordingSink sink;
  std::int32_t language_index = 0;
};

TEST_F(DialogProgramTest, TheDialogComesFromTheGermanLibraryWithItsIcon) {
  auto app = Start("-l3");
  std::string caption, close, folder_label, import_raw;
  bool icon = false, class_registered = false;
  HWND dialog_window = nullptr;
  const int code = RunDialogProgram(*app, language_index, sink, [&](CRQX340MainDlg& dialog) {
    dialog_window = dialog.GetSafeHwnd();
    caption = WindowText(dialog_window);
    close = WindowText(dialog.GetDlgItem(kIdcClose));
    folder_label = WindowText(dialog.GetDlgItem(kIdcFolderLabel));
    import_raw = WindowText(dialog.GetDlgItem(kIdcImportRaw));
    icon = SendMessageW(dialog_window, WM_GETICON, ICON_BIG, 0) != 0;
    class_registered = ClassRegistered("ZULRQX340ZUL");
  });
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(sink.messages.empty());
  EXPECT_EQ(caption, "RQX340 Import");
  EXPECT_EQ(close, "Schlie\u00dfen");
  EXPECT_EQ(folder_label, "Ordner:");
  EXPECT_EQ(import_raw, "&Rohdaten importieren");
  EXPECT_TRUE(icon);
  EXPECT_TRUE(class_registered);
  // Shutdown: the dialog is gone, the class unregistered, the library released.
  EXPECT_FALSE(IsWindow(dialog_window));
  EXPECT_FALSE(ClassRegistered("ZULRQX340ZUL"));
  EXPECT_FALSE(app->LanguageLoaded());
}

TEST_F(DialogProgramTest, AMissingLibraryIsReportedBeforeTheDialogWhichIsEnglish) {
  auto app = Start("-l5", "ZULRQX340_ESP.DLL");
  std::size_t messages_before_dialog = 99;
  std::string close;
  RunDialogProgram(*app, language_index, sink, [&](CRQX340MainDlg& dialog) {
    messages_before_dialog = sink.messages.size();
    close = WindowText(dialog.GetDlgItem(kIdcClose));
  });
  EXPECT_EQ(messages_before_dialog, 1u);
  ASSERT_EQ(sink.messages.size(), 1u);
  EXPECT_EQ(sink.messages[0].text, "ZULRQX340_ESP.DLL WARNING! Language DLL not found.");
  EXPECT_EQ(close, "Close");
}

TEST(Rqx340ImportTest, WithoutALiveHostTheProgramEndsAtOnceWithStatusZero) {
  test::TestSession session;
  WindowHandle gone = 0;
  {
    auto window = test::MakeWindow(session.Open());
    ASSERT_TRUE(window);
    gone = window->Handle();
  }
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {}, {"-h00000A1C"}, {test::HostSwitch(gone), "-l3"}, {"-l3", "-h00000A1C"}}) {
    SCOPED_TRACE(arguments.empty() ? "none" : arguments[0]);
    const auto start = std::chrono::steady_clock::now();
    const auto result = test::RunProgram("rqx340-import", arguments);
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
    // A dialog would wait for the user.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
  }
}

}  // namespace
}  // namespace rqx340
