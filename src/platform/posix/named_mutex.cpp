// flock locks belong to the open file description, so every NamedMutex object
// has a lock of its own, and the kernel drops it with the last descriptor of a
// process that dies.
#include "platform/named_mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <thread>

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

bool NamedMutex::LockFor(int timeout_ms) {
  // flock cannot wait with a limit; a few milliseconds between tries cost
  // nothing next to what the holder is doing.
  constexpr auto kPause = std::chrono::milliseconds(5);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    if (TryLock()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(kPause, deadline - now));
  }
}

// Closing the descriptor ends its flock.
NamedMutex::~NamedMutex() = default;

void NamedMutex::Unlock() { flock(posix::FdOf(m_lock), LOCK_UN); }

}  // namespace rqx340
