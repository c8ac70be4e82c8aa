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
