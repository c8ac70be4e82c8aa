// POSIX hands arguments over as bytes, which are UTF-8 here as everywhere inside.
#include <string_view>
#include <vector>

#include "platform/program_main.h"

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return rqx340::ProgramMain(args);
}
