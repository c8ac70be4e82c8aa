// The exchange area: 4096 bytes of named shared memory in which a host offers
// slots to its clients, guarded by a named mutex (the area's name + "MUX").
// Every access to slot memory holds that mutex for that one access only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/named_mutex.h"
#include "platform/session_dir.h"
#include "platform/shared_memory.h"
#include "platform/window.h"

namespace rqx340 {

class CQWExchange {
 public:
  // `messenger` answers IsWindow and carries commands; without one the area
  // talks to the windows of its own session directory.
  explicit CQWExchange(WindowMessenger* messenger = nullptr);
  virtual ~CQWExchange();
  CQWExchange(const CQWExchange&) = delete;
  CQWExchange& operator=(const CQWExchange&) = delete;

  // Each returns 1 when the area is open afterwards, 0 when it stays closed
  // (LastError then says why).
  virtual int OpenByNumber(std::uint32_t number);
  virtual int Open(std::string_view exeName);
  // Creates the area or opens the existing one, and clears all of it.
  virtual int Create(std::string_view exeName);
  virtual void Close();

  // For a host that shares the area with others: opens it as it is, or
  // creates it (all zero) when it is missing. 1 when the area is open after.
  int OpenOrCreate(std::string_view exeName);
  // For a host that goes: removes the area's name when no slot is offered by
  // a live host any more (or the area has shrunk), then closes the area.
  // Whoever still has it open keeps it. True when the name was removed.
  bool RemoveIfUnused();

  // Names the area after the directory of the program's executable. On POSIX
  // `exeName` does not take part: the directory is that of the running program,
  // or of the one given to SetExecutablePath. False, with no name formed, when
  // the directory cannot be found.
  bool MakeName(std::string_view exeName);
  // Opens the mapping `name` as it stands (MakeName first) and maps it; what
  // Open does after naming the area.
  bool OpenMapping();
  // Maps the whole area and attaches its mutex.
  bool MapView();

  // The next usable slot at or after the cursor, or -1 when the scan is over
  // (the cursor is then -1). A slot is usable when it is offered, its host
  // window is a window, the window filter lets it through and its client id
  // equals this client's byte for byte. Who holds it does not matter.
  int FindNextSlot();
  // The display name of slot `index`, decoded from the ANSI code page.
  std::string GetSlotName(int index);

  bool IsOpen() const { return m_view.has_value(); }
  const std::string& Name() const { return m_name; }
  int Cursor() const { return m_cursor; }
  void SetCursor(int cursor) { m_cursor = cursor; }
  // In the ANSI code page.
  void SetClientId(std::string ansi_id) { m_clientId = std::move(ansi_id); }
  void SetWindowFilter(WindowHandle window) { m_windowFilter = window; }

  // The executable whose directory names the area, instead of the running
  // program (the host names the area after the tool it serves).
  void SetExecutablePath(std::string path) { m_strExecutablePath = std::move(path); }
  // Why the latest Open, Create or connection attempt failed; empty after success.
  const std::string& LastError() const { return m_strLastError; }
  // The session directory of the open area.
  const SessionDir* Session() const { return m_session ? &*m_session : nullptr; }

  // Runs `access` on the whole area while holding its mutex; false, without
  // touching it, when the area is not mapped or its file has shrunk below the
  // area's size (LastError then says so).
  bool WithLockedArea(const std::function<void(std::span<std::byte>)>& access);
  // False, saying why in LastError, when the area's file has shrunk since it
  // was mapped: touching the view would fault.
  bool IsIntact();

 protected:
  WindowMessenger* Messenger() const;
  void SetLastError(std::string text) { m_strLastError = std::move(text); }

 private:
  int Fail(std::string reason);
  bool OpenSession();
  // Under the mutex: whether the file still holds the whole area.
  bool HasWholeArea();

  std::optional<MappedView> m_view;
  std::optional<NamedMutex> m_mutex;
  int m_cursor = -1;
  std::string m_clientId;
  WindowHandle m_windowFilter = 0;
  std::optional<SharedMemory> m_mapping;
  std::string m_name;

  std::optional<SessionDir> m_session;
  WindowMessenger* m_messenger;
  std::unique_ptr<SessionMessenger> m_sessionMessenger;
  std::string m_strExecutablePath;
  std::string m_strLastError;
};

}  // namespace rqx340
