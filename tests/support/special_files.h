// File-system entries that are not plain files, for tests of what the scan skips.
#pragma once

#include <string>

namespace rqx340::test {

// Creates a FIFO at `path`; false when the system refuses.
bool MakeFifo(const std::string& path);

}  // namespace rqx340::test
