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
  const std::string text(name);
  if (!posix::IsObjectName(name)) return Fail(error, "invalid shared memory name '" + text + "'");
  posix::UniqueFd fd(
      openat(dir.NativeHandle(), text.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd.Valid()) {
    return Fail(error, "cannot create " + dir.PathOf(text) + ": " + posix::ErrnoText(errno));
  }
  struct stat info {};
  if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return Fail(error, dir.PathOf(text) + " is not a regular file");
  }
  if (static_cast<std::size_t>(info.st_size) < size &&
      ftruncate(fd.Get(), static_cast<off_t>(size)) != 0) {
    return Fail(error, "cannot size " + dir.PathOf(text) + ": " + posix::ErrnoText(errno));
  }
  return SharedMemory(fd.Release(), text);
}

std::optional<SharedMemory> SharedMemory::OpenExisting(const SessionDir& dir, std::string_view name,
                                                       std::string* error) {
  const std::string text(name);
  if (!posix::IsObjectName(name)) return Fail(error, "invalid shared memory name '" + text + "'");
  posix::UniqueFd fd(openat(dir.NativeHandle(), text.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
  if (!fd.Valid()) {
    return Fail(error, "cannot open " + dir.PathOf(text) + ": " + posix::ErrnoText(errno));
  }
  struct stat info {};
  if (fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return Fail(error, dir.PathOf(text) + " is not a regular file");
  }
  return SharedMemory(fd.Release(), text);
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
