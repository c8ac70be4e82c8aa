// A temporary file from mkostemp beside the target, renamed over it on Commit.
#include "platform/replacement_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/posix_util.h"

namespace rqx340 {

using posix::ErrnoText;

Result<ReplacementFile> ReplacementFile::Create(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temp_path = folder + "." + name + ".XXXXXX";
  UniqueNativeHandle file = posix::OwnFd(mkostemp(temp_path.data(), O_CLOEXEC));
  if (!file.Valid()) return Failure(ErrnoText(errno));
  // mkostemp makes the file private; give it the mode a new file would get.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(posix::FdOf(file), 0666 & ~mask);
  return ReplacementFile(std::move(file), std::move(temp_path), path);
}

void ReplacementFile::TempPathTraits::Close(const std::string& path) noexcept {
  unlink(path.c_str());
}

Status ReplacementFile::Write(std::span<const std::byte> bytes) {
  if (!m_file.Valid()) return Failure("the file is not open");
  if (!m_firstFailure) return m_firstFailure;
  m_firstFailure = posix::WriteAllTo(posix::FdOf(m_file), bytes);
  return m_firstFailure;
}

Status ReplacementFile::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  if (!m_file.Valid()) return Failure("the file is not open");
  if (!m_firstFailure) return m_firstFailure;
  m_firstFailure = posix::WriteAllAt(posix::FdOf(m_file), offset, bytes);
  return m_firstFailure;
}

Status ReplacementFile::Commit() {
  if (!m_file.Valid()) return Failure("the file is not open");
  Status result = m_firstFailure;
  if (close(posix::FdOf(m_file.Release())) != 0 && result) result = Failure(ErrnoText(errno));
  if (result && rename(m_tempPath.Get().c_str(), m_strPath.c_str()) != 0) {
    result = Failure(ErrnoText(errno));
  }
  if (!result) {
    Discard();
    return result;
  }
  static_cast<void>(m_tempPath.Release());  // it is the target's name now
  return {};
}

void ReplacementFile::Discard() {
  m_file.Reset();
  m_tempPath.Reset();
}

}  // namespace rqx340
