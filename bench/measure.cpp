// Runs one program and reports its wall time and peak memory:
//   measure PROGRAM ARGS...  prints "SECONDS PEAK_RSS_BYTES" and exits as the program did
// The program's standard output goes to /dev/null; its standard error is ours.
// The peak is getrusage(RUSAGE_CHILDREN) of this small process, whose only child is
// the program. The kernel counts a process's peak across exec, so a large parent
// (a Python harness) would lend every child its own size; this one is small.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: measure PROGRAM ARGS...\n", stderr);
    return 125;
  }
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  const pid_t child = fork();
  if (child < 0) return 125;
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) dup2(null, 1);
    execvp(argv[1], argv + 1);
    std::perror(argv[1]);
    _exit(127);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  timespec end{};
  clock_gettime(CLOCK_MONOTONIC, &end);
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const double seconds = static_cast<double>(end.tv_sec - start.tv_sec) +
                         static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e9;
  std::printf("%.6f %lld\n", seconds, static_cast<long long>(usage.ru_maxrss) * 1024);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}
