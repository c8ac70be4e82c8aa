// The program itself: without a live host it ends at once, silently, whatever
// the display, the session directory and the arguments.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/process.h"
#include "platform/window.h"
#include "support/app_context.h"
#include "support/run_program.h"
#include "support/session.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

using test::TempDir;
using test::TestSession;

struct Outcome {
  int exit_code = -1;
  std::string output;  // standard output and error together
};

// Runs rqx340-import with no display of any kind, its settings and tables under
// `home`.
Outcome RunWithoutDisplay(const std::vector<std::string>& arguments, const std::string& runtime_dir,
                          const std::filesystem::path& home) {
  SpawnOptions options;
  options.capture_stdout = true;
  options.merge_stderr = true;
  options.environment = {{"DISPLAY", std::nullopt},
                         {"WAYLAND_DISPLAY", std::nullopt},
                         {"QT_QPA_PLATFORM", std::nullopt},
                         {"RQX340_RUNTIME_DIR", runtime_dir},
                         {"HOME", home.string()},
                         {"XDG_CONFIG_HOME", (home / "config").string()},
                         {"RQX340_DATA_DIR", (home / "data").string()}};
  auto child = ChildProcess::Spawn(test::ProgramPath("rqx340-import"), arguments, options);
  if (!child) {
    ADD_FAILURE() << child.ErrorText();
    return {};
  }
  Outcome outcome;
  outcome.output = child->ReadRest();
  outcome.exit_code = child->Wait();
  return outcome;
}

TEST(Rqx340ImportTest, WithoutALiveHostItExitsZeroAndPrintsNothing) {
  TestSession session;
  TempDir home;
  std::filesystem::create_directories(home.Path() / "data");
  // A settings name, so the settings would have a place of their own if
  // anything were written.
  home.Write("data/ZULR.lang", "2021\tSuite\n");
  WindowHandle gone = 0;
  {
    auto window = test::MakeWindow(session.Open());
    ASSERT_TRUE(window);
    gone = window->Handle();
  }
  const std::string gone_text = test::HostSwitch(gone);
  TempDir open_to_all;
  chmod(open_to_all.Path().c_str(), 0777);
  const std::string live = session.Path().string();

  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    std::string runtime_dir;
  };
  const std::vector<Case> cases = {
      {"no arguments", {}, live},
      {"Qt's own options", {"-platform", "xcb", "-display", ":99"}, live},
      {"the program's path first", {"/usr/bin/rqx340-import", "-h00000A1C"}, live},
      {"a window that went away", {gone_text, "-l3", "-k0", "-i0"}, live},
      {"a window that never was", {"-h00000A1C", "-l0", "-k0", "-i0"}, live},
      {"session directory refused", {gone_text, "-l0"}, open_to_all.Path().string()},
      {"session directory missing", {gone_text}, "/nonexistent/rqx340/zul"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = RunWithoutDisplay(c.arguments, c.runtime_dir, home.Path());
    EXPECT_EQ(outcome.exit_code, 0);
    EXPECT_EQ(outcome.output, "");
  }
  // Nothing was written.
  EXPECT_FALSE(std::filesystem::exists(home.Path() / "config"));
}

}  // namespace
}  // namespace rqx340
