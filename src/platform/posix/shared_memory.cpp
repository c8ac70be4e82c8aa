// Shared memory as a file of the session directory, mapped MAP_SHARED.
#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

#include "platform/posix/posix_util.h"

namespace rqx340 {

namespace {

// Gives every byte up to `size` real storage. A sparse file (one sized with
// ftruncate) on a full file system would raise SIGBUS when a page of it is
// first touched; writing the missing bytes and allocating the rest reports
// ENOSPC instead.
Status Provide(int fd, std::uint64_t current, std::size_t size) {
  if (current < size) {
    const std::vector<std::byte> zeros(size - static_cast<std::size_t>(current));
    if (Status written = posix::WriteAllAt(fd, current, zeros); !written) return written;
  }
  const int error = posix_fallocate(fd, 0, static_cast<off_t>(size));
  // A file system without fallocate keeps the bytes written above.
  if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
    return Failure(posix::ErrnoText(error));
  }
  return {};
}

}  // namespace

Result<SharedMemory> SharedMemory::OpenOrCreate(const SessionDir& dir, std::string_view name,
                                                std::size_t size) {
  struct stat info {};
  bool created = true;
  auto object = posix::OpenSessionFile(dir, name, O_RDWR | O_CREAT | O_EXCL, "shared memory",
                                       "cannot create", info);
  if (!object && posix::IsObjectName(name)) {
    created = false;
    object =
        posix::OpenSessionFile(dir, name, O_RDWR | O_CREAT, "shared memory", "cannot create", info);
  }
  if (!object) return Failure(object.ErrorText());
  if (Status provided =
          Provide(posix::FdOf(*object), static_cast<std::uint64_t>(info.st_size), size);
      !provided) {
    if (created) unlinkat(posix::FdOf(dir.Handle()), std::string(name).c_str(), 0);
    return Failure("cannot size " + dir.PathOf(name) + ": " + provided.ErrorText());
  }
  return SharedMemory(std::move(*object), std::string(name));
}

Result<SharedMemory> SharedMemory::OpenExisting(const SessionDir& dir, std::string_view name) {
  struct stat info {};
  auto object = posix::OpenSessionFile(dir, name, O_RDWR, "shared memory", "cannot open", info);
  if (!object) return Failure(object.ErrorText());
  return SharedMemory(std::move(*object), std::string(name));
}

Result<std::uint64_t> SharedMemory::Size() const {
  struct stat info {};
  if (!m_object.Valid() || fstat(posix::FdOf(m_object), &info) != 0) {
    return Failure("cannot examine " + m_strName);
  }
  return static_cast<std::uint64_t>(info.st_size);
}

Status SharedMemory::RemoveName(const SessionDir& dir) const {
  struct stat mine {};
  struct stat named {};
  if (!m_object.Valid() || fstat(posix::FdOf(m_object), &mine) != 0) {
    return Failure("cannot examine " + m_strName);
  }
  const int dir_fd = posix::FdOf(dir.Handle());
  if (fstatat(dir_fd, m_strName.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0) {
    return errno == ENOENT ? Status() : Failure(posix::ErrnoText(errno));
  }
  if (named.st_dev != mine.st_dev || named.st_ino != mine.st_ino) return {};
  if (unlinkat(dir_fd, m_strName.c_str(), 0) != 0 && errno != ENOENT) {
    return Failure("cannot remove " + dir.PathOf(m_strName) + ": " + posix::ErrnoText(errno));
  }
  return {};
}

}  // namespace rqx340
