// Reading regular files through their descriptor, checked with fstat on the
// descriptor that is then read, so the file cannot be swapped in between.
#include "platform/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "platform/posix/posix_util.h"

namespace rqx340 {

using posix::ErrnoText;
using posix::FdOf;

Result<InputFile> InputFile::Open(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return Failure("invalid file name");
  struct stat info {};
  auto file = posix::OpenRegularFd(path.c_str(), info);
  if (!file) return Failure(file.ErrorText());
  return InputFile(std::move(*file), static_cast<std::uint64_t>(info.st_size));
}

Result<std::size_t> InputFile::Read(std::span<std::byte> buffer) {
  if (!m_file.Valid()) return Failure("the file is not open");
  std::size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t got = read(FdOf(m_file), buffer.data() + done, buffer.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) {
      // A file system that honours O_NONBLOCK for regular files: wait after all.
      const int flags = fcntl(FdOf(m_file), F_GETFL);
      if (flags != -1 && (flags & O_NONBLOCK) != 0 &&
          fcntl(FdOf(m_file), F_SETFL, flags & ~O_NONBLOCK) == 0) {
        continue;
      }
    }
    if (got < 0) return Failure(ErrnoText(errno));
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return done;
}

Status InputFile::ReadExactly(std::span<std::byte> buffer) {
  const auto got = Read(buffer);
  if (!got) return Failure(got.ErrorText());
  if (*got != buffer.size()) return Failure("the file ends early");
  return {};
}

Status InputFile::Seek(std::uint64_t offset) {
  if (!m_file.Valid()) return Failure("the file is not open");
  if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
    return Failure("offset out of range");
  }
  if (lseek(FdOf(m_file), static_cast<off_t>(offset), SEEK_SET) < 0) {
    return Failure(ErrnoText(errno));
  }
  return {};
}

}  // namespace rqx340
