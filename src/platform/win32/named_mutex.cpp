// A named kernel mutex, the kind the host creates. The system releases it when
// its holder dies and tells the next waiter (WAIT_ABANDONED): the holder
// crashed, and the lock is taken over. A Windows mutex is owned by a thread and
// may be taken again by it; so that two NamedMutex objects exclude each other
// even in one thread, as on POSIX, each thread remembers the names it holds
// and gives back at once a second acquisition that only recursion granted.
#include "platform/named_mutex.h"

#include <chrono>
#include <set>
#include <thread>

#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

std::set<HANDLE>& HeldHere() {
  thread_local std::set<HANDLE> held;
  return held;
}

// Windows 10 and Wine have it; the import libraries of mingw-w64 do not.
bool SameObject(HANDLE first, HANDLE second) {
  using Compare = BOOL(WINAPI*)(HANDLE, HANDLE);
  static const auto compare = []() -> Compare {
    HMODULE kernelbase = GetModuleHandleW(L"kernelbase.dll");
    if (kernelbase == nullptr) return nullptr;
    return reinterpret_cast<Compare>(
        reinterpret_cast<void*>(GetProcAddress(kernelbase, "CompareObjectHandles")));
  }();
  return first == second || (compare != nullptr && compare(first, second) != 0);
}

}  // namespace

Result<NamedMutex> NamedMutex::Open(const SessionDir&, std::string_view name) {
  const std::string text(name);
  if (text.empty() || text.find('\\') != std::string::npos) {
    return Failure("invalid mutex name '" + text + "'");
  }
  UniqueNativeHandle mutex =
      win32::OwnHandle(CreateMutexW(nullptr, FALSE, win32::Wide(text).c_str()));
  if (!mutex.Valid()) return Failure("cannot open mutex " + text + ": " + win32::LastErrorText());
  return NamedMutex(std::move(mutex));
}

void NamedMutex::Lock() {
  while (!LockFor(1000)) {
  }
}

bool NamedMutex::TryLock() { return LockFor(0); }

bool NamedMutex::LockFor(int timeout_ms) {
  // The same kernel object for every handle of one name: its identity is
  // what the holding thread remembers.
  HANDLE mine = win32::HandleOf(m_lock);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    const DWORD result = WaitForSingleObject(mine, left > 0 ? static_cast<DWORD>(left) : 0);
    if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) return false;
    // Another NamedMutex of this thread holds it already: recursion, not the
    // lock. Give it back and wait as a stranger would.
    bool recursive = false;
    for (HANDLE held : HeldHere()) {
      if (SameObject(held, mine)) recursive = true;
    }
    if (!recursive) {
      HeldHere().insert(mine);
      return true;
    }
    ReleaseMutex(mine);
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// A Windows mutex stays owned by its thread when the handle closes, and the
// same thread's next lock would count as recursion forever.
NamedMutex::~NamedMutex() {
  if (m_lock.Valid()) Unlock();
}

void NamedMutex::Unlock() {
  HANDLE mine = win32::HandleOf(m_lock);
  if (HeldHere().erase(mine) != 0) ReleaseMutex(mine);
}

}  // namespace rqx340
