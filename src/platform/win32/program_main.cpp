// The wide entry point (linked with -municode): the command line as the system
// keeps it, UTF-16, so no argument goes through the ANSI code page and loses a
// character on the way.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "platform/program_main.h"
#include "platform/win32/win32_util.h"

int wmain(int argc, wchar_t** argv) {
  // Text mode would turn every "\n" into "\r\n": the lists, JSON and CSV the
  // programs print are the same bytes as on POSIX.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> utf8;
  utf8.reserve(argc > 0 ? static_cast<std::size_t>(argc) : 0u);
  for (int i = 1; i < argc; ++i) utf8.push_back(rqx340::win32::Utf8(argv[i]));
  const std::vector<std::string_view> args(utf8.begin(), utf8.end());
  return rqx340::ProgramMain(args);
}
