#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace rqx340 {
namespace {

struct CommandLineCase {
  const char* line;
  int stored;
  std::uint32_t host;
  std::int32_t language;
  std::int32_t ignored;
  std::int32_t exchange;
};

constexpr CommandLineCase kCases[] = {
    // What the host passes.
    {"-h00000A1C -l0 -k7 -i2", 4, 0xA1C, 0, 7, 2},
    {"-hA1C", 1, 0xA1C, 0, 0, -1},
    {"-h00000A1C-l3", 2, 0xA1C, 3, 0, -1},
    {"-h1-l2-k3-i4", 4, 1, 2, 3, 4},
    {"-h1 -l2 -k3 -i4 more text", 4, 1, 2, 3, 4},
    {"-ha1c -l0", 2, 0xA1C, 0, 0, -1},
    {"", 0, 0, 0, 0, -1},
    // The program's path or another switch first: nothing is read.
    {"/usr/bin/rqx340-import -h00000A1C", 0, 0, 0, 0, -1},
    {"-l3 -h00000A1C", 0, 0, 0, 0, -1},
    {" -h00000A1C", 0, 0, 0, 0, -1},
    // A sign and "0x" count within the 8 characters of %8X.
    {"-h0xA1C", 1, 0xA1C, 0, 0, -1},
    {"-h0xA1C -l2", 2, 0xA1C, 2, 0, -1},
    {"-h-1", 1, 0xFFFFFFFF, 0, 0, -1},
    {"-h+0x1F -l2", 2, 0x1F, 2, 0, -1},
    {"-h-0x1 -l2", 2, 0xFFFFFFFF, 2, 0, -1},
    {"-h0X00000001 -l4", 1, 0, 0, 0, -1},
    {"-h123456789 -l5", 1, 0x12345678, 0, 0, -1},
    {"-h12345678 -l5", 2, 0x12345678, 5, 0, -1},
    {"-hFFFFFFFF -l1", 2, 0xFFFFFFFF, 1, 0, -1},
    // "0x" without digits reads as 0 and is taken whole.
    {"-h0x -l3", 2, 0, 3, 0, -1},
    {"-h0xg -l3", 1, 0, 0, 0, -1},
    {"-h00x1 -l3", 1, 0, 0, 0, -1},
    {"-h- -l3", 0, 0, 0, 0, -1},
    {"-hg", 0, 0, 0, 0, -1},
    // Numbers skip white space before them; the blank matches any run of it.
    {"-h  1 -l2", 2, 1, 2, 0, -1},
    {"-h1 -l +3", 2, 1, 3, 0, -1},
    {"-h1 \t -l2", 2, 1, 2, 0, -1},
    {"-h1 -l+-3", 1, 1, 0, 0, -1},
    {"-h1 -l- 3", 1, 1, 0, 0, -1},
    {"-h1 -lx -k2", 1, 1, 0, 0, -1},
    {"-h1 -l3 -k -i4", 2, 1, 3, 0, -1},
    {"-h1 -l0x10", 2, 1, 0, 0, -1},
    {"-h1 -l-5 -k0 -i-7", 4, 1, -5, 0, -7},
    // %d beyond 32 bits saturates.
    {"-i99999999999", 0, 0, 0, 0, -1},
    {"-h1 -l0 -k0 -i99999999999", 4, 1, 0, 0, 2147483647},
    {"-h1 -l0 -k0 -i-99999999999", 4, 1, 0, 0, -2147483647 - 1},
    {"-h1 -l0 -k0 -i999999999999999999999999", 4, 1, 0, 0, 2147483647},
    {"-h1 -l2147483647", 2, 1, 2147483647, 0, -1},
    {"-h1 -l-2147483648", 2, 1, -2147483647 - 1, 0, -1},
    {"-h1 -l2147483648", 2, 1, 2147483647, 0, -1},
};

TEST(CommandLineTest, MatchesThePatternAsSscanfDoes) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    CommandLineFields fields;
    EXPECT_EQ(MatchCommandLine(c.line, fields), c.stored);
    EXPECT_EQ(fields.host_window, c.host);
    EXPECT_EQ(fields.language, c.language);
    EXPECT_EQ(fields.ignored, c.ignored);
    EXPECT_EQ(fields.exchange_index, c.exchange);
  }
}

TEST(CommandLineTest, FieldsThatAreNotMatchedKeepTheirValues) {
  CommandLineFields fields{0x55, 4, 9, 3};
  EXPECT_EQ(MatchCommandLine("-hA1C -lx", fields), 1);
  EXPECT_EQ(fields.host_window, 0xA1Cu);
  EXPECT_EQ(fields.language, 4);
  EXPECT_EQ(fields.ignored, 9);
  EXPECT_EQ(fields.exchange_index, 3);
  EXPECT_EQ(MatchCommandLine("-hx", fields), 0);
  EXPECT_EQ(fields.host_window, 0xA1Cu);
}

TEST(CommandLineTest, ArgumentsAreJoinedBySingleBlanks) {
  const std::vector<std::string> arguments = {"-h00000A1C", "-l3", "", "-k0"};
  EXPECT_EQ(JoinArguments(arguments), "-h00000A1C -l3  -k0");
  EXPECT_EQ(JoinArguments({}), "");
  // An empty first argument puts a blank first, which "-h" does not match.
  const std::vector<std::string> empty_first = {"", "-h1"};
  CommandLineFields fields;
  EXPECT_EQ(MatchCommandLine(JoinArguments(empty_first), fields), 0);
}

// The C library as the reference, over random lines built from the pattern's
// pieces, where no number goes beyond 32 bits (there the C library wraps).
TEST(CommandLineTest, AgreesWithTheCLibraryOnRandomLines) {
  const std::vector<std::string> pieces = {
      "-h", "-l", "-k", "-i", " ", "  ", "\t",       "0",    "0x", "0X",       "-",  "+",
      "1",  "9",  "A",  "f",  "g", "x",  "12345678", "7FFF", "-1", "00000A1C", "42", "-"};
  std::mt19937 random(20240611);
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    const int count = static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) line += pieces[random() % pieces.size()];
    if (random() % 2 == 0) line = "-h" + line;
    // Keep every decimal run short enough for 32 bits.
    bool long_run = false;
    int run = 0;
    for (const char c : line) {
      run = (c >= '0' && c <= '9') ? run + 1 : 0;
      long_run = long_run || run > 9;
    }
    if (long_run) continue;

    unsigned host = 0;
    int language = 0;
    int ignored = 0;
    int exchange = -1;
    int expected =
        std::sscanf(line.c_str(), "-h%8X -l%d -k%d -i%d", &host, &language, &ignored, &exchange);
    if (expected < 0) expected = 0;  // EOF before the first conversion
    CommandLineFields fields;
    SCOPED_TRACE("[" + line + "]");
    ASSERT_EQ(MatchCommandLine(line, fields), expected);
    ASSERT_EQ(fields.host_window, host);
    ASSERT_EQ(fields.language, language);
    ASSERT_EQ(fields.ignored, ignored);
    ASSERT_EQ(fields.exchange_index, exchange);
  }
}

}  // namespace
}  // namespace rqx340
