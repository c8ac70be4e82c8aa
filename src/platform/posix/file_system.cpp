#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace rqx340 {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithIgnoringAsciiCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  const std::string_view tail = text.substr(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if (AsciiLower(tail[i]) != AsciiLower(suffix[i])) return false;
  }
  return true;
}

std::string ErrorText(int error) { return std::generic_category().message(error); }

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

UniqueFile OpenRegularFile(const std::string& path) {
  // O_NONBLOCK keeps open() itself from waiting for a FIFO writer; the check
  // below then refuses everything that is not a regular file.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  const int flags = fcntl(fd, F_GETFL);
  if (flags != -1) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  std::FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    close(fd);
    return nullptr;
  }
  return UniqueFile(file);
}

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::vector<FileEntry>> ListFiles(const std::string& folder, std::string_view suffix,
                                                std::string* error) {
  const int dir_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd < 0) {
    if (error != nullptr) *error = ErrorText(errno);
    return std::nullopt;
  }
  std::unique_ptr<DIR, DirCloser> dir(fdopendir(dir_fd));
  if (!dir) {
    if (error != nullptr) *error = ErrorText(errno);
    close(dir_fd);
    return std::nullopt;
  }
  std::vector<FileEntry> files;
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) {
        if (error != nullptr) *error = ErrorText(errno);
        return std::nullopt;
      }
      break;
    }
    const std::string_view name(entry->d_name);
    if (!EndsWithIgnoringAsciiCase(name, suffix)) continue;
    struct stat st {};
    if (fstatat(dir_fd, entry->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode)) continue;
    files.push_back({std::string(name), static_cast<std::uint64_t>(st.st_size)});
  }
  return files;
}

std::optional<std::string> CurrentDirectory() {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(std::char_traits<char>::length(buffer.c_str()));
      return buffer;
    }
    if (errno != ERANGE || buffer.size() > (1u << 20)) return std::nullopt;
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace rqx340
