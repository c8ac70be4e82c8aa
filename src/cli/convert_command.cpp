// rqx340 convert.
#include <cstdio>

#include "cli/commands.h"

namespace rqx340::cli {

int RunConvert(Arguments) {
  std::fputs("rqx340 convert: not available yet\n", stderr);
  return 1;
}

}  // namespace rqx340::cli
