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

// Appends what the child wrote next to `pending`. At the end of its output (or
// on an error) closes `pipe` and returns false.
bool ReadChunk(UniqueNativeHandle& pipe, std::string& pending) {
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

Result<ChildProcess> ChildProcess::Spawn(const std::string& program,
                                         const std::vector<std::string>& arguments,
                                         const SpawnOptions& options) {
  const auto make_pipe = [](UniqueNativeHandle& read_end, UniqueNativeHandle& write_end) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    read_end = posix::OwnFd(fds[0]);
    write_end = posix::OwnFd(fds[1]);
    return true;
  };
  UniqueNativeHandle out_read, out_write, in_read, in_write;
  if ((options.capture_stdout && !make_pipe(out_read, out_write)) ||
      (options.pipe_stdin && !make_pipe(in_read, in_write))) {
    return Failure("cannot create a pipe: " + posix::ErrnoText(errno));
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out_write.Valid()) posix_spawn_file_actions_adddup2(&actions, posix::FdOf(out_write), 1);
  if (options.merge_stderr) posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (in_read.Valid()) posix_spawn_file_actions_adddup2(&actions, posix::FdOf(in_read), 0);

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
  if (result != 0) return Failure("cannot start " + program + ": " + posix::ErrnoText(result));

  ChildProcess child;
  child.m_nId = pid;
  child.m_running.Reset(posix::HandleOf(pid));
  child.m_stdout = std::move(out_read);
  child.m_stdin = std::move(in_write);
  return child;
}

void ChildProcess::RunningChildTraits::Close(const NativeHandle& child) noexcept {
  const pid_t pid = posix::FdOf(child);
  kill(pid, SIGKILL);
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

std::optional<std::string> ChildProcess::ReadLine(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (const auto newline = m_strPending.find('\n'); newline != std::string::npos) {
      std::string line = m_strPending.substr(0, newline);
      m_strPending.erase(0, newline + 1);
      return line;
    }
    if (!m_stdout.Valid()) return std::nullopt;
    int wait_ms = -1;
    if (timeout_ms >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      wait_ms = static_cast<int>(left.count());
    }
    pollfd entry{posix::FdOf(m_stdout), POLLIN, 0};
    const int ready = poll(&entry, 1, wait_ms);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    if (!ReadChunk(m_stdout, m_strPending)) {
      // The last line needs no newline.
      if (m_strPending.empty()) return std::nullopt;
      return std::exchange(m_strPending, std::string());
    }
  }
}

std::string ChildProcess::ReadRest() {
  while (m_stdout.Valid() && ReadChunk(m_stdout, m_strPending)) {
  }
  return std::exchange(m_strPending, std::string());
}

void ChildProcess::CloseStdin() { m_stdin.Reset(); }

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
