// Text from measurement files and the file system as the CLI prints it on a
// terminal: control characters never reach the terminal raw, so a name cannot
// move the cursor, retitle the window or fake a line of its own, and columns
// line up by what the terminal shows, not by bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/display_text.h"

namespace rqx340::cli {

// Controls and direction marks escaped (EscapeForDisplay); backslashes as they
// are. For messages on standard error.
inline std::string EscapeControls(std::string_view text) { return EscapeForDisplay(text); }

// A field of `list --tsv`: "\\", "\t", "\n" and "\r" for backslash, TAB, LF
// and CR, the other controls and direction marks as EscapeForDisplay shows them.
std::string EscapeTsvField(std::string_view field);

// A cell of `list`'s table: "\\" for a backslash, so that an escape cannot be
// faked, and the escapes of EscapeForDisplay.
inline std::string EscapeTableCell(std::string_view cell) {
  return EscapeForDisplay(cell, Backslashes::kDoubled);
}

// Compact JSON text with DEL written as "\u007F", as the other controls
// already are. DEL can only stand inside a string of JSON text.
std::string EscapeDelInJson(std::string_view json);

// The columns a terminal gives valid UTF-8 text: 2 for a wide or full-width
// character, 0 for a combining or format character, 1 for any other.
std::size_t DisplayWidth(std::string_view utf8);

}  // namespace rqx340::cli
