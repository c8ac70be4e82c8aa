// rqx340 list.
#include <cstdio>

#include "cli/commands.h"

namespace rqx340::cli {

int RunList(Arguments) {
  std::fputs("rqx340 list: not available yet\n", stderr);
  return 1;
}

}  // namespace rqx340::cli
