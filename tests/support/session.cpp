// A session directory per test, and zul-refhost started in it.
#include "support/session.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace rqx340::test {

TestSession::TestSession()
    : m_env("RQX340_RUNTIME_DIR", m_dir.Path().string().c_str()),
      m_tmpEnv("TMP", m_temp.Path().string().c_str()),
      m_tempEnv("TEMP", m_temp.Path().string().c_str()) {}

SessionDir TestSession::Open() const {
  auto dir = SessionDir::OpenPath(m_dir.Path().string());
  if (!dir) {
    ADD_FAILURE() << dir.ErrorText();
    std::abort();
  }
  return std::move(*dir);
}

std::unique_ptr<MessageEndpoint> MakeWindow(const SessionDir& dir) {
  auto window = MessageEndpoint::Create(dir);
  EXPECT_TRUE(window) << window.ErrorText();
  return window ? std::move(*window) : nullptr;
}

std::unique_ptr<SessionMessenger> MakeMessenger(const SessionDir& dir) {
  auto messenger = SessionMessenger::Open(dir);
  EXPECT_TRUE(messenger) << messenger.ErrorText();
  return messenger ? std::move(*messenger) : nullptr;
}

SpawnOptions TestSession::ChildOptions(bool capture_stdout) const {
  SpawnOptions options;
  options.environment.emplace_back("RQX340_RUNTIME_DIR", m_dir.Path().string());
  options.environment.emplace_back("TMP", m_temp.Path().string());
  options.environment.emplace_back("TEMP", m_temp.Path().string());
  options.capture_stdout = capture_stdout;
  options.pipe_stdin = true;
  return options;
}

RefHost::RefHost(const TestSession& session, const std::vector<std::string>& arguments,
                 const std::string& program) {
  auto process = ChildProcess::Spawn(ProgramPath(program), arguments, session.ChildOptions());
  if (!process) {
    ADD_FAILURE() << process.ErrorText();
    return;
  }
  m_process = std::move(*process);
  const auto line = m_process->ReadLine(30000);
  if (!line) {
    ADD_FAILURE() << "zul-refhost printed no window line";
    return;
  }
  m_strFirstLine = *line;
  if (line->size() == 15 && line->rfind("window ", 0) == 0) {
    m_window = static_cast<std::uint32_t>(std::strtoul(line->c_str() + 7, nullptr, 16));
  }
}

int RefHost::Stop() {
  if (!m_process) return -1;
  m_process->Terminate();
  return m_process->Wait();
}

}  // namespace rqx340::test
