// Windows has no FIFOs in its file system: the FIFO cases do not arise there.
#include "support/fifo.h"

namespace rqx340::test {

bool MakeFifo(const std::string&) { return false; }

}  // namespace rqx340::test
