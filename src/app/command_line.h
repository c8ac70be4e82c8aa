// The host's command line "-h%08X -l%d -k%d -i%d", read the way the C runtime's
// formatted input reads it, so whatever the host passes means what it meant.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace rqx340 {

// The fields a command line sets; a field that is not matched keeps its value.
struct CommandLineFields {
  std::uint32_t host_window = 0;     // -h
  std::int32_t language = 0;         // -l
  std::int32_t ignored = 0;          // -k: read and not used
  std::int32_t exchange_index = -1;  // -i
};

// The arguments after the program name joined by single blanks: the command line
// as the host wrote it, without the program's path.
std::string JoinArguments(std::span<const std::string> arguments);

// Matches `text` against "-h%8X -l%d -k%d -i%d" from its first character, as
// sscanf does: literal characters match exactly, the blank matches any run of
// white space (none included), each number skips leading white space, %8X takes
// a sign and "0x" within its 8 characters. Matching stops at the first character
// that does not fit; the fields read until then are stored. A %d beyond 32 bits
// saturates. Returns the number of fields stored.
int MatchCommandLine(std::string_view text, CommandLineFields& fields);

}  // namespace rqx340
