// Small helpers shared by the POSIX implementations of the platform layer.
#pragma once

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "platform/session_dir.h"

namespace rqx340::posix {

inline std::string ErrnoText(int error) { return std::strerror(error); }

// A name of an object inside the session directory: one path component.
inline bool IsObjectName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

// Owns a file descriptor.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : m_fd(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int Get() const { return m_fd; }
  bool Valid() const { return m_fd >= 0; }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  void Reset(int fd = -1) {
    if (m_fd >= 0) close(m_fd);
    m_fd = fd;
  }

 private:
  int m_fd = -1;
};

// Opens `path` read-only when it is a regular file after following symlinks,
// and fills `info`. O_NONBLOCK keeps open() itself from waiting for a FIFO
// writer; everything that is not a regular file is then refused unread.
inline UniqueFd OpenRegularFd(const char* path, struct stat& info) {
  UniqueFd fd(open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!fd.Valid()) return fd;
  if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return UniqueFd();
  const int flags = fcntl(fd.Get(), F_GETFL);
  if (flags != -1) fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

// Opens the regular file `name` of the session directory with `flags`, never
// through a symbolic link, a new file with mode 0600, and fills `info`.
// Invalid on failure, with `error` set to "invalid <kind> name '<name>'",
// "<action> <path>: <reason>" or "<path> is not a regular file".
inline UniqueFd OpenSessionFile(const SessionDir& dir, std::string_view name, int flags,
                                std::string_view kind, std::string_view action, struct stat& info,
                                std::string* error) {
  const std::string text(name);
  const auto fail = [&](std::string reason) {
    if (error) *error = std::move(reason);
    return UniqueFd();
  };
  if (!IsObjectName(name)) return fail("invalid " + std::string(kind) + " name '" + text + "'");
  UniqueFd fd(openat(dir.NativeHandle(), text.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd.Valid()) {
    return fail(std::string(action) + " " + dir.PathOf(text) + ": " + ErrnoText(errno));
  }
  if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return fail(dir.PathOf(text) + " is not a regular file");
  }
  return fd;
}

// Writes all of `bytes` at `*offset` (advanced as it goes) when given, else at
// the current position. False on an error, with errno telling which; a write
// that makes no progress counts as a full disk.
inline bool WriteAll(int fd, std::span<const std::byte> bytes, std::uint64_t* offset = nullptr) {
  while (!bytes.empty()) {
    const ssize_t done = offset != nullptr
                             ? pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(*offset))
                             : write(fd, bytes.data(), bytes.size());
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (done == 0) {
      errno = ENOSPC;
      return false;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(done));
    if (offset != nullptr) *offset += static_cast<std::uint64_t>(done);
  }
  return true;
}

}  // namespace rqx340::posix
