// Processes on POSIX: posix_spawn with pipes and waitpid.
#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <set>

#include "platform/posix/posix_util.h"
#include "platform/process_impl.h"

extern char** environ;

namespace rqx340 {

namespace {

int ExitCodeOf(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 255;
}

std::vector<std::string> ChildEnvironment(const SpawnOptions& options) {
  std::set<std::string> replaced;
  for (const auto& [name, value] : options.environment) replaced.insert(name);
  std::vector<std::string> result;
  for (char** entry = environ; entry && *entry; ++entry) {
    std::string_view text(*entry);
    const auto equals = text.find('=');
    if (replaced.count(std::string(text.substr(0, equals)))) continue;
    result.emplace_back(text);
  }
  for (const auto& [name, value] : options.environment) {
    if (value) result.push_back(name + "=" + *value);
  }
  return result;
}

}  // namespace

Result<std::string> RunningExecutablePath() {
  std::string buffer(PATH_MAX, '\0');
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length < 0) return Failure(posix::ErrnoText(errno));
  if (length == 0 || static_cast<std::size_t>(length) >= buffer.size()) {
    return Failure("the path of the running program is too long");
  }
  buffer.resize(static_cast<std::size_t>(length));
  return buffer;
}

Result<std::string> ExecutableDirectory(std::string_view path) {
  if (path.empty()) return Failure("no executable given");
  char* resolved = realpath(std::string(path).c_str(), nullptr);
  if (resolved == nullptr) return Failure(posix::ErrnoText(errno));
  std::string full(resolved);
  free(resolved);
  const auto slash = full.rfind('/');
  if (slash == std::string::npos) return Failure(full + " is not an absolute path");
  return full.substr(0, slash + 1);
}

Result<std::string> HostExecutableDirectory(std::string_view path) {
  return ExecutableDirectory(path);
}

int CurrentProcessId() { return static_cast<int>(getpid()); }

void ExitProcessNow(int code) { _exit(code); }

bool DialogLaunchSupported() { return true; }

const bool sys::kChildLinesEndInCrLf = false;

// Both ends close on exec: the child's end reaches it through dup2, which
// clears the flag on the copy.
Status sys::CreateChildPipe(UniqueNativeHandle& read_end, UniqueNativeHandle& write_end, bool) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return Failure(posix::ErrnoText(errno));
  read_end = posix::OwnFd(fds[0]);
  write_end = posix::OwnFd(fds[1]);
  return {};
}

Result<sys::StartedChild> sys::StartChild(const std::string& program,
                                          const std::vector<std::string>& arguments,
                                          const SpawnOptions& options, NativeHandle child_stdin,
                                          NativeHandle child_stdout) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (child_stdout != kNoNativeHandle) {
    posix_spawn_file_actions_adddup2(&actions, posix::FdOf(child_stdout), 1);
  }
  if (options.merge_stderr) posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (child_stdin != kNoNativeHandle) {
    posix_spawn_file_actions_adddup2(&actions, posix::FdOf(child_stdin), 0);
  }

  std::vector<std::string> argv_text;
  argv_text.push_back(program);
  argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& text : argv_text) argv.push_back(text.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_text = ChildEnvironment(options);
  std::vector<char*> envp;
  for (auto& text : env_text) envp.push_back(text.data());
  envp.push_back(nullptr);

  pid_t pid = -1;
  const int result =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) return Failure(posix::ErrnoText(result));
  return StartedChild{pid, posix::HandleOf(pid)};
}

void ChildProcess::RunningChildTraits::Close(const NativeHandle& child) noexcept {
  const pid_t pid = posix::FdOf(child);
  kill(pid, SIGKILL);
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

bool sys::WaitForOutput(NativeHandle pipe,
                        std::optional<std::chrono::steady_clock::time_point> deadline) {
  for (;;) {
    int wait_ms = -1;
    if (deadline) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          *deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      wait_ms = static_cast<int>(left.count());
    }
    pollfd entry{posix::FdOf(pipe), POLLIN, 0};
    const int ready = poll(&entry, 1, wait_ms);
    if (ready < 0 && errno == EINTR) continue;
    return ready > 0;
  }
}

bool sys::ReadChunk(UniqueNativeHandle& pipe, std::string& pending) {
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(posix::FdOf(pipe), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      pipe.Reset();
      return false;
    }
    pending.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
}

// Once waited for, the child is gone: its id must not be signalled again.
std::optional<int> ChildProcess::TryWait() {
  if (!m_running.Valid()) return m_nExitCode;
  int status = 0;
  pid_t result;
  while ((result = waitpid(m_nId, &status, WNOHANG)) < 0 && errno == EINTR) {
  }
  if (result == m_nId) {
    m_nExitCode = ExitCodeOf(status);
    static_cast<void>(m_running.Release());
  }
  return m_nExitCode;
}

int ChildProcess::Wait() {
  if (!m_running.Valid()) return m_nExitCode.value_or(-1);
  int status = 0;
  pid_t result;
  while ((result = waitpid(m_nId, &status, 0)) < 0 && errno == EINTR) {
  }
  m_nExitCode = result == m_nId ? ExitCodeOf(status) : -1;
  static_cast<void>(m_running.Release());
  return *m_nExitCode;
}

void ChildProcess::Kill() {
  if (m_running.Valid()) kill(m_nId, SIGKILL);
}

void ChildProcess::Terminate() {
  if (m_running.Valid()) kill(m_nId, SIGTERM);
}

}  // namespace rqx340
