// Reading regular files through their descriptor, checked with fstat on the
// descriptor that is then read, so the file cannot be swapped in between.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "platform/input_file_impl.h"
#include "platform/posix/posix_util.h"

namespace rqx340::sys {

Result<OpenedFile> OpenRegularFile(const std::string& path) {
  struct stat info {};
  auto file = posix::OpenRegularFd(path.c_str(), info);
  if (!file) return Failure(file.ErrorText());
  return OpenedFile{std::move(*file), static_cast<std::uint64_t>(info.st_size)};
}

Result<std::size_t> ReadSome(NativeHandle file, std::span<std::byte> buffer) {
  const int fd = posix::FdOf(file);
  for (;;) {
    const ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) {
      // A file system that honours O_NONBLOCK for regular files: wait after all.
      const int flags = fcntl(fd, F_GETFL);
      if (flags != -1 && (flags & O_NONBLOCK) != 0 &&
          fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0) {
        continue;
      }
    }
    if (got < 0) return Failure(posix::ErrnoText(errno));
    return static_cast<std::size_t>(got);
  }
}

Status SeekTo(NativeHandle file, std::uint64_t offset) {
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
    return Failure("offset out of range");
  }
  if (lseek(posix::FdOf(file), static_cast<off_t>(offset), SEEK_SET) < 0) {
    return Failure(posix::ErrnoText(errno));
  }
  return {};
}

}  // namespace rqx340::sys
