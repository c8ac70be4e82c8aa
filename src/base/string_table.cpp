// The English string table and the %1 substitution.
#include "base/string_table.h"

#include <algorithm>
#include <iterator>
#include <span>

namespace rqx340 {

namespace {

struct Entry {
  int id;
  std::string_view text;
};

constexpr Entry kEnglish[] = {
    {2, "Close"},
    {129, "RQX340 Import"},
    {202, "WARNING! Cannot open exchange file with the main application."},
    {203, "WARNING! Cannot open exchange file with the main application."},
    {204, "WARNING! Cannot hand over the raw signal of %1."},
    {207, "WARNING! Connection with the main application is not possible."},
    {208, "Name"},
    {209, "Start time"},
    {210, "S/N"},
    {211, "Size"},
    {212, "Mode"},
    {213, "Raw"},
    {220, "Select RQX340 source folder"},
    {230, "WARNING! The measurement file cannot be opened: %1. It was not imported."},
    {231, "WARNING! The measurement file cannot be read: %1. It was not imported."},
    {232, "WARNING! The measurement file is not valid JSON at byte %1 (%2). It was not imported."},
    {233,
     "WARNING! The connection with the main application was lost: %1 of %2 measurements were "
     "imported, %3 were not."},
    {234, "WARNING! The import stopped: %1. %2 of %3 measurements were imported."},
    {250, "%1 files not listed\u2026"},
    {251, "1 file not listed\u2026"},
    {252, "Files not listed"},
    {253, "Name"},
    {254, "Reason"},
    {260, "cannot be opened: %1"},
    {261, "not a regular file"},
    {262, "cannot be read: %1"},
    {263, "the file is empty"},
    {264, "not valid JSON at byte %1"},
    {265, "nested too deep at byte %1"},
    {266, "true, false or null at byte %1 before the measurement keys"},
    {267, "measurement key missing or empty: %1"},
    {270, "&Copy"},
    {550, "WARNING! Main application error: %1."},
    {551, "Cannot open exchange file"},
    {552, "Cannot map exchange file"},
    {553, "Invalid exchange file version"},
    {554, "Empty channel string"},
    {555, "Unknown channel ID"},
    {556, "Bad channel data"},
    {557, "No time data"},
    {558, "Measurement lost"},
    {559, "WParam error"},
    {560, "Measurement stream error"},
    {561, "Measurement storage error"},
    {562, "Unknown error"},
    {563, "No spectra error"},
    {1002, "&Import selected..."},
    {1004, "Folder:"},
    {1005, "No valid measurements in selected folder!"},
    {1110, "&Browse..."},
    {1111, "Import &Raw"},
};

class EnglishStringTable final : public StringTable {
 public:
  std::string Load(int id) const override {
    const auto found = std::find_if(std::begin(kEnglish), std::end(kEnglish),
                                    [id](const Entry& entry) { return entry.id == id; });
    return found == std::end(kEnglish) ? std::string() : std::string(found->text);
  }
};

}  // namespace

const StringTable& EnglishStrings() {
  static const EnglishStringTable table;
  return table;
}

namespace {

// Appends `text` to `out` while it stays within kMaxFormattedText; false, with
// `out` cut at a character boundary and marked, once the bound is reached.
bool AppendBounded(std::string& out, std::string_view text) {
  if (out.size() + text.size() <= kMaxFormattedText) {
    out += text;
    return true;
  }
  std::size_t end = kMaxFormattedText - kCutMark.size();
  out += text.substr(0, end > out.size() ? end - out.size() : 0);
  if (out.size() > end) out.resize(end);
  // Back to the start of a UTF-8 sequence, so the cut splits no character.
  while (!out.empty() && (static_cast<unsigned char>(out.back()) & 0xC0) == 0x80) out.pop_back();
  if (!out.empty() && (static_cast<unsigned char>(out.back()) & 0x80) != 0) out.pop_back();
  out += kCutMark;
  return false;
}

std::string Expand(std::string_view pattern, std::span<const std::string_view> arguments) {
  std::string result;
  std::size_t literal_start = 0;
  for (std::size_t i = 0; i + 1 < pattern.size(); ++i) {
    if (pattern[i] != '%' || pattern[i + 1] < '1' || pattern[i + 1] > '9') continue;
    const auto index = static_cast<std::size_t>(pattern[i + 1] - '1');
    if (index >= arguments.size()) continue;
    if (!AppendBounded(result, pattern.substr(literal_start, i - literal_start)) ||
        !AppendBounded(result, arguments[index])) {
      return result;
    }
    literal_start = i + 2;
    ++i;
  }
  AppendBounded(result, pattern.substr(literal_start));
  return result;
}

}  // namespace

std::string FormatString(std::string_view pattern, std::string_view argument) {
  return Expand(pattern, std::span<const std::string_view>(&argument, 1));
}

std::string FormatString(std::string_view pattern,
                         std::initializer_list<std::string_view> arguments) {
  return Expand(pattern, std::span<const std::string_view>(arguments.begin(), arguments.size()));
}

}  // namespace rqx340
