// Starting, stopping and reading the log of the import tests' host.
#include "support/host_test.h"

#include "support/command_log_reader.h"
#include "support/run_program.h"

namespace rqx340::test {

void HostTest::StartHost(const std::vector<std::string>& extra) {
  std::vector<std::string> args = {"--tool", ProgramPath("rqx340"), "--inbox", m_inbox.string(),
                                   "--log",  m_log.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  m_host.emplace(m_session, args);
  ASSERT_TRUE(m_host->Started()) << m_host->FirstLine();
}

void HostTest::StopHost() {
  if (m_host) m_host->Stop();
  m_host.reset();
}

std::vector<std::uint32_t> HostTest::LoggedCommands() const {
  return CommandsOf(ReadCommandLog(m_log));
}

}  // namespace rqx340::test
