// The temporary folder's files, all opened relative to the folder's descriptor.
#include "platform/temp_files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/posix/posix_util.h"
#include "platform/temp_files_impl.h"

namespace rqx340 {

using posix::ErrnoText;
using posix::FdOf;
using posix::IsObjectName;

namespace {

Error LastError() { return Failure(ErrnoText(errno)); }

// Only plain names inside the folder: a name never makes a path that leaves it.
Result<OutputFile> Create(int dir, std::string_view name, int flags) {
  if (!IsObjectName(name)) return Failure("invalid file name");
  const std::string text(name);
  UniqueNativeHandle file = posix::OwnFd(openat(
      dir, text.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | flags, 0600));
  if (!file.Valid()) return LastError();
  return OutputFile(std::move(file));
}

}  // namespace

Status OutputFile::Close() {
  if (!m_file.Valid()) return {};
  // After EINTR the descriptor is gone on Linux; only EIO-like errors matter.
  if (close(posix::FdOf(m_file.Release())) != 0 && errno != EINTR) return LastError();
  return {};
}

Result<UniqueNativeHandle> sys::OpenTempFolder(const std::string& path) {
  UniqueNativeHandle dir =
      posix::OwnFd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!dir.Valid()) return LastError();
  return dir;
}

Result<TempFolder> TempFolder::FromSession(const SessionDir& session) {
  UniqueNativeHandle dir = posix::OwnFd(fcntl(FdOf(session.Handle()), F_DUPFD_CLOEXEC, 0));
  if (!dir.Valid()) return LastError();
  std::string path = session.Path();
  if (path.empty() || path.back() != '/') path.push_back('/');
  return TempFolder(std::move(dir), std::move(path));
}

Result<OutputFile> TempFolder::CreateAlways(std::string_view name) const {
  return Create(FdOf(m_dir), name, O_TRUNC);
}

Result<OutputFile> TempFolder::CreateNew(std::string_view name) const {
  return Create(FdOf(m_dir), name, O_EXCL);
}

bool TempFolder::Exists(std::string_view name) const {
  if (!IsObjectName(name)) return false;
  const std::string text(name);
  struct stat info {};
  if (fstatat(FdOf(m_dir), text.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return true;
  // Anything but "not there" (a permission problem, say) counts as taken.
  return errno != ENOENT;
}

Status TempFolder::Remove(std::string_view name) const {
  if (!IsObjectName(name)) return Failure("invalid file name");
  const std::string text(name);
  if (unlinkat(FdOf(m_dir), text.c_str(), 0) == 0 || errno == ENOENT) return {};
  return LastError();
}

Status TempFolder::Link(std::string_view existing, std::string_view link_name) const {
  if (!IsObjectName(existing) || !IsObjectName(link_name)) return Failure("invalid file name");
  const std::string from(existing);
  const std::string to(link_name);
  if (linkat(FdOf(m_dir), from.c_str(), FdOf(m_dir), to.c_str(), 0) == 0) return {};
  return LastError();
}

Status TempFolder::Rename(std::string_view from, std::string_view to) const {
  if (!IsObjectName(from) || !IsObjectName(to)) return Failure("invalid file name");
  const std::string old_name(from);
  const std::string new_name(to);
  if (renameat(FdOf(m_dir), old_name.c_str(), FdOf(m_dir), new_name.c_str()) == 0) return {};
  return LastError();
}

}  // namespace rqx340
