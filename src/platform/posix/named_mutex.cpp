// flock locks belong to the open file description, so every NamedMutex object
// has a lock of its own, and the kernel drops it with the last descriptor of a
// process that dies.
#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include "platform/posix/posix_util.h"

namespace rqx340 {

Result<NamedMutex> NamedMutex::Open(const SessionDir& dir, std::string_view name) {
  struct stat info {};
  auto lock =
      posix::OpenSessionFile(dir, name, O_RDWR | O_CREAT, "mutex", "cannot open mutex", info);
  if (!lock) return Failure(lock.ErrorText());
  return NamedMutex(std::move(*lock));
}

void NamedMutex::Lock() {
  while (flock(posix::FdOf(m_lock), LOCK_EX) != 0 && errno == EINTR) {
  }
}

bool NamedMutex::TryLock() {
  int result;
  while ((result = flock(posix::FdOf(m_lock), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  return result == 0;
}

void NamedMutex::Unlock() { flock(posix::FdOf(m_lock), LOCK_UN); }

}  // namespace rqx340
