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

namespace rqx340 {

namespace {

using posix::ErrnoText;

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

std::optional<std::string> GetEnvironment(std::string_view name) {
  const char* value = std::getenv(std::string(name).c_str());
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

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

std::optional<SessionDir> SessionDir::Open(std::string* error) {
  return OpenPath(ChooseSessionDirPath(GetEnvironment, geteuid(), CurrentDirectory().value_or("/")),
                  error);
}

std::optional<SessionDir> SessionDir::OpenPath(std::string_view path_view, std::string* error) {
  const std::string path(path_view);
  const auto fail = [&](std::string reason) -> std::optional<SessionDir> {
    if (error) *error = std::move(reason);
    return std::nullopt;
  };
  struct stat info {};
  bool created = false;
  if (lstat(path.c_str(), &info) != 0) {
    if (errno != ENOENT)
      return fail("cannot examine session directory " + path + ": " + ErrnoText(errno));
    if (mkdir(path.c_str(), 0700) != 0) {
      if (errno != EEXIST)
        return fail("cannot create session directory " + path + ": " + ErrnoText(errno));
    } else {
      created = true;
    }
  } else if (S_ISLNK(info.st_mode)) {
    return fail("session directory " + path + " is a symbolic link");
  }
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ELOOP) return fail("session directory " + path + " is a symbolic link");
    if (errno == ENOTDIR) return fail("session directory " + path + " is not a directory");
    return fail("cannot open session directory " + path + ": " + ErrnoText(errno));
  }
  // A umask may have taken the owner's own rights away from a new directory.
  if (created) fchmod(fd, 0700);
  if (std::string reason = CheckDirectory(fd, path); !reason.empty()) {
    close(fd);
    return fail(std::move(reason));
  }
  return SessionDir(fd, path);
}

SessionDir::SessionDir(SessionDir&& other) noexcept
    : m_hDir(other.m_hDir), m_strPath(std::move(other.m_strPath)) {
  other.m_hDir = -1;
}

SessionDir& SessionDir::operator=(SessionDir&& other) noexcept {
  if (this != &other) {
    if (m_hDir >= 0) close(m_hDir);
    m_hDir = other.m_hDir;
    m_strPath = std::move(other.m_strPath);
    other.m_hDir = -1;
  }
  return *this;
}

SessionDir::~SessionDir() {
  if (m_hDir >= 0) close(m_hDir);
}

std::optional<SessionDir> SessionDir::Duplicate() const {
  if (m_hDir < 0) return std::nullopt;
  const int fd = fcntl(m_hDir, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return std::nullopt;
  return SessionDir(fd, m_strPath);
}

std::optional<std::string> SessionDir::ReadFile(std::string_view name, std::size_t max_size,
                                                std::string* error) const {
  const auto fail = [&](std::string reason) -> std::optional<std::string> {
    if (error) *error = std::move(reason);
    return std::nullopt;
  };
  struct stat info {};
  posix::UniqueFd fd = posix::OpenSessionFile(*this, name, O_RDONLY | O_NONBLOCK, "file",
                                              "cannot open", info, error);
  if (!fd.Valid()) return std::nullopt;
  const std::string text(name);
  if (static_cast<std::uint64_t>(info.st_size) > max_size) {
    return fail(PathOf(text) + " is larger than " + std::to_string(max_size) + " bytes");
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const ssize_t got = read(fd.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return fail("cannot read " + PathOf(text) + ": " + ErrnoText(errno));
    if (got == 0) break;
    if (content.size() + static_cast<std::size_t>(got) > max_size) {
      return fail(PathOf(text) + " is larger than " + std::to_string(max_size) + " bytes");
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
