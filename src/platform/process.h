// The running program, the programs it starts, and how it ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"
#include "base/unique_handle.h"
#include "platform/native_handle.h"

namespace rqx340 {

// The full path of the running program's executable.
Result<std::string> RunningExecutablePath();

// The directory that holds the executable at `path`, all links resolved, with a
// trailing "/".
Result<std::string> ExecutableDirectory(std::string_view path);

// The directory of the executable at `path` as the host spells it when it names
// the program's exchange area, with its trailing separator: on Windows the
// program found in the standard search order (a path with a folder made full),
// the folder in its long form, in the host's ANSI code page, so that a short
// (8.3) spelling names the same area; on POSIX ExecutableDirectory.
Result<std::string> HostExecutableDirectory(std::string_view path);

int CurrentProcessId();

// Ends the process at once: no destructors, no buffers flushed, nothing removed.
[[noreturn]] void ExitProcessNow(int code);

// Whether a host may start the dialog program for the user, as the real host
// does: true wherever the dialog is built (Qt on POSIX, Win32 on Windows).
bool DialogLaunchSupported();

struct SpawnOptions {
  // Variables set in the child's environment; nullopt removes one.
  std::vector<std::pair<std::string, std::optional<std::string>>> environment;
  bool capture_stdout = false;  // read with ReadLine / ReadRest
  bool merge_stderr = false;    // standard error goes where standard output goes
  bool pipe_stdin = false;      // closed with CloseStdin
};

// A program started by this one. A child still running when the object goes is
// killed and reaped.
class ChildProcess {
 public:
  // Runs `program` with `arguments` (without the program name itself).
  static Result<ChildProcess> Spawn(const std::string& program,
                                    const std::vector<std::string>& arguments,
                                    const SpawnOptions& options);

  int Id() const { return m_nId; }

  // The next line of captured output without its newline; nullopt at the end of
  // the output or when `timeout_ms` passes first (negative: no limit).
  std::optional<std::string> ReadLine(int timeout_ms);
  // Everything the child still writes, up to the end of its output.
  std::string ReadRest();
  void CloseStdin();

  // The exit code once the child has ended (128 + signal number for a child
  // ended by a signal); nullopt while it runs.
  std::optional<int> TryWait();
  int Wait();
  // Ends the child abruptly, or asks it to end.
  void Kill();
  void Terminate();

 private:
  // A child still running: killed, then waited for.
  struct RunningChildTraits {
    using Value = NativeHandle;
    static constexpr Value Invalid() { return kNoNativeHandle; }
    static void Close(const Value& child) noexcept;
  };

  ChildProcess() = default;

  UniqueNativeHandle m_stdout;
  UniqueNativeHandle m_stdin;
  std::string m_strPending;
  int m_nId = -1;
  std::optional<int> m_nExitCode;
  // Last, so that a child still running is ended before its pipes close.
  UniqueHandle<RunningChildTraits> m_running;
};

}  // namespace rqx340
