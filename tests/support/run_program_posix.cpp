// posix_spawn with standard output and error redirected to files, so that a
// program's exit code and both outputs are seen whole.
#include "support/run_program.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "support/temp_dir.h"

extern char** environ;

namespace rqx340::test {

std::string ProgramPath(const std::string& program) {
  if (!program.empty() && program.front() == '/') return program;
  const char* dir = std::getenv("RQX340_BIN_DIR");
  return std::string(dir != nullptr ? dir : ".") + "/" + program;
}

void Interrupt(int pid) { kill(pid, SIGINT); }

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env) {
  ProgramResult result;
  TempDir dir;
  const std::string out_path = (dir.Path() / "out").string();
  const std::string err_path = (dir.Path() / "err").string();

  const std::string path = ProgramPath(program);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    const std::string_view name = entry.substr(0, entry.find('='));
    bool replaced = false;
    for (const auto& extra : env) {
      replaced = replaced || std::string_view(extra).substr(0, extra.find('=')) == name;
    }
    if (!replaced) environment.emplace_back(entry);
  }
  environment.insert(environment.end(), env.begin(), env.end());
  std::vector<char*> envp;
  for (auto& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    result.err = "cannot start " + path + ": " + std::strerror(spawned);
    return result;
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return result;
  }
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  result.out = ReadFileBytes(out_path);
  result.err = ReadFileBytes(err_path);
  return result;
}

}  // namespace rqx340::test
