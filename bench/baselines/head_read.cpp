// Baseline of the folder scan: open every *.rqx2 file of a folder and read its
// first 64 KiB block, the least any scan of the files' heads must do.
//   head_read FOLDER  prints the number of files read
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: head_read FOLDER\n", stderr);
    return 2;
  }
  DIR* dir = opendir(argv[1]);
  if (dir == nullptr) return 2;
  static char buffer[65536];
  std::string path;
  unsigned long files = 0;
  while (const dirent* entry = readdir(dir)) {
    const std::size_t length = std::strlen(entry->d_name);
    if (length < 5 || strcasecmp(entry->d_name + length - 5, ".rqx2") != 0) continue;
    path.assign(argv[1]).append("/").append(entry->d_name);
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    if (read(fd, buffer, sizeof buffer) >= 0) ++files;
    close(fd);
  }
  closedir(dir);
  std::printf("%lu\n", files);
  return 0;
}
