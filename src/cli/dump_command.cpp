// rqx340 dump.
#include <cstdio>

#include "cli/commands.h"

namespace rqx340::cli {

int RunDump(Arguments) {
  std::fputs("rqx340 dump: not available yet\n", stderr);
  return 1;
}

}  // namespace rqx340::cli
