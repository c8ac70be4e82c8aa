// Shared memory as a file of the session directory, mapped MAP_SHARED.
#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/posix/posix_util.h"

namespace rqx340 {

Result<SharedMemory> SharedMemory::OpenOrCreate(const SessionDir& dir, std::string_view name,
                                                std::size_t size) {
  struct stat info {};
  auto object =
      posix::OpenSessionFile(dir, name, O_RDWR | O_CREAT, "shared memory", "cannot create", info);
  if (!object) return Failure(object.ErrorText());
  if (static_cast<std::size_t>(info.st_size) < size &&
      ftruncate(posix::FdOf(*object), static_cast<off_t>(size)) != 0) {
    return Failure("cannot size " + dir.PathOf(name) + ": " + posix::ErrnoText(errno));
  }
  return SharedMemory(std::move(*object), std::string(name));
}

Result<SharedMemory> SharedMemory::OpenExisting(const SessionDir& dir, std::string_view name) {
  struct stat info {};
  auto object = posix::OpenSessionFile(dir, name, O_RDWR, "shared memory", "cannot open", info);
  if (!object) return Failure(object.ErrorText());
  return SharedMemory(std::move(*object), std::string(name));
}

Result<MappedView> SharedMemory::Map(std::size_t size) const {
  if (!m_object.Valid() || size == 0) return Failure("nothing to map");
  struct stat info {};
  if (fstat(posix::FdOf(m_object), &info) != 0) return Failure("cannot examine " + m_strName);
  // Touching a page past the end of the file would raise SIGBUS.
  if (static_cast<std::size_t>(info.st_size) < size) {
    return Failure(m_strName + " holds " + std::to_string(info.st_size) + " bytes, " +
                   std::to_string(size) + " needed");
  }
  auto view = MappedView::Map(m_object.Get(), size);
  if (!view) return Failure("cannot map " + m_strName + ": " + view.ErrorText());
  return view;
}

}  // namespace rqx340
