// Interrupts (Ctrl-C) and termination requests from outside the program.
// Once caught, such a request only sets a flag that the program polls, so that
// long work can stop at a safe point and leave nothing behind.
#pragma once

namespace rqx340 {

// From now on an interrupt or a termination request sets the flag instead of
// ending the process, and a write past the file size limit fails instead of
// ending it.
void CatchTerminationRequests();

// True once a request came.
bool TerminationRequested();

// The exit status that reports the first request: 130 for an interrupt, 143
// for a termination request, 129 for a hang-up (the terminal went away); 0
// while none came.
int TerminationExitCode();

}  // namespace rqx340
