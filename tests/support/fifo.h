// FIFOs, for tests that the scan never opens or waits on one.
#pragma once

#include <string>

namespace rqx340::test {

// Creates a FIFO at `path`; false when the system refuses.
bool MakeFifo(const std::string& path);

}  // namespace rqx340::test
