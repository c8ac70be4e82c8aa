// The system calls behind ChildProcess, which its portable part makes.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "platform/native_handle.h"
#include "platform/process.h"

namespace rqx340::sys {

// A pipe between this program and a child; only the child's end (the read end
// when `child_reads`) is handed down to children.
Status CreateChildPipe(UniqueNativeHandle& read_end, UniqueNativeHandle& write_end,
                       bool child_reads);

struct StartedChild {
  int id = -1;
  NativeHandle running = kNoNativeHandle;  // for ChildProcess::RunningChildTraits
};

// Starts `program` with `arguments` and the options' environment. Standard
// input and output come from `child_stdin` and `child_stdout` where they are
// valid, from this program's own otherwise; standard error goes with standard
// output when the options merge them.
Result<StartedChild> StartChild(const std::string& program,
                                const std::vector<std::string>& arguments,
                                const SpawnOptions& options, NativeHandle child_stdin,
                                NativeHandle child_stdout);

// Waits until the child's output has something to read (or has ended); false
// once `deadline` has passed first.
bool WaitForOutput(NativeHandle pipe,
                   std::optional<std::chrono::steady_clock::time_point> deadline);

// Appends what the child wrote next to `pending`. At the end of its output (or
// on an error) closes `pipe` and returns false.
bool ReadChunk(UniqueNativeHandle& pipe, std::string& pending);

// True where a child's text lines end in "\r\n" (the C runtime's text mode on
// Windows): the "\r" is no part of the line.
extern const bool kChildLinesEndInCrLf;

}  // namespace rqx340::sys
