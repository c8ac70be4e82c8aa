// The session directory on POSIX: chosen from the environment, created 0700,
// and checked through the descriptor that every later access goes through.
#include "platform/session_dir.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/file_system.h"
#include "platform/posix/posix_util.h"
#include "platform/posix/session_dir_path.h"

namespace rqx340 {

namespace {

using posix::ErrnoText;
using posix::FdOf;

std::string MakeAbsolute(std::string path, std::string_view current_dir) {
  std::filesystem::path result(path);
  if (!result.is_absolute()) result = std::filesystem::path(current_dir) / result;
  std::string text = result.lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

// Checks an opened directory; empty when it is fit to hold the session.
std::string CheckDirectory(int fd, const std::string& path) {
  struct stat info {};
  if (fstat(fd, &info) != 0)
    return "cannot examine session directory " + path + ": " + ErrnoText(errno);
  if (!S_ISDIR(info.st_mode)) return "session directory " + path + " is not a directory";
  if (info.st_uid != geteuid()) {
    return "session directory " + path + " is owned by uid " + std::to_string(info.st_uid) +
           ", not by uid " + std::to_string(geteuid());
  }
  if ((info.st_mode & 077) != 0) {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
    return "session directory " + path + " is open to group or others (mode " + mode + ")";
  }
  return {};
}

}  // namespace

namespace posix {

std::string ChooseSessionDirPath(const EnvironmentLookup& environment, unsigned user_id,
                                 std::string_view current_dir) {
  const auto non_empty = [&](std::string_view name) -> std::optional<std::string> {
    auto value = environment(name);
    if (value && value->empty()) return std::nullopt;
    return value;
  };
  if (auto dir = non_empty("RQX340_RUNTIME_DIR")) return MakeAbsolute(*dir, current_dir);
  if (auto dir = non_empty("XDG_RUNTIME_DIR")) return MakeAbsolute(*dir + "/zul", current_dir);
  const std::string tmp = non_empty("TMPDIR").value_or("/tmp");
  return MakeAbsolute(tmp + "/zul-" + std::to_string(user_id), current_dir);
}

}  // namespace posix

Result<SessionDir> SessionDir::Open() {
  return OpenPath(posix::ChooseSessionDirPath(GetEnvironment, geteuid(),
                                              CurrentDirectory().ValueOr("/")));
}

Result<SessionDir> SessionDir::OpenPath(std::string_view path_view) {
  const std::string path(path_view);
  struct stat info {};
  bool created = false;
  if (lstat(path.c_str(), &info) != 0) {
    if (errno != ENOENT)
      return Failure("cannot examine session directory " + path + ": " + ErrnoText(errno));
    if (mkdir(path.c_str(), 0700) != 0) {
      if (errno != EEXIST)
        return Failure("cannot create session directory " + path + ": " + ErrnoText(errno));
    } else {
      created = true;
    }
  } else if (S_ISLNK(info.st_mode)) {
    return Failure("session directory " + path + " is a symbolic link");
  }
  UniqueNativeHandle dir =
      posix::OwnFd(open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!dir.Valid()) {
    if (errno == ELOOP) return Failure("session directory " + path + " is a symbolic link");
    if (errno == ENOTDIR) return Failure("session directory " + path + " is not a directory");
    return Failure("cannot open session directory " + path + ": " + ErrnoText(errno));
  }
  // A umask may have taken the owner's own rights away from a new directory.
  if (created) fchmod(FdOf(dir), 0700);
  if (std::string reason = CheckDirectory(FdOf(dir), path); !reason.empty()) {
    return Failure(std::move(reason));
  }
  return SessionDir(std::move(dir), path);
}

Result<SessionDir> SessionDir::Duplicate() const {
  UniqueNativeHandle copy = posix::OwnFd(fcntl(FdOf(m_dir), F_DUPFD_CLOEXEC, 0));
  if (!copy.Valid()) return Failure("cannot duplicate the session directory handle");
  return SessionDir(std::move(copy), m_strPath);
}

Result<std::string> SessionDir::ReadFile(std::string_view name, std::size_t max_size) const {
  struct stat info {};
  auto fd = posix::OpenSessionFile(*this, name, O_RDONLY | O_NONBLOCK, "file", "cannot open", info);
  if (!fd) return Failure(fd.ErrorText());
  const std::string text(name);
  if (static_cast<std::uint64_t>(info.st_size) > max_size) {
    return Failure(PathOf(text) + " is larger than " + std::to_string(max_size) + " bytes");
  }
  std::string content;
  content.reserve(static_cast<std::size_t>(info.st_size));  // one allocation, no regrowth
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(FdOf(*fd), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failure("cannot read " + PathOf(text) + ": " + ErrnoText(errno));
    if (got == 0) break;
    if (content.size() + static_cast<std::size_t>(got) > max_size) {
      return Failure(PathOf(text) + " is larger than " + std::to_string(max_size) + " bytes");
    }
    content.append(buffer, static_cast<std::size_t>(got));
  }
  return content;
}

std::string SessionDir::PathOf(std::string_view name) const {
  std::string result = m_strPath;
  if (result.empty() || result.back() != '/') result += '/';
  result += name;
  return result;
}

}  // namespace rqx340
