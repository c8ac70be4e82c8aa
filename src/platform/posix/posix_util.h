// Small helpers shared by the POSIX implementations of the platform layer: the
// descriptor inside a NativeHandle, error texts, opening files safely and the
// one loop that writes a whole buffer.
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

#include "base/result.h"
#include "platform/native_handle.h"
#include "platform/session_dir.h"

namespace rqx340::posix {

// On POSIX a NativeHandle holds a file descriptor; -1 is none.
inline int FdOf(NativeHandle handle) {
  return static_cast<int>(static_cast<std::intptr_t>(handle));
}
inline int FdOf(const UniqueNativeHandle& handle) { return FdOf(handle.Get()); }
inline NativeHandle HandleOf(int fd) { return static_cast<NativeHandle>(fd < 0 ? -1 : fd); }
// Takes ownership of the result of open(), socket() and the like.
inline UniqueNativeHandle OwnFd(int fd) { return UniqueNativeHandle(HandleOf(fd)); }

inline std::string ErrnoText(int error) { return std::strerror(error); }

// A name of an object inside the session directory: one path component.
inline bool IsObjectName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  // A loop, not find_first_of: that calls memchr once per character.
  for (const char c : name) {
    if (c == '/' || c == '\0') return false;
  }
  return true;
}

// Opens `path` (relative to `folder` when it is not absolute) read-only when it
// is a regular file after following symlinks, and fills `info`. O_NONBLOCK keeps open() itself from
// waiting for a FIFO writer; everything that is not a regular file is then refused unread. The flag
// stays: it means nothing for a regular file, and clearing it would cost two more calls per file of
// a folder scan.
inline Result<UniqueNativeHandle> OpenRegularFd(const char* path, struct stat& info,
                                                int folder = AT_FDCWD) {
  UniqueNativeHandle fd = OwnFd(openat(folder, path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!fd.Valid()) return Failure(ErrnoText(errno));
  if (fstat(FdOf(fd), &info) != 0) return Failure(ErrnoText(errno));
  if (!S_ISREG(info.st_mode)) return Failure("not a regular file");
  return fd;
}

// Opens the regular file `name` of the session directory with `flags`, never
// through a symbolic link, a new file with mode 0600, and fills `info`. The
// error reads "invalid <kind> name '<name>'", "<action> <path>: <reason>" or
// "<path> is not a regular file".
inline Result<UniqueNativeHandle> OpenSessionFile(const SessionDir& dir, std::string_view name,
                                                  int flags, std::string_view kind,
                                                  std::string_view action, struct stat& info) {
  const std::string text(name);
  if (!IsObjectName(name)) return Failure("invalid " + std::string(kind) + " name '" + text + "'");
  UniqueNativeHandle fd =
      OwnFd(openat(FdOf(dir.Handle()), text.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd.Valid()) {
    return Failure(std::string(action) + " " + dir.PathOf(text) + ": " + ErrnoText(errno));
  }
  if (fstat(FdOf(fd), &info) != 0 || !S_ISREG(info.st_mode)) {
    return Failure(dir.PathOf(text) + " is not a regular file");
  }
  return fd;
}

// Writes all of `bytes`; `write_some(rest, done)` makes one system call for the
// `rest` after `done` bytes. False on an error, with errno telling which; a
// call that makes no progress counts as a full disk.
template <typename WriteSome>
bool WriteAll(std::span<const std::byte> bytes, WriteSome write_some) {
  std::uint64_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = write_some(bytes.subspan(static_cast<std::size_t>(done)), done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (put == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<std::uint64_t>(put);
  }
  return true;
}

// At the current position of `fd`.
inline Status WriteAllTo(int fd, std::span<const std::byte> bytes) {
  if (WriteAll(bytes, [fd](std::span<const std::byte> rest, std::uint64_t) {
        return write(fd, rest.data(), rest.size());
      })) {
    return {};
  }
  return Failure(ErrnoText(errno));
}

// At `offset` of `fd`, leaving its position alone.
inline Status WriteAllAt(int fd, std::uint64_t offset, std::span<const std::byte> bytes) {
  if (WriteAll(bytes, [fd, offset](std::span<const std::byte> rest, std::uint64_t done) {
        return pwrite(fd, rest.data(), rest.size(), static_cast<off_t>(offset + done));
      })) {
    return {};
  }
  return Failure(ErrnoText(errno));
}

}  // namespace rqx340::posix
