// Runs one of the built programs (found through RQX340_BIN_DIR) and captures
// what it writes.
#pragma once

#include <string>
#include <vector>

namespace rqx340::test {

struct ProgramResult {
  int exit_code = -1;  // -1 when it could not be started or did not exit normally
  std::string out;
  std::string err;
};

// Runs `program` (a name in RQX340_BIN_DIR, or an absolute path) with `args`. `env` entries
// ("TZ=UTC") are set on top of the test's own environment.
ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env = {});

// The full path of `program` in RQX340_BIN_DIR.
std::string ProgramPath(const std::string& program);

// Sends the process `pid` an interrupt, as Ctrl-C in its terminal would.
void Interrupt(int pid);

}  // namespace rqx340::test
