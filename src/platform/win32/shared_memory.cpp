// Shared memory as a named file mapping backed by the paging file, the kind
// the host creates. Its size is asked of ntdll (NtQuerySection), loaded when
// first needed; a section's size never changes, so that is what it was made
// with. The name belongs to the system's object namespace: it goes when the
// last handle closes, so RemoveName has nothing to do.
#include "platform/shared_memory.h"

#include "platform/win32/win32_util.h"

namespace rqx340 {

namespace {

struct SectionBasicInformation {
  PVOID base;
  ULONG attributes;
  LARGE_INTEGER size;
};
using NtQuerySectionFunction = LONG(NTAPI*)(HANDLE, int, PVOID, SIZE_T, PSIZE_T);

Result<std::uint64_t> SectionSize(HANDLE section) {
  static const auto query = []() -> NtQuerySectionFunction {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr) return nullptr;
    return reinterpret_cast<NtQuerySectionFunction>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQuerySection")));
  }();
  if (query == nullptr) return Failure("the system cannot tell a section's size");
  SectionBasicInformation info{};
  constexpr int kSectionBasicInformation = 0;
  if (query(section, kSectionBasicInformation, &info, sizeof info, nullptr) < 0) {
    return Failure("the system cannot tell the section's size");
  }
  return static_cast<std::uint64_t>(info.size.QuadPart);
}

bool IsMappingName(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    if (c == '\\' || c == '\0') return false;
  }
  return true;
}

}  // namespace

Result<SharedMemory> SharedMemory::OpenOrCreate(const SessionDir&, std::string_view name,
                                                std::size_t size) {
  const std::string text(name);
  if (!IsMappingName(name)) return Failure("invalid shared memory name '" + text + "'");
  const auto high = static_cast<DWORD>(static_cast<std::uint64_t>(size) >> 32);
  const auto low = static_cast<DWORD>(size & 0xFFFFFFFFu);
  // Committed at creation: a full paging file is reported here, not when a
  // page is first touched.
  UniqueNativeHandle object = win32::OwnHandle(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr,
                                                                  PAGE_READWRITE | SEC_COMMIT, high,
                                                                  low, win32::Wide(text).c_str()));
  if (!object.Valid()) return Failure("cannot create " + text + ": " + win32::LastErrorText());
  return SharedMemory(std::move(object), text);
}

Result<SharedMemory> SharedMemory::OpenExisting(const SessionDir&, std::string_view name) {
  const std::string text(name);
  if (!IsMappingName(name)) return Failure("invalid shared memory name '" + text + "'");
  UniqueNativeHandle object = win32::OwnHandle(OpenFileMappingW(
      FILE_MAP_READ | FILE_MAP_WRITE | SECTION_QUERY, FALSE, win32::Wide(text).c_str()));
  if (!object.Valid()) return Failure("cannot open " + text + ": " + win32::LastErrorText());
  return SharedMemory(std::move(object), text);
}

Result<std::uint64_t> SharedMemory::Size() const {
  if (!m_object.Valid()) return Failure("cannot examine " + m_strName);
  auto size = SectionSize(win32::HandleOf(m_object));
  if (!size) return Failure("cannot examine " + m_strName + ": " + size.ErrorText());
  return size;
}

Status SharedMemory::RemoveName(const SessionDir&) const { return {}; }

}  // namespace rqx340
