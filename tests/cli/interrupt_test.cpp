// Ctrl-C (SIGINT) and SIGTERM stop rqx340 convert, export and import without
// leaving anything behind. Both run as real processes on a measurement large
// enough that the signal arrives while its rows are written: the test waits for
// the file being written to appear, then signals.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/process.h"
#include "support/command_log_reader.h"
#include "support/fifo.h"
#include "support/host_test.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace rqx340 {
namespace {

namespace fs = std::filesystem;
using test::FolderNames;
using test::ProgramPath;
using test::TempDir;
using Names = std::vector<std::string>;

std::string Hex(std::uint32_t window) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", window);
  return text;
}

// True once a name in `folder` starts with `prefix`; false when `child` ended first
// or a minute passed.
bool WaitForName(const fs::path& folder, std::string_view prefix, ChildProcess& child) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (std::chrono::steady_clock::now() < deadline) {
    for (const std::string& name : FolderNames(folder)) {
      if (name.rfind(prefix, 0) == 0) return true;
    }
    if (child.TryWait()) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

class InterruptTest : public test::HostTest {
 protected:
  // One measurement of 80 000 rows with both octave sets (about 120 MB),
  // written while its exchange file grows for a good fraction of a second.
  static void SetUpTestSuite() {
    s_measurements = std::make_unique<TempDir>();
    const auto result = test::RunProgram(
        "rqx340-gen",
        {"--count", "1", "--rows", "80000", "--octaves", "both", s_measurements->Path().string()});
    ASSERT_EQ(result.exit_code, 0) << result.err;
  }
  static void TearDownTestSuite() { s_measurements.reset(); }

  static fs::path Measurement() { return s_measurements->Path() / "M0001.rqx2"; }

  static std::unique_ptr<TempDir> s_measurements;
};

std::unique_ptr<TempDir> InterruptTest::s_measurements;

TEST_F(InterruptTest, ConvertLeavesNeitherOutNorItsTemporaryFile) {
  struct Case {
    const char* what;
    bool interrupt;  // SIGINT, else SIGTERM
    int exit_code;
  };
  const Case cases[] = {{"Ctrl-C", true, 130}, {"SIGTERM", false, 143}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir out_dir;
    const fs::path out = out_dir.Path() / "out.xch";
    auto child = ChildProcess::Spawn(ProgramPath("rqx340"),
                                     {"convert", Measurement().string(), out.string()}, {});
    ASSERT_TRUE(child) << child.ErrorText();
    // The replacement of OUT is created beside it before the first row.
    ASSERT_TRUE(WaitForName(out_dir.Path(), ".out.xch.", *child)) << "no temporary file seen";
    if (c.interrupt) {
      test::Interrupt(child->Id());
    } else {
      child->Terminate();
    }
    EXPECT_EQ(child->Wait(), c.exit_code);
    EXPECT_EQ(FolderNames(out_dir.Path()), Names{});
  }
}

// Every command that writes OUT waits at a FIFO for its reader until it is
// stopped; Ctrl-C or SIGTERM there is a stop, not a write error ("Interrupted
// system call", exit 1, as export said).
TEST_F(InterruptTest, ASignalWhileWaitingForAReaderAtAFifoIsAStop) {
  TempDir dir;
  const auto generated = test::RunProgram(
      "rqx340-gen",
      {"--count", "1", "--rows", "2", "--raw", "1", "--raw-samples", "4", dir.Path().string()});
  ASSERT_EQ(generated.exit_code, 0) << generated.err;
  const std::string in = (dir.Path() / "M0001.rqx2").string();
  const fs::path out = dir.Path() / "out.fifo";
  ASSERT_TRUE(test::MakeFifo(out.string()));
  struct Case {
    std::vector<std::string> args;
    bool interrupt;  // SIGINT, else SIGTERM
    int exit_code;
  };
  const Case cases[] = {
      {{"convert", in, out.string()}, true, 130},
      {{"convert", in, out.string()}, false, 143},
      {{"export", "--csv", in, out.string()}, true, 130},
      {{"export", "--csv", in, out.string()}, false, 143},
      {{"export", "--wav", in, out.string()}, true, 130},
      {{"export", "--wav", in, out.string()}, false, 143},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1] + (c.interrupt ? " SIGINT" : " SIGTERM"));
    SpawnOptions options;
    options.capture_stdout = true;
    options.merge_stderr = true;
    auto child = ChildProcess::Spawn(ProgramPath("rqx340"), c.args, options);
    ASSERT_TRUE(child) << child.ErrorText();
    // Nothing shows when it waits for a reader; a second is ample for a file of two rows.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    if (c.interrupt) {
      test::Interrupt(child->Id());
    } else {
      child->Terminate();
    }
    const std::string said = child->ReadRest();
    EXPECT_EQ(child->Wait(), c.exit_code) << said;
    EXPECT_EQ(said.find("Interrupted"), std::string::npos) << said;
  }
}

TEST_F(InterruptTest, ExportCsvLeavesNeitherOutNorItsTemporaryFile) {
  TempDir out_dir;
  const fs::path out = out_dir.Path() / "out.csv";
  auto child = ChildProcess::Spawn(ProgramPath("rqx340"),
                                   {"export", "--csv", Measurement().string(), out.string()}, {});
  ASSERT_TRUE(child) << child.ErrorText();
  ASSERT_TRUE(WaitForName(out_dir.Path(), ".out.csv.", *child)) << "no temporary file seen";
  test::Interrupt(child->Id());
  EXPECT_EQ(child->Wait(), 130);
  EXPECT_EQ(FolderNames(out_dir.Path()), Names{});
}

TEST_F(InterruptTest, ImportClosesTheConnectionAndRemovesItsFiles) {
  fs::create_directories(m_folder);
  fs::copy_file(Measurement(), m_folder / "M0001.rqx2");
  StartHost();
  auto child = ChildProcess::Spawn(
      ProgramPath("rqx340"),
      {"import", "--host", Hex(m_host->Window()), "--folder", m_folder.string(), "M0001.rqx2"},
      m_session.ChildOptions(false));
  ASSERT_TRUE(child) << child.ErrorText();
  // The exchange file is created before its first row.
  ASSERT_TRUE(WaitForName(m_session.Path(), "ZURQX340.$$$", *child)) << "no exchange file seen";
  test::Interrupt(child->Id());
  EXPECT_EQ(child->Wait(), 130);
  StopHost();
  EXPECT_EQ(LoggedCommands(), (std::vector<std::uint32_t>{5, 4}));
  EXPECT_EQ(test::HandoverLeftovers(m_session.Path()), Names{});
  EXPECT_EQ(FolderNames(m_inbox), Names{});
}

}  // namespace
}  // namespace rqx340
