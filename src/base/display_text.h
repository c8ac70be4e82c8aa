// Text from measurement files and the file system as it is shown to a person: a
// terminal line, a cell of a list, a message. Characters that move the cursor,
// end a line or turn the writing direction are shown as escapes, never acted
// on, so a name can neither fake a line nor read backwards.
#pragma once

#include <string>
#include <string_view>

namespace rqx340 {

enum class Backslashes {
  kAsIs,     // messages and list cells
  kDoubled,  // "\\": where an escape must not be fakeable (the terminal table)
};

// `text` (UTF-8) with every C0 control and DEL as "\xNN", and every C1 control,
// U+2028, U+2029 and bidirectional formatting character (U+061C, U+200E,
// U+200F, U+202A to U+202E, U+2066 to U+2069) as "\uNNNN", upper-case hex
// digits. Every other byte, valid UTF-8 or not, stays as it is.
std::string EscapeForDisplay(std::string_view text, Backslashes backslashes = Backslashes::kAsIs);

}  // namespace rqx340
