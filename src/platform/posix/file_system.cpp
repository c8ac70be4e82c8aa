// Folders listed through their descriptor, each entry checked relative to it.
#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "platform/file_system_impl.h"
#include "platform/posix/posix_util.h"

namespace rqx340 {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { closedir(dir); }
};

}  // namespace

bool IsRegularFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

namespace {

// Lists the folder open at `folder_fd`, which stays open and is not moved.
Result<std::vector<FileEntry>> ListFolder(int folder_fd, std::string_view suffix,
                                          std::vector<SkippedEntry>* skipped) {
  UniqueNativeHandle dir_handle = posix::OwnFd(fcntl(folder_fd, F_DUPFD_CLOEXEC, 0));
  if (!dir_handle.Valid()) return Failure(posix::ErrnoText(errno));
  const int dir_fd = posix::FdOf(dir_handle);
  std::unique_ptr<DIR, DirCloser> dir(fdopendir(dir_fd));
  if (!dir) return Failure(posix::ErrnoText(errno));
  static_cast<void>(dir_handle.Release());  // the DIR owns it now
  rewinddir(dir.get());
  std::vector<FileEntry> files;
  // Room for as many entries as the folder's size could hold, so that the
  // list is never copied as it grows: fresh memory costs a page fault a page.
  // Room that is not used is never touched.
  struct stat folder_info {};
  if (fstat(folder_fd, &folder_info) == 0 && folder_info.st_size > 0) {
    constexpr std::uint64_t kSmallestEntry = 16;  // a directory record with a short name
    constexpr std::uint64_t kMostReserved = std::uint64_t{1} << 20;
    files.reserve(static_cast<std::size_t>(
        std::min(static_cast<std::uint64_t>(folder_info.st_size) / kSmallestEntry, kMostReserved)));
  }
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(dir.get());
    if (entry == nullptr) {
      if (errno != 0) return Failure(posix::ErrnoText(errno));
      break;
    }
    const std::string_view name(entry->d_name);
    if (!EndsWithIgnoringAsciiCase(name, suffix)) continue;
    // The entry's type comes with the listing; only a link, or a file system
    // that does not give types, costs a lookup.
    if (entry->d_type == DT_REG) {
      files.push_back({std::string(name), std::nullopt});
      continue;
    }
    struct stat st {};
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) {
      if (skipped != nullptr) skipped->push_back({std::string(name), {}});
      continue;
    }
    if (fstatat(dir_fd, entry->d_name, &st, 0) != 0) {
      if (skipped != nullptr) skipped->push_back({std::string(name), posix::ErrnoText(errno)});
      continue;
    }
    if (!S_ISREG(st.st_mode)) {
      if (skipped != nullptr) skipped->push_back({std::string(name), {}});
      continue;
    }
    files.push_back({std::string(name), static_cast<std::uint64_t>(st.st_size)});
  }
  return files;
}

}  // namespace

Result<OpenFolder> OpenFolder::Open(const std::string& path) {
  UniqueNativeHandle handle = posix::OwnFd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!handle.Valid()) return Failure(posix::ErrnoText(errno));
  return OpenFolder(path, std::move(handle));
}

Result<std::vector<FileEntry>> OpenFolder::ListFiles(std::string_view suffix,
                                                     std::vector<SkippedEntry>* skipped) const {
  return ListFolder(posix::FdOf(m_handle), suffix, skipped);
}

Result<InputFile> OpenFolder::OpenFile(std::string_view name) const {
  if (!posix::IsObjectName(name)) return Failure("invalid file name");
  struct stat info {};
  auto file = posix::OpenRegularFd(std::string(name).c_str(), info, posix::FdOf(m_handle));
  if (!file) return Failure(file.ErrorText());
  return InputFile(std::move(*file), static_cast<std::uint64_t>(info.st_size));
}

Result<std::string> CurrentDirectory() {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size()) != nullptr) {
      buffer.resize(std::char_traits<char>::length(buffer.c_str()));
      return buffer;
    }
    if (errno != ERANGE || buffer.size() > (1u << 20)) return Failure(posix::ErrnoText(errno));
    buffer.resize(buffer.size() * 2);
  }
}

std::FILE* OpenStdioFile(const std::string& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

}  // namespace rqx340
