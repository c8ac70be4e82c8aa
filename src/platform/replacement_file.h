// A file that replaces another as a whole: written under a temporary name in
// the same folder and renamed over the target only when it is complete, so a
// failure or a crash leaves the old file or the new one, never half of one.
//
// What the target is decides how it is replaced:
// - a symbolic link is followed (a dangling one too), and the file it leads to
//   is the target, replaced in its own folder;
// - a regular file is replaced and keeps its permission bits;
// - nothing there: a new file with the usual mode (0666 less the umask);
// - a FIFO or a character device is not replaced but written straight through
//   on Commit, after the whole output has been put together; a failure there
//   can leave part of the output written;
// - anything else (a folder, a socket, a block device) is refused.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/result.h"
#include "base/unique_handle.h"
#include "platform/native_handle.h"

namespace rqx340 {

// What opening a FIFO (or a pipe) at the target does when no program reads it.
enum class ReaderWait {
  kWait,    // waits for a reader; a signal ends the wait (the command line)
  kRefuse,  // fails at once: "no program is reading from PATH" (a user interface
            // thread, which must not block)
};

class ReplacementFile {
 public:
  // Prepares the replacement of `path` (the file system's bytes); fails, saying
  // why, for a target that is refused or cannot be written. On Windows a
  // device's name ("aux.csv") is refused.
  static Result<ReplacementFile> Create(const std::string& path,
                                        ReaderWait wait = ReaderWait::kWait);

  // Appends all of `bytes`. After a failure nothing more is written.
  Status Write(std::span<const std::byte> bytes);
  // Overwrites bytes already written from `offset`.
  Status WriteAt(std::uint64_t offset, std::span<const std::byte> bytes);

  // Puts the output in place: renames it over the target, or writes it
  // through to a FIFO or a device. Fails when that or an earlier write failed;
  // a renamed target is then left as it was.
  Status Commit();

  // Gives up: removes the temporary file, writes nothing to the target. So does
  // the owner's end without Commit.
  void Discard();

  // True when the target is written straight through rather than replaced.
  bool WritesInPlace() const { return m_target.Valid(); }

 private:
  // The temporary file's path, removed unless the file was committed.
  struct TempPathTraits {
    using Value = std::string;
    static Value Invalid() { return {}; }
    static void Close(const Value& path) noexcept;
  };

  ReplacementFile(UniqueNativeHandle file, std::string temp_path, std::string path,
                  UniqueNativeHandle target)
      : m_tempPath(std::move(temp_path)),
        m_file(std::move(file)),
        m_strPath(std::move(path)),
        m_target(std::move(target)) {}

  // The file is closed before its temporary name is removed.
  UniqueHandle<TempPathTraits> m_tempPath;  // none when the target is written in place
  UniqueNativeHandle m_file;                // where the output is put together
  std::string m_strPath;                    // the target, links resolved
  UniqueNativeHandle m_target;              // the FIFO or device written in place
  Status m_firstFailure;                    // of a write
};

}  // namespace rqx340
