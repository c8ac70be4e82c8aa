// A temporary file from mkostemp beside the target, renamed over it on Commit;
// for a FIFO or a device, an unnamed file in the temporary folder that is
// copied through on Commit, since the output's header is rewritten at the end
// and neither can seek back.
#include "platform/replacement_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/posix/posix_util.h"
#include "platform/replacement_file_impl.h"

namespace rqx340 {

using posix::ErrnoText;
using posix::FdOf;
using posix::OwnFd;

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

struct Target {
  std::string path;  // links resolved
  bool exists = false;
  struct stat info {};
};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Follows `path` through symbolic links, each relative to its own folder, to
// the file they lead to, which need not exist.
Result<Target> ResolveTarget(std::string path) {
  for (int links = 0; links <= kMaxLinks; ++links) {
    Target target;
    target.path = path;
    if (lstat(path.c_str(), &target.info) != 0) {
      if (errno == ENOENT) return target;
      return Failure(ErrnoText(errno));
    }
    if (!S_ISLNK(target.info.st_mode)) {
      target.exists = true;
      return target;
    }
    std::vector<char> link(static_cast<std::size_t>(target.info.st_size) + 256);
    const ssize_t length = readlink(path.c_str(), link.data(), link.size());
    if (length < 0) return Failure(ErrnoText(errno));
    if (static_cast<std::size_t>(length) >= link.size()) return Failure("the link keeps changing");
    const std::string destination(link.data(), static_cast<std::size_t>(length));
    path = !destination.empty() && destination.front() == '/' ? destination
                                                              : FolderOf(path) + destination;
  }
  return Failure(ErrnoText(ELOOP));
}

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISBLK(mode)) return "a block device";
  return "not a file";
}

// An unnamed file in the temporary folder, gone when it is closed.
Result<UniqueNativeHandle> CreateSpool() {
  const char* tmpdir = std::getenv("TMPDIR");
  const std::string folder = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
  UniqueNativeHandle file =
      OwnFd(open(folder.c_str(), O_TMPFILE | O_RDWR | O_EXCL | O_CLOEXEC, 0600));
  if (file.Valid()) return file;
  std::string name = folder + "/.rqx340-XXXXXX";
  file = OwnFd(mkostemp(name.data(), O_CLOEXEC));
  if (!file.Valid())
    return Failure("cannot make a temporary file in " + folder + ": " + ErrnoText(errno));
  unlink(name.c_str());
  return file;
}

}  // namespace

Result<ReplacementFile> ReplacementFile::Create(const std::string& path, ReaderWait wait) {
  auto target = ResolveTarget(path);
  if (!target) return Failure(target.ErrorText());
  const mode_t kind = target->info.st_mode;

  if (target->exists && (S_ISFIFO(kind) || S_ISCHR(kind))) {
    // A FIFO waits here for its reader, before any work is done, unless the
    // caller cannot wait: then the open does not block and ENXIO means no reader.
    const int no_wait = wait == ReaderWait::kRefuse ? O_NONBLOCK : 0;
    UniqueNativeHandle out =
        OwnFd(open(target->path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | no_wait));
    if (!out.Valid()) {
      if (errno == ENXIO && S_ISFIFO(kind)) {
        return Failure("no program is reading from " + target->path);
      }
      return Failure(ErrnoText(errno));
    }
    // The writes themselves wait for the reader, as they would have.
    if (no_wait != 0) {
      const int flags = fcntl(FdOf(out), F_GETFL);
      if (flags < 0 || fcntl(FdOf(out), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        return Failure(ErrnoText(errno));
      }
    }
    auto spool = CreateSpool();
    if (!spool) return Failure(spool.ErrorText());
    return ReplacementFile(std::move(*spool), {}, target->path, std::move(out));
  }
  if (target->exists && !S_ISREG(kind)) {
    return Failure("it is " + KindOf(kind) +
                   "; only a regular file, a FIFO or a character device is written");
  }

  const std::string folder = FolderOf(target->path);
  const std::string name = target->path.substr(folder.size());
  std::string temp_path = folder + "." + name + ".XXXXXX";
  UniqueNativeHandle file = OwnFd(mkostemp(temp_path.data(), O_CLOEXEC));
  if (!file.Valid()) return Failure(ErrnoText(errno));
  ReplacementFile replacement(std::move(file), temp_path, target->path, {});
  // mkostemp makes the file private: give it the mode of the file it replaces,
  // or the mode a new file would get.
  if (target->exists) {
    // Only root may give a file away; for anyone else this keeps what it can.
    if (fchown(FdOf(replacement.m_file), target->info.st_uid, target->info.st_gid) != 0) {
      static_cast<void>(
          fchown(FdOf(replacement.m_file), static_cast<uid_t>(-1), target->info.st_gid));
    }
    fchmod(FdOf(replacement.m_file), target->info.st_mode & 07777);
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(FdOf(replacement.m_file), 0666 & ~mask);
  }
  return replacement;
}

void ReplacementFile::TempPathTraits::Close(const std::string& path) noexcept {
  unlink(path.c_str());
}

namespace {

// A reader that went away is a write error here, not the end of the process:
// SIGPIPE is held back while the output goes through, and one it raised is
// taken off again.
class NoBrokenPipeSignal {
 public:
  NoBrokenPipeSignal() {
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    sigpending(&m_pendingBefore);
    pthread_sigmask(SIG_BLOCK, &pipe, &m_previous);
  }
  ~NoBrokenPipeSignal() {
    sigset_t pending;
    sigpending(&pending);
    if (sigismember(&pending, SIGPIPE) && !sigismember(&m_pendingBefore, SIGPIPE)) {
      sigset_t pipe;
      sigemptyset(&pipe);
      sigaddset(&pipe, SIGPIPE);
      const timespec now{0, 0};
      while (sigtimedwait(&pipe, nullptr, &now) < 0 && errno == EINTR) {
      }
    }
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
  }
  NoBrokenPipeSignal(const NoBrokenPipeSignal&) = delete;
  NoBrokenPipeSignal& operator=(const NoBrokenPipeSignal&) = delete;

 private:
  sigset_t m_previous;
  sigset_t m_pendingBefore;
};

// Copies the whole of `from` to the current position of `to`.
Status CopyAll(int from, int to) {
  const NoBrokenPipeSignal no_signal;
  if (lseek(from, 0, SEEK_SET) != 0) return Failure(ErrnoText(errno));
  std::vector<std::byte> buffer(std::size_t{1} << 20);
  for (;;) {
    const ssize_t got = read(from, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Failure(ErrnoText(errno));
    if (got == 0) return {};
    if (Status put = posix::WriteAllTo(
            to, std::span<const std::byte>(buffer.data(), static_cast<std::size_t>(got)));
        !put) {
      return put;
    }
  }
}

}  // namespace

Status sys::CopyThrough(NativeHandle spool, UniqueNativeHandle target) {
  Status result = CopyAll(FdOf(spool), FdOf(target));
  // After EINTR the descriptor is gone on Linux; only EIO-like errors matter.
  if (close(FdOf(target.Release())) != 0 && result && errno != EINTR) {
    result = Failure(ErrnoText(errno));
  }
  return result;
}

Status sys::CloseWritten(NativeHandle file) {
  if (close(FdOf(file)) != 0) return Failure(ErrnoText(errno));
  return {};
}

Status sys::RenameOver(const std::string& from, const std::string& to) {
  if (rename(from.c_str(), to.c_str()) != 0) return Failure(ErrnoText(errno));
  return {};
}

}  // namespace rqx340
