// A private session directory for one test: a fresh temporary folder that
// RQX340_RUNTIME_DIR names while the object lives, so tests run in parallel.
// TMP and TEMP name a private folder too, where Windows puts the hand-over
// files, so no test sees another's.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/session_dir.h"
#include "platform/window.h"
#include "support/run_program.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace rqx340::test {

class TestSession {
 public:
  TestSession();
  const std::filesystem::path& Path() const { return m_dir.Path(); }
  // The directory, opened as the programs open it.
  SessionDir Open() const;
  // Environment for a child process that shares this session.
  SpawnOptions ChildOptions(bool capture_stdout = true) const;

 private:
  TempDir m_dir;
  ScopedEnv m_env;
  TempDir m_temp;
  ScopedEnv m_tmpEnv;
  ScopedEnv m_tempEnv;
};

// A window of this process, or null after a test failure.
std::unique_ptr<MessageEndpoint> MakeWindow(const SessionDir& dir);
// The windows of a session, or null after a test failure.
std::unique_ptr<SessionMessenger> MakeMessenger(const SessionDir& dir);

// A running zul-refhost of this build.
class RefHost {
 public:
  // Starts zul-refhost (of this build, or the copy at `program`) with `arguments`
  // and waits for its "window XXXXXXXX" line.
  RefHost(const TestSession& session, const std::vector<std::string>& arguments,
          const std::string& program = "zul-refhost");
  bool Started() const { return m_window != 0; }
  std::uint32_t Window() const { return m_window; }
  const std::string& FirstLine() const { return m_strFirstLine; }
  ChildProcess& Process() { return *m_process; }
  // Asks it to end and returns its exit code.
  int Stop();

 private:
  std::optional<ChildProcess> m_process;
  std::uint32_t m_window = 0;
  std::string m_strFirstLine;
};

}  // namespace rqx340::test
