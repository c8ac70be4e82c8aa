// The system calls behind ReplacementFile's Commit, which its portable part
// makes.
#pragma once

#include <string>

#include "base/result.h"
#include "platform/native_handle.h"

namespace rqx340::sys {

// Copies the whole of `spool` (from its start) to the FIFO or device `target`,
// then closes `target`; fails when either fails.
Status CopyThrough(NativeHandle spool, UniqueNativeHandle target);

// Closes `file`, reporting the late write error a close can bring to light.
Status CloseWritten(NativeHandle file);

// Renames the file `from` over `to`, in one step.
Status RenameOver(const std::string& from, const std::string& to);

}  // namespace rqx340::sys
