// FIFOs, for tests that the scan never opens or waits on one.
#pragma once

#include <string>

namespace rqx340::test {

// Creates a FIFO at `path`; false when the system refuses or, as Windows, has
// no FIFOs in its file system (the tests skip then).
bool MakeFifo(const std::string& path);

}  // namespace rqx340::test
