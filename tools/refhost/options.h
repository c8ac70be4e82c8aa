// The command line of zul-refhost.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace rqx340::refhost {

// A command (wParam) and, optionally, which of its occurrences (1 = the first).
struct CommandMatch {
  std::uint32_t command = 0;
  std::optional<std::uint64_t> occurrence;

  bool Matches(std::uint32_t received, std::uint64_t count) const {
    return received == command && (!occurrence || *occurrence == count);
  }
};

struct FailRule {
  CommandMatch match;
  std::uint32_t reply = 0;
};

struct Options {
  // Empty with --launch: the dialog program of this installation.
  std::string tool;
  int slots = 1;
  std::string client_id = "ZURQX340";
  std::string inbox = "zul-inbox";
  std::optional<std::string> log;
  std::vector<FailRule> fails;
  std::vector<CommandMatch> exit_on;
  bool launch = false;
  // The language (-l) of the launched tool's default command line.
  int language = 0;
  // Replaces the tool's default command line when given after --launch.
  std::vector<std::string> launch_arguments;
};

inline constexpr std::string_view kUsage =
    "usage: zul-refhost --tool PATH [--slots N] [--client-id ID] [--inbox DIR] [--log FILE]\n"
    "                   [--fail CMD[@N]=REPLY]... [--exit-on CMD[@N]]... [--language N]\n"
    "                   [--launch [ARG...]]\n"
    "       zul-refhost --version\n"
    "Without --tool, --launch starts the dialog program rqx340-import beside zul-refhost\n"
    "or, when installed, in ../lib/rqx340-import/ from it.\n";

// Fails, saying why, for a command line that does not parse.
Result<Options> ParseOptions(std::span<const std::string_view> args);

}  // namespace rqx340::refhost
