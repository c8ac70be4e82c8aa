// rqx340-gen: writes sample measurement files.
#include <cstdio>

int main() {
  std::fputs("rqx340-gen: not available yet\n", stderr);
  return 1;
}
