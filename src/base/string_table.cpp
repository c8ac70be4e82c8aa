// The English string table and the %1 substitution.
#include "base/string_table.h"

#include <algorithm>
#include <iterator>

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
    {230, "%1 files not listed\u2026"},
    {231, "1 file not listed\u2026"},
    {232, "Files not listed"},
    {233, "Name"},
    {234, "Reason"},
    {240, "cannot be opened: %1"},
    {241, "not a regular file"},
    {242, "cannot be read: %1"},
    {243, "the file is empty"},
    {244, "not valid JSON at byte %1"},
    {245, "nested too deep at byte %1"},
    {246, "true, false or null at byte %1 before the measurement keys"},
    {247, "measurement key missing or empty: %1"},
    {248, "the name cannot be expressed in code page %1"},
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

std::string FormatString(std::string_view pattern, std::string_view argument) {
  std::string result;
  result.reserve(pattern.size() + argument.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == '1') {
      result += argument;
      ++i;
    } else {
      result += pattern[i];
    }
  }
  return result;
}

}  // namespace rqx340
