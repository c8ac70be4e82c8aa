// A file that replaces another as a whole: written under a temporary name in
// the same folder and renamed over the target only when it is complete, so a
// failure or a crash leaves the old file or the new one, never half of one.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "base/result.h"
#include "base/unique_handle.h"
#include "platform/native_handle.h"

namespace rqx340 {

class ReplacementFile {
 public:
  // Creates the temporary file beside `path` (the file system's bytes).
  static Result<ReplacementFile> Create(const std::string& path);

  // Appends all of `bytes`. After a failure nothing more is written.
  Status Write(std::span<const std::byte> bytes);
  // Overwrites bytes already written from `offset`.
  Status WriteAt(std::uint64_t offset, std::span<const std::byte> bytes);

  // Closes the file and renames it over the target. Fails when that or an
  // earlier write failed; the temporary file is then removed and the target
  // left as it was.
  Status Commit();

  // Gives up: removes the temporary file. So does the owner's end without Commit.
  void Discard();

 private:
  // The temporary file's path, removed unless the file was committed.
  struct TempPathTraits {
    using Value = std::string;
    static Value Invalid() { return {}; }
    static void Close(const Value& path) noexcept;
  };

  ReplacementFile(UniqueNativeHandle file, std::string temp_path, std::string path)
      : m_tempPath(std::move(temp_path)), m_file(std::move(file)), m_strPath(std::move(path)) {}

  // The file is closed before its temporary name is removed.
  UniqueHandle<TempPathTraits> m_tempPath;
  UniqueNativeHandle m_file;
  std::string m_strPath;
  Status m_firstFailure;  // of a write
};

}  // namespace rqx340
