// rqx340-import.exe: the dialog program the host starts. Without a live host it
// ends at once, silently; a program of the Windows subsystem, it has no console.
#include "platform/program_main.h"
#include "ui/win32/dialog_program.h"

int rqx340::ProgramMain(std::span<const std::string_view> args) { return RunWin32Program(args); }
