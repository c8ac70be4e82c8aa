// The exchange area over the platform's shared memory, named mutex and windows.
#include "exchange/exchange_area.h"

#include <algorithm>

#include "base/byte_order.h"
#include "exchange/area_name.h"
#include "exchange/slot_layout.h"
#include "platform/code_page.h"
#include "platform/process.h"

namespace rqx340 {

CQWExchange::CQWExchange(WindowMessenger* messenger) : m_messenger(messenger) {}

CQWExchange::~CQWExchange() { Close(); }

int CQWExchange::Fail(std::string reason) {
  Close();
  m_strLastError = std::move(reason);
  return 0;
}

bool CQWExchange::OpenSession() {
  auto session = SessionDir::Open();
  if (!session) {
    m_session.reset();
    m_strLastError = session.ErrorText();
    return false;
  }
  m_session = std::move(*session);
  if (m_messenger == nullptr) {
    auto messenger = SessionMessenger::Open(*m_session);
    if (!messenger) {
      m_sessionMessenger.reset();
      m_strLastError = "cannot reach the windows of " + m_session->Path();
      return false;
    }
    m_sessionMessenger = std::move(*messenger);
  }
  return true;
}

bool CQWExchange::MakeName(std::string_view) {
  m_name.clear();
  const Result<std::string> executable =
      m_strExecutablePath.empty() ? RunningExecutablePath() : m_strExecutablePath;
  const Result<std::string> directory =
      executable ? HostExecutableDirectory(*executable) : Failure(executable.ErrorText());
  if (!directory) {
    m_strLastError = "cannot find the directory of " +
                     (executable ? *executable : std::string("the running program"));
    return false;
  }
  m_name = AreaNameFromDirectory(*directory);
  return true;
}

bool CQWExchange::OpenMapping() {
  Close();
  if (m_name.empty()) {
    if (m_strLastError.empty()) m_strLastError = "the exchange area has no name";
    return false;
  }
  if (!OpenSession()) return false;
  auto mapping = SharedMemory::OpenExisting(*m_session, m_name);
  if (!mapping) return Fail("no exchange area " + m_name + " (" + mapping.ErrorText() + ")") != 0;
  m_mapping = std::move(*mapping);
  if (!MapView()) return false;
  m_strLastError.clear();
  return true;
}

int CQWExchange::Open(std::string_view exeName) {
  if (!MakeName(exeName)) return Fail(m_strLastError);
  return OpenMapping() ? 1 : 0;
}

int CQWExchange::OpenByNumber(std::uint32_t number) {
  m_name = AreaNameFromNumber(number);
  return OpenMapping() ? 1 : 0;
}

int CQWExchange::Create(std::string_view exeName) {
  Close();
  if (!MakeName(exeName)) return Fail(m_strLastError);
  if (!OpenSession()) return Fail(m_strLastError);
  auto mapping = SharedMemory::OpenOrCreate(*m_session, m_name, kAreaSize);
  if (!mapping) return Fail(mapping.ErrorText());
  m_mapping = std::move(*mapping);
  if (!MapView()) return 0;
  WithLockedArea(
      [](std::span<std::byte> area) { std::fill(area.begin(), area.end(), std::byte{0}); });
  m_strLastError.clear();
  return 1;
}

int CQWExchange::OpenOrCreate(std::string_view exeName) {
  Close();
  if (!MakeName(exeName)) return Fail(m_strLastError);
  if (!OpenSession()) return Fail(m_strLastError);
  auto mapping = SharedMemory::OpenOrCreate(*m_session, m_name, kAreaSize);
  if (!mapping) return Fail(mapping.ErrorText());
  m_mapping = std::move(*mapping);
  if (!MapView()) return 0;
  m_strLastError.clear();
  return 1;
}

bool CQWExchange::RemoveIfUnused() {
  if (!m_view || !m_mutex || !m_mapping || !m_session) return false;
  WindowMessenger* messenger = Messenger();
  bool removed = false;
  {
    NamedMutexLock lock(*m_mutex);
    bool in_use = false;
    if (HasWholeArea()) {
      for (int index = 0; index < kSlotCount && !in_use; ++index) {
        const Slot slot = ReadSlot(SlotBytes(m_view->Bytes(), index));
        in_use = slot.inUse != 0 && messenger != nullptr && messenger->IsWindow(slot.hostWindow);
      }
    }
    // Under the mutex, so that a host that is just offering its slots finds
    // either the area with them or no area at all.
    if (!in_use) removed = m_mapping->RemoveName(*m_session).Ok();
  }
  Close();
  return removed;
}

bool CQWExchange::MapView() {
  if (!m_mapping || !m_session) return Fail("the exchange area is not open") != 0;
  auto view = m_mapping->Map(kAreaSize);
  if (!view) return Fail("cannot map exchange area " + m_name + ": " + view.ErrorText()) != 0;
  m_view = std::move(*view);
  auto mutex = NamedMutex::Open(*m_session, m_name + "MUX");
  if (!mutex) return Fail(mutex.ErrorText()) != 0;
  m_mutex.emplace(std::move(*mutex));
  return true;
}

void CQWExchange::Close() {
  m_view.reset();
  m_mapping.reset();
  m_mutex.reset();
  m_cursor = -1;
}

WindowMessenger* CQWExchange::Messenger() const {
  return m_messenger ? m_messenger : m_sessionMessenger.get();
}

bool CQWExchange::HasWholeArea() {
  const auto size = m_mapping ? m_mapping->Size() : Result<std::uint64_t>(Failure("not open"));
  if (size && *size >= kAreaSize) return true;
  m_strLastError = "exchange area " + m_name +
                   (size ? " has shrunk to " + std::to_string(*size) + " bytes"
                         : " cannot be examined: " + size.ErrorText());
  return false;
}

bool CQWExchange::WithLockedArea(const std::function<void(std::span<std::byte>)>& access) {
  if (!m_view || !m_mutex) return false;
  NamedMutexLock lock(*m_mutex);
  if (!HasWholeArea()) return false;
  access(m_view->Bytes());
  return true;
}

bool CQWExchange::IsIntact() {
  if (!m_view || !m_mutex) return false;
  NamedMutexLock lock(*m_mutex);
  return HasWholeArea();
}

int CQWExchange::FindNextSlot() {
  // A cursor below 0 means no scan is running; there is no slot -1 to look at.
  if (m_cursor < 0 || !m_view || !m_mutex) {
    m_cursor = -1;
    return -1;
  }
  WindowMessenger* messenger = Messenger();
  NamedMutexLock lock(*m_mutex);
  if (!HasWholeArea()) {
    m_cursor = -1;
    return -1;
  }
  while (m_cursor < kSlotCount) {
    const int index = m_cursor++;
    const Slot slot = ReadSlot(SlotBytes(m_view->Bytes(), index));
    // The cheap tests go first: IsWindow asks the window itself.
    const bool usable =
        slot.inUse != 0 && (m_windowFilter == 0 || m_windowFilter == slot.hostWindow) &&
        slot.clientId == m_clientId && messenger != nullptr && messenger->IsWindow(slot.hostWindow);
    if (usable) return index;
  }
  m_cursor = -1;
  return -1;
}

std::string CQWExchange::GetSlotName(int index) {
  std::string name;
  if (index < 0 || index >= kSlotCount) return name;
  WithLockedArea([&](std::span<std::byte> area) {
    name = GetText(SlotBytes(area, index), kSlotNameOffset, kSlotNameSize);
  });
  return FromAnsi(name);
}

}  // namespace rqx340
