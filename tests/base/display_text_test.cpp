// Names are shown with their controls and direction marks escaped, so they can
// neither break a line nor turn the text around.
#include "base/display_text.h"

#include <gtest/gtest.h>

#include <string>

namespace rqx340 {
namespace {

TEST(EscapeForDisplayTest, ControlsAndDirectionMarksAreShownEscaped) {
  struct Case {
    const char* what;
    std::string text;
    std::string shown;
  };
  const Case cases[] = {
      {"plain", "M0001.rqx2", "M0001.rqx2"},
      {"a line feed", "a\nb.rqx2", "a\\x0Ab.rqx2"},
      {"ESC, BEL, DEL", "\x1b]0;t\x07\x7f", "\\x1B]0;t\\x07\\x7F"},
      {"NUL inside", std::string("a\0b", 3), "a\\x00b"},
      {"right-to-left override", "gpj.\xE2\x80\xAEtxt.rqx2", "gpj.\\u202Etxt.rqx2"},
      {"every embedding and override",
       "\xE2\x80\xAA\xE2\x80\xAB\xE2\x80\xAC\xE2\x80\xAD\xE2\x80\xAE",
       "\\u202A\\u202B\\u202C\\u202D\\u202E"},
      {"isolates", "\xE2\x81\xA6\xE2\x81\xA7\xE2\x81\xA8\xE2\x81\xA9",
       "\\u2066\\u2067\\u2068\\u2069"},
      {"marks", "\xE2\x80\x8E\xE2\x80\x8F\xD8\x9C", "\\u200E\\u200F\\u061C"},
      {"line and paragraph separators",
       "a\xE2\x80\xA8"
       "b\xE2\x80\xA9",
       "a\\u2028b\\u2029"},
      {"C1 controls", "\xC2\x80\xC2\x9B\xC2\x9F", "\\u0080\\u009B\\u009F"},
      {"neighbours stay", "\xC2\xA0\xE2\x80\x8D\xE2\x80\xA9x\xE2\x81\xA5\xE2\x80\x94",
       "\xC2\xA0\xE2\x80\x8D\\u2029x\xE2\x81\xA5\xE2\x80\x94"},
      {"ill-formed bytes stay", "\xE2\x80\xFF\xC2", "\xE2\x80\xFF\xC2"},
      {"backslashes stay", "a\\x0A", "a\\x0A"},
      {"umlauts and CJK stay", "M\xC3\xA4\xE6\xB8\xAC", "M\xC3\xA4\xE6\xB8\xAC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(EscapeForDisplay(c.text), c.shown);
  }
  EXPECT_EQ(EscapeForDisplay("a\\x0A\n", Backslashes::kDoubled), "a\\\\x0A\\x0A");
}

}  // namespace
}  // namespace rqx340
