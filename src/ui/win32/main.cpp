// rqx340-import.exe: the dialog program the host starts. Without a live host it
// ends at once, silently; a program of the Windows subsystem, it has no console
// of its own, and writes only --version's line, to the output it was given.
#include <cstdio>

#include "base/version.h"
#include "platform/program_main.h"
#include "ui/win32/dialog_program.h"

int rqx340::ProgramMain(std::span<const std::string_view> args) {
  // For people and package checks; a host's command line never is this.
  if (args.size() == 1 && args[0] == "--version") {
    std::printf("%s\n", VersionText("rqx340-import").c_str());
    std::fflush(stdout);
    return 0;
  }
  return RunWin32Program(args);
}
