// flock locks belong to the open file description, so every NamedMutex object
// has a lock of its own, and the kernel drops it with the last descriptor of a
// process that dies.
#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "platform/posix/posix_util.h"

namespace rqx340 {

std::optional<NamedMutex> NamedMutex::Open(const SessionDir& dir, std::string_view name,
                                           std::string* error) {
  struct stat info {};
  posix::UniqueFd fd = posix::OpenSessionFile(dir, name, O_RDWR | O_CREAT, "mutex",
                                              "cannot open mutex", info, error);
  if (!fd.Valid()) return std::nullopt;
  return NamedMutex(fd.Release());
}

NamedMutex::NamedMutex(NamedMutex&& other) noexcept : m_hLock(other.m_hLock) { other.m_hLock = -1; }

NamedMutex& NamedMutex::operator=(NamedMutex&& other) noexcept {
  if (this != &other) {
    if (m_hLock >= 0) close(m_hLock);
    m_hLock = other.m_hLock;
    other.m_hLock = -1;
  }
  return *this;
}

NamedMutex::~NamedMutex() {
  if (m_hLock >= 0) close(m_hLock);
}

void NamedMutex::Lock() {
  while (flock(m_hLock, LOCK_EX) != 0 && errno == EINTR) {
  }
}

bool NamedMutex::TryLock() {
  int result;
  while ((result = flock(m_hLock, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  return result == 0;
}

void NamedMutex::Unlock() { flock(m_hLock, LOCK_UN); }

}  // namespace rqx340
