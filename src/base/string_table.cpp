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

// Made from res/lang/en.txt, the source of the program's resources too.
constexpr Entry kEnglish[] = {
#include "base/english_strings.inc"
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
