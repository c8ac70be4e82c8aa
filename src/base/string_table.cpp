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
    {300, "Preview - %1"},
    {301, "Rows"},
    {302, "Mode"},
    {303, "Sum"},
    {304, "no rows"},
    {305, "rms %1"},
    {306, "peak %1"},
    {307, "vdv %1"},
    {308, "Exposure action value"},
    {309, "Exposure limit value"},
    {310, "not set"},
    {311, "A(8): enter 0 < T <= 24 hours"},
    {312, "A(8): none in vibration mode"},
    {313, "A(8) = %1"},
    {314, "A(8): none without rows"},
    {315, "no action or limit value set"},
    {316, "above limit value"},
    {317, "above action value"},
    {318, "below action value"},
    {319, "below limit value"},
    {320, "unknown (A(8) is not a number)"},
    {321,
     "The file's sum factors (%1) differ from 1.4, 1.4, 1.0. A(8) uses 1.4, 1.4, 1.0; the "
     "meter's own sum is weighted otherwise."},
    {322, "&Daily exposure time (hours):"},
    {323, "The time the worker is exposed per day, 0 < T <= 24"},
    {324, "Export &CSV..."},
    {325, "Export &WAV..."},
    {326, "The reading was stopped."},
    {327, "The file cannot be read."},
    {328, "%1 (not valid JSON: read as an empty measurement)"},
    {329, "The CSV file could not be written: %1"},
    {330, "The WAV file could not be written: %1"},
    {331, "read error"},
    {332, "Export CSV"},
    {333, "CSV files (*.csv)"},
    {334, "Export WAV"},
    {335, "WAV files (*.wav)"},
    {336, "No rows"},
    {337, "row %1"},
    {338, "rms sum"},
    {340, "Preview\u2026"},
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
