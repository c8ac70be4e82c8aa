// Whether the standard streams are attached to a terminal, so that the CLI can
// draw progress only where a person watches it.
#pragma once

namespace rqx340 {

bool StandardErrorIsTerminal();

// The width of the terminal on standard error in columns; 80 when unknown.
int StandardErrorColumns();

}  // namespace rqx340
