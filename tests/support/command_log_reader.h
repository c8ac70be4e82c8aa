// Reads what zul-refhost wrote to its --log file, and looks for hand-over files
// a run may have left in a session directory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace rqx340::test {

struct LoggedCommand {
  std::uint32_t cmd = 0;
  std::int32_t slot = 0;
  std::optional<std::uint32_t> reply;  // none when the host died handling it
  std::string status;                  // the reply's low byte, or "exit"
  std::vector<std::string> checks;
};

// Every line of the log; a line that does not parse or lacks a key fails the
// test.
std::vector<LoggedCommand> ReadCommandLog(const std::filesystem::path& path);

// The commands alone, in order.
std::vector<std::uint32_t> CommandsOf(const std::vector<LoggedCommand>& log);

// The hand-over files (the exchange identifier's names and "~_..." axis files)
// that remain in `session`.
std::vector<std::string> HandoverLeftovers(const std::filesystem::path& session);

}  // namespace rqx340::test
