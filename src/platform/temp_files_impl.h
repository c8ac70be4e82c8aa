// The system call behind TempFolder::Open, which its portable part makes.
#pragma once

#include <string>

#include "base/result.h"
#include "platform/native_handle.h"

namespace rqx340::sys {

// Opens the folder at `path` for the life of the handle; refuses anything
// that is not a folder, and a symbolic link where the system can tell.
Result<UniqueNativeHandle> OpenTempFolder(const std::string& path);

}  // namespace rqx340::sys
