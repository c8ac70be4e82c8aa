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

std::optional<ReplacementFile> ReplacementFile::Create(const std::string& path,
                                                       std::string* error) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temp_path = folder + "." + name + ".XXXXXX";
  const int fd = mkostemp(temp_path.data(), O_CLOEXEC);
  if (fd < 0) {
    if (error != nullptr) *error = ErrnoText(errno);
    return std::nullopt;
  }
  // mkostemp makes the file private; give it the mode a new file would get.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  return ReplacementFile(fd, std::move(temp_path), path);
}

ReplacementFile::ReplacementFile(ReplacementFile&& other) noexcept
    : m_hFile(other.m_hFile),
      m_strTempPath(std::move(other.m_strTempPath)),
      m_strPath(std::move(other.m_strPath)),
      m_nError(other.m_nError) {
  other.m_hFile = -1;
  other.m_strTempPath.clear();
}

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Write(std::span<const std::byte> bytes) {
  if (m_hFile < 0 || m_nError != 0) return false;
  if (posix::WriteAll(m_hFile, bytes)) return true;
  m_nError = errno;
  return false;
}

bool ReplacementFile::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  if (m_hFile < 0 || m_nError != 0) return false;
  if (posix::WriteAll(m_hFile, bytes, &offset)) return true;
  m_nError = errno;
  return false;
}

bool ReplacementFile::Commit(std::string* error) {
  if (m_hFile < 0) {
    if (error != nullptr) *error = "the file is not open";
    return false;
  }
  int failure = m_nError;
  if (close(m_hFile) != 0 && failure == 0) failure = errno;
  m_hFile = -1;
  if (failure == 0 && rename(m_strTempPath.c_str(), m_strPath.c_str()) != 0) failure = errno;
  if (failure != 0) {
    if (error != nullptr) *error = ErrnoText(failure);
    Discard();
    return false;
  }
  m_strTempPath.clear();
  return true;
}

std::string ReplacementFile::WriteError() const {
  return m_nError != 0 ? ErrnoText(m_nError) : std::string();
}

void ReplacementFile::Discard() {
  if (m_hFile >= 0) {
    close(m_hFile);
    m_hFile = -1;
  }
  if (!m_strTempPath.empty()) {
    unlink(m_strTempPath.c_str());
    m_strTempPath.clear();
  }
}

}  // namespace rqx340
