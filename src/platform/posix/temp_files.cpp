// The temporary folder's files, all opened relative to the folder's descriptor.
#include "platform/temp_files.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/posix/posix_util.h"

namespace rqx340 {

namespace {

void CloseHandle(int& handle) {
  if (handle >= 0) ::close(handle);
  handle = -1;
}

}  // namespace

OutputFile::OutputFile(OutputFile&& other) noexcept : m_hFile(std::exchange(other.m_hFile, -1)) {}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    CloseHandle(m_hFile);
    m_hFile = std::exchange(other.m_hFile, -1);
  }
  return *this;
}

OutputFile::~OutputFile() { CloseHandle(m_hFile); }

bool OutputFile::Write(std::span<const std::byte> bytes) {
  return m_hFile >= 0 && posix::WriteAll(m_hFile, bytes);
}

bool OutputFile::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes) {
  return m_hFile >= 0 && posix::WriteAll(m_hFile, bytes, &offset);
}

bool OutputFile::Close() {
  if (m_hFile < 0) return true;
  const int result = ::close(std::exchange(m_hFile, -1));
  // After EINTR the descriptor is gone on Linux; only EIO-like errors matter.
  return result == 0 || errno == EINTR;
}

std::optional<InputFile> InputFile::Open(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
  struct stat info {};
  posix::UniqueFd fd = posix::OpenRegularFd(path.c_str(), info);
  if (!fd.Valid()) return std::nullopt;
  return InputFile(fd.Release(), static_cast<std::uint64_t>(info.st_size));
}

InputFile::InputFile(InputFile&& other) noexcept
    : m_hFile(std::exchange(other.m_hFile, -1)), m_nSize(other.m_nSize) {}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    CloseHandle(m_hFile);
    m_hFile = std::exchange(other.m_hFile, -1);
    m_nSize = other.m_nSize;
  }
  return *this;
}

InputFile::~InputFile() { CloseHandle(m_hFile); }

bool InputFile::ReadExactly(std::span<std::byte> buffer) {
  if (m_hFile < 0) return false;
  while (!buffer.empty()) {
    const ssize_t got = ::read(m_hFile, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    buffer = buffer.subspan(static_cast<std::size_t>(got));
  }
  return true;
}

std::optional<TempFolder> TempFolder::Open(std::string_view path, std::string* error) {
  std::string text(path);
  if (text.empty() || text.find('\0') != std::string::npos) {
    if (error != nullptr) *error = "invalid temporary folder path";
    return std::nullopt;
  }
  const int handle = ::open(text.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (handle < 0) {
    if (error != nullptr) *error = text + ": " + posix::ErrnoText(errno);
    return std::nullopt;
  }
  if (text.back() != '/') text.push_back('/');
  return TempFolder(handle, std::move(text));
}

std::optional<TempFolder> TempFolder::FromSession(const SessionDir& session) {
  const int handle = ::fcntl(session.NativeHandle(), F_DUPFD_CLOEXEC, 0);
  if (handle < 0) return std::nullopt;
  std::string path = session.Path();
  if (path.empty() || path.back() != '/') path.push_back('/');
  return TempFolder(handle, std::move(path));
}

TempFolder::TempFolder(TempFolder&& other) noexcept
    : m_hDir(std::exchange(other.m_hDir, -1)), m_strPath(std::move(other.m_strPath)) {}

TempFolder& TempFolder::operator=(TempFolder&& other) noexcept {
  if (this != &other) {
    CloseHandle(m_hDir);
    m_hDir = std::exchange(other.m_hDir, -1);
    m_strPath = std::move(other.m_strPath);
  }
  return *this;
}

TempFolder::~TempFolder() { CloseHandle(m_hDir); }

// Only plain names inside the folder: a name never makes a path that leaves it.
OutputFile TempFolder::CreateAlways(std::string_view name) const {
  if (!posix::IsObjectName(name)) return OutputFile();
  const std::string text(name);
  return OutputFile(::openat(m_hDir, text.c_str(),
                             O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
}

OutputFile TempFolder::CreateNew(std::string_view name) const {
  if (!posix::IsObjectName(name)) return OutputFile();
  const std::string text(name);
  return OutputFile(::openat(m_hDir, text.c_str(),
                             O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
}

bool TempFolder::Exists(std::string_view name) const {
  if (!posix::IsObjectName(name)) return false;
  const std::string text(name);
  struct stat info {};
  if (::fstatat(m_hDir, text.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return true;
  // Anything but "not there" (a permission problem, say) counts as taken.
  return errno != ENOENT;
}

bool TempFolder::Remove(std::string_view name) const {
  if (!posix::IsObjectName(name)) return false;
  const std::string text(name);
  return ::unlinkat(m_hDir, text.c_str(), 0) == 0 || errno == ENOENT;
}

bool TempFolder::Link(std::string_view existing, std::string_view link_name) const {
  if (!posix::IsObjectName(existing) || !posix::IsObjectName(link_name)) return false;
  const std::string from(existing);
  const std::string to(link_name);
  return ::linkat(m_hDir, from.c_str(), m_hDir, to.c_str(), 0) == 0;
}

bool TempFolder::Rename(std::string_view from, std::string_view to) const {
  if (!posix::IsObjectName(from) || !posix::IsObjectName(to)) return false;
  const std::string old_name(from);
  const std::string new_name(to);
  return ::renameat(m_hDir, old_name.c_str(), m_hDir, new_name.c_str()) == 0;
}

}  // namespace rqx340
