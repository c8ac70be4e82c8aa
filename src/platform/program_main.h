// The entry point of the programs. Each program defines ProgramMain instead of
// main; the system half of the rqx340_program_main library defines the real
// entry point (wmain on Windows) and hands the arguments over as UTF-8, so that
// a file name the system's code page cannot spell still reaches the program.
#pragma once

#include <span>
#include <string_view>

namespace rqx340 {

// `args` without the program's own name, each UTF-8; valid until it returns.
int ProgramMain(std::span<const std::string_view> args);

}  // namespace rqx340
