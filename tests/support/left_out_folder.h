// A folder with one measurement the scan lists and one file for each reason the
// scan has to leave a file out, as far as this system and user can make them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rqx340::test {

struct LeftOutCase {
  std::string name;
  std::string reason;  // the reason's name for machines
  std::string text;    // the English text for people
};

// The one file of such a folder that is listed.
inline constexpr const char* kListedInLeftOutFolder = "listed.rqx2";

// Fills `folder` (which exists) with the fixtures of tests/data/scan/left_out
// and the cases that cannot be checked in: nesting past the limit, a folder, a
// FIFO, links that lead nowhere, a file whose read fails, one without read
// permission. Returns what the scan must say of each file it leaves out,
// sorted by name.
std::vector<LeftOutCase> FillLeftOutFolder(const std::filesystem::path& folder);

}  // namespace rqx340::test
