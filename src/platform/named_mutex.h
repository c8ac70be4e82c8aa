// A named mutex shared by the processes of the user. On POSIX it is an advisory
// lock on a file of that name in the session directory; the kernel releases it
// when its holder dies, so a crashed process never blocks the others.
#pragma once

#include <string_view>

#include "base/result.h"
#include "platform/native_handle.h"
#include "platform/session_dir.h"

namespace rqx340 {

class NamedMutex {
 public:
  // Opens the mutex `name`, creating it when missing; not locked.
  static Result<NamedMutex> Open(const SessionDir& dir, std::string_view name);

  // A mutex still held is given back, as a lock ends with its holder.
  ~NamedMutex();
  NamedMutex(NamedMutex&&) noexcept = default;
  NamedMutex& operator=(NamedMutex&&) = delete;

  // Waits as long as it takes. Two NamedMutex objects exclude each other even
  // inside one process.
  void Lock();
  // Takes the mutex only when that needs no wait.
  bool TryLock();
  // Waits at most `timeout_ms` for the mutex; false when it is still held by
  // another then. A caller that must keep a user interface alive waits in
  // short slices and pumps its messages between them.
  bool LockFor(int timeout_ms);
  void Unlock();

 private:
  explicit NamedMutex(UniqueNativeHandle lock) : m_lock(std::move(lock)) {}

  UniqueNativeHandle m_lock;
};

// Holds a NamedMutex for the lifetime of the object.
class NamedMutexLock {
 public:
  explicit NamedMutexLock(NamedMutex& mutex) : m_mutex(mutex) { m_mutex.Lock(); }
  ~NamedMutexLock() { m_mutex.Unlock(); }
  NamedMutexLock(const NamedMutexLock&) = delete;
  NamedMutexLock& operator=(const NamedMutexLock&) = delete;

 private:
  NamedMutex& m_mutex;
};

}  // namespace rqx340
