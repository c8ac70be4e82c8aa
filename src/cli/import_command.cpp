// rqx340 import.
#include <cstdio>

#include "cli/commands.h"

namespace rqx340::cli {

int RunImport(Arguments) {
  std::fputs("rqx340 import: not available yet\n", stderr);
  return 1;
}

}  // namespace rqx340::cli
