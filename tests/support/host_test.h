// A test that imports into a zul-refhost serving this build's rqx340: its own
// session directory, a folder for the measurements, and the host's inbox and
// command log beside it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/session.h"
#include "support/temp_dir.h"

namespace rqx340::test {

class HostTest : public ::testing::Test {
 protected:
  // Starts the host with --tool, --inbox and --log, then `extra`.
  void StartHost(const std::vector<std::string>& extra = {});
  // Stops the host if it runs, so that its log is complete.
  void StopHost();
  // The commands the host logged, in order.
  std::vector<std::uint32_t> LoggedCommands() const;

  TestSession m_session;
  TempDir m_data;
  std::filesystem::path m_folder = m_data.Path() / "meas";
  std::filesystem::path m_inbox = m_data.Path() / "inbox";
  std::filesystem::path m_log = m_data.Path() / "commands.log";
  std::optional<RefHost> m_host;
};

}  // namespace rqx340::test
