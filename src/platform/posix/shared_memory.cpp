// Shared memory as a file of the session directory, mapped MAP_SHARED.
#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include "platform/posix/posix_util.h"

namespace rqx340 {

namespace {

std::optional<SharedMemory> Fail(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return std::nullopt;
}

}  // namespace

MappedView::MappedView(MappedView&& other) noexcept
    : m_pData(other.m_pData), m_nSize(other.m_nSize) {
  other.m_pData = nullptr;
  other.m_nSize = 0;
}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    if (m_pData) munmap(m_pData, m_nSize);
    m_pData = other.m_pData;
    m_nSize = other.m_nSize;
    other.m_pData = nullptr;
    other.m_nSize = 0;
  }
  return *this;
}

MappedView::~MappedView() {
  if (m_pData) munmap(m_pData, m_nSize);
}

std::optional<SharedMemory> SharedMemory::OpenOrCreate(const SessionDir& dir, std::string_view name,
                                                       std::size_t size, std::string* error) {
  struct stat info {};
  posix::UniqueFd fd = posix::OpenSessionFile(dir, name, O_RDWR | O_CREAT, "shared memory",
                                              "cannot create", info, error);
  if (!fd.Valid()) return std::nullopt;
  if (static_cast<std::size_t>(info.st_size) < size &&
      ftruncate(fd.Get(), static_cast<off_t>(size)) != 0) {
    return Fail(error, "cannot size " + dir.PathOf(name) + ": " + posix::ErrnoText(errno));
  }
  return SharedMemory(fd.Release(), std::string(name));
}

std::optional<SharedMemory> SharedMemory::OpenExisting(const SessionDir& dir, std::string_view name,
                                                       std::string* error) {
  struct stat info {};
  posix::UniqueFd fd =
      posix::OpenSessionFile(dir, name, O_RDWR, "shared memory", "cannot open", info, error);
  if (!fd.Valid()) return std::nullopt;
  return SharedMemory(fd.Release(), std::string(name));
}

SharedMemory::SharedMemory(SharedMemory&& other) noexcept
    : m_hObject(other.m_hObject), m_strName(std::move(other.m_strName)) {
  other.m_hObject = -1;
}

SharedMemory& SharedMemory::operator=(SharedMemory&& other) noexcept {
  if (this != &other) {
    if (m_hObject >= 0) close(m_hObject);
    m_hObject = other.m_hObject;
    m_strName = std::move(other.m_strName);
    other.m_hObject = -1;
  }
  return *this;
}

SharedMemory::~SharedMemory() {
  if (m_hObject >= 0) close(m_hObject);
}

std::optional<MappedView> SharedMemory::Map(std::size_t size, std::string* error) const {
  const auto fail = [&](std::string reason) -> std::optional<MappedView> {
    if (error) *error = std::move(reason);
    return std::nullopt;
  };
  if (m_hObject < 0 || size == 0) return fail("nothing to map");
  struct stat info {};
  if (fstat(m_hObject, &info) != 0) return fail("cannot examine " + m_strName);
  // Touching a page past the end of the file would raise SIGBUS.
  if (static_cast<std::size_t>(info.st_size) < size) {
    return fail(m_strName + " holds " + std::to_string(info.st_size) + " bytes, " +
                std::to_string(size) + " needed");
  }
  void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, m_hObject, 0);
  if (data == MAP_FAILED) return fail("cannot map " + m_strName + ": " + posix::ErrnoText(errno));
  return MappedView(static_cast<std::byte*>(data), size);
}

}  // namespace rqx340
