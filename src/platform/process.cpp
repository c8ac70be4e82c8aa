// What starting and reading a child does alike on every system: its pipes,
// and its output taken apart into lines.
#include "platform/process.h"

#include <chrono>
#include <utility>

#include "platform/process_impl.h"

namespace rqx340 {

Result<ChildProcess> ChildProcess::Spawn(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const SpawnOptions& options) {
  UniqueNativeHandle out_read, out_write, in_read, in_write;
  if (options.capture_stdout) {
    if (Status made = sys::CreateChildPipe(out_read, out_write, false); !made) {
      return Failure("cannot create a pipe: " + made.ErrorText());
    }
  }
  if (options.pipe_stdin) {
    if (Status made = sys::CreateChildPipe(in_read, in_write, true); !made) {
      return Failure("cannot create a pipe: " + made.ErrorText());
    }
  }
  auto started = sys::StartChild(program, arguments, options, in_read.Get(), out_write.Get());
  if (!started) return Failure("cannot start " + program + ": " + started.ErrorText());

  ChildProcess child;
  child.m_nId = started->id;
  child.m_running.Reset(started->running);
  child.m_stdout = std::move(out_read);
  child.m_stdin = std::move(in_write);
  return child;
}

std::optional<std::string> ChildProcess::ReadLine(int timeout_ms) {
  std::optional<std::chrono::steady_clock::time_point> deadline;
  if (timeout_ms >= 0) {
    deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  }
  for (;;) {
    if (const auto newline = m_strPending.find('\n'); newline != std::string::npos) {
      std::string line = m_strPending.substr(0, newline);
      m_strPending.erase(0, newline + 1);
      if (sys::kChildLinesEndInCrLf && !line.empty() && line.back() == '\r') line.pop_back();
      return line;
    }
    if (!m_stdout.Valid()) return std::nullopt;
    if (!sys::WaitForOutput(m_stdout.Get(), deadline)) return std::nullopt;
    if (!sys::ReadChunk(m_stdout, m_strPending)) {
      // The last line needs no newline.
      if (m_strPending.empty()) return std::nullopt;
      return std::exchange(m_strPending, std::string());
    }
  }
}

std::string ChildProcess::ReadRest() {
  while (m_stdout.Valid() && sys::ReadChunk(m_stdout, m_strPending)) {
  }
  return std::exchange(m_strPending, std::string());
}

void ChildProcess::CloseStdin() { m_stdin.Reset(); }

}  // namespace rqx340
