// Processes on POSIX: posix_spawn with pipes, waitpid, and signal handlers
// that only set a flag.
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

volatile std::sig_atomic_t g_termination_requested = 0;

void OnTerminationSignal(int) { g_termination_requested = 1; }

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
// on an error) closes `fd`, sets it to -1 and returns false.
bool ReadChunk(int& fd, std::string& pending) {
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      close(fd);
      fd = -1;
      return false;
    }
    pending.append(buffer, static_cast<std::size_t>(got));
    return true;
  }
}

}  // namespace

std::optional<std::string> RunningExecutablePath() {
  std::string buffer(PATH_MAX, '\0');
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return std::nullopt;
  buffer.resize(static_cast<std::size_t>(length));
  return buffer;
}

std::optional<std::string> ExecutableDirectory(std::string_view path) {
  if (path.empty()) return std::nullopt;
  char* resolved = realpath(std::string(path).c_str(), nullptr);
  if (resolved == nullptr) return std::nullopt;
  std::string full(resolved);
  free(resolved);
  const auto slash = full.rfind('/');
  if (slash == std::string::npos) return std::nullopt;
  return full.substr(0, slash + 1);
}

int CurrentProcessId() { return static_cast<int>(getpid()); }

void ExitProcessNow(int code) { _exit(code); }

void CatchTerminationRequests() {
  struct sigaction action {};
  action.sa_handler = OnTerminationSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

bool TerminationRequested() { return g_termination_requested != 0; }

std::optional<ChildProcess> ChildProcess::Spawn(const std::string& program,
                                                const std::vector<std::string>& arguments,
                                                const SpawnOptions& options, std::string* error) {
  const auto fail = [&](std::string reason) -> std::optional<ChildProcess> {
    if (error) *error = std::move(reason);
    return std::nullopt;
  };
  const auto make_pipe = [](posix::UniqueFd& read_end, posix::UniqueFd& write_end) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    read_end.Reset(fds[0]);
    write_end.Reset(fds[1]);
    return true;
  };
  posix::UniqueFd out_read, out_write, in_read, in_write;
  if ((options.capture_stdout && !make_pipe(out_read, out_write)) ||
      (options.pipe_stdin && !make_pipe(in_read, in_write))) {
    return fail("cannot create a pipe: " + posix::ErrnoText(errno));
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (out_write.Valid()) posix_spawn_file_actions_adddup2(&actions, out_write.Get(), 1);
  if (options.merge_stderr) posix_spawn_file_actions_adddup2(&actions, 1, 2);
  if (in_read.Valid()) posix_spawn_file_actions_adddup2(&actions, in_read.Get(), 0);

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
  if (result != 0) return fail("cannot start " + program + ": " + posix::ErrnoText(result));

  ChildProcess child;
  child.m_nPid = pid;
  child.m_hStdout = out_read.Release();
  child.m_hStdin = in_write.Release();
  return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_nPid(other.m_nPid),
      m_nExitCode(other.m_nExitCode),
      m_hStdout(other.m_hStdout),
      m_hStdin(other.m_hStdin),
      m_strPending(std::move(other.m_strPending)) {
  other.m_nPid = -1;
  other.m_hStdout = -1;
  other.m_hStdin = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Release();
    m_nPid = other.m_nPid;
    m_nExitCode = other.m_nExitCode;
    m_hStdout = other.m_hStdout;
    m_hStdin = other.m_hStdin;
    m_strPending = std::move(other.m_strPending);
    other.m_nPid = -1;
    other.m_hStdout = -1;
    other.m_hStdin = -1;
  }
  return *this;
}

ChildProcess::~ChildProcess() { Release(); }

void ChildProcess::Release() {
  if (m_nPid > 0 && !m_nExitCode) {
    kill(m_nPid, SIGKILL);
    Wait();
  }
  if (m_hStdout >= 0) close(m_hStdout);
  if (m_hStdin >= 0) close(m_hStdin);
  m_nPid = -1;
  m_hStdout = -1;
  m_hStdin = -1;
}

std::optional<std::string> ChildProcess::ReadLine(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (const auto newline = m_strPending.find('\n'); newline != std::string::npos) {
      std::string line = m_strPending.substr(0, newline);
      m_strPending.erase(0, newline + 1);
      return line;
    }
    if (m_hStdout < 0) return std::nullopt;
    int wait_ms = -1;
    if (timeout_ms >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return std::nullopt;
      wait_ms = static_cast<int>(left.count());
    }
    pollfd entry{m_hStdout, POLLIN, 0};
    const int ready = poll(&entry, 1, wait_ms);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    if (!ReadChunk(m_hStdout, m_strPending)) {
      // The last line needs no newline.
      if (m_strPending.empty()) return std::nullopt;
      return std::exchange(m_strPending, std::string());
    }
  }
}

std::string ChildProcess::ReadRest() {
  while (m_hStdout >= 0 && ReadChunk(m_hStdout, m_strPending)) {
  }
  return std::exchange(m_strPending, std::string());
}

void ChildProcess::CloseStdin() {
  if (m_hStdin >= 0) close(m_hStdin);
  m_hStdin = -1;
}

std::optional<int> ChildProcess::TryWait() {
  if (m_nExitCode || m_nPid <= 0) return m_nExitCode;
  int status = 0;
  pid_t result;
  while ((result = waitpid(m_nPid, &status, WNOHANG)) < 0 && errno == EINTR) {
  }
  if (result == m_nPid) m_nExitCode = ExitCodeOf(status);
  return m_nExitCode;
}

int ChildProcess::Wait() {
  if (m_nExitCode) return *m_nExitCode;
  if (m_nPid <= 0) return -1;
  int status = 0;
  pid_t result;
  while ((result = waitpid(m_nPid, &status, 0)) < 0 && errno == EINTR) {
  }
  m_nExitCode = result == m_nPid ? ExitCodeOf(status) : -1;
  return *m_nExitCode;
}

void ChildProcess::Kill() {
  if (m_nPid > 0 && !m_nExitCode) kill(m_nPid, SIGKILL);
}

void ChildProcess::Terminate() {
  if (m_nPid > 0 && !m_nExitCode) kill(m_nPid, SIGTERM);
}

}  // namespace rqx340
