// The progress bar on a terminal: a label made of a file name never reaches the
// terminal with its control characters.
#include "cli/terminal_progress.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace rqx340::cli {
namespace {

TEST(TerminalProgress, LabelsAreEscaped) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  {
    TerminalProgress progress(out, true, 100);
    progress.SetLabel("Reading a\x1b]0;title\x07\rb.rqx2");
    progress.SetRange(0, 10);
    progress.Show();
    progress.Hide();
  }
  std::fflush(out);
  std::rewind(out);
  std::string written;
  char buffer[256];
  while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, out)) written.append(buffer, n);
  std::fclose(out);
  EXPECT_NE(written.find("Reading a\\x1B]0;title\\x07\\x0Db.rqx2"), std::string::npos) << written;
  // The only escape sequence is the bar's own erase to the end of the line.
  for (std::size_t at = written.find("\x1b[K"); at != std::string::npos;
       at = written.find("\x1b[K")) {
    written.erase(at, 3);
  }
  EXPECT_EQ(written.find('\x1b'), std::string::npos);
  EXPECT_EQ(written.find('\x07'), std::string::npos);
}

}  // namespace
}  // namespace rqx340::cli
