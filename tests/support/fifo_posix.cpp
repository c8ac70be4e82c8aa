// mkfifo, for the tests that nothing opens or waits on a FIFO.
#include "support/fifo.h"

#include <sys/stat.h>

namespace rqx340::test {

bool MakeFifo(const std::string& path) { return mkfifo(path.c_str(), 0600) == 0; }

}  // namespace rqx340::test
