// What the two halves of file_system.cpp take from its portable part.
#pragma once

#include <string_view>

namespace rqx340 {

// Whether a listed name is one ListFiles keeps: it ends in `suffix`, ASCII
// letters compared without case.
bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix);

}  // namespace rqx340
