// Files in the temporary folder where the hand-over to the host happens. All
// names are opened relative to the folder's own handle and never follow a
// symbolic link in the last component, so a name planted there is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "base/result.h"
#include "base/unique_handle.h"
#include "platform/mapped_view.h"
#include "platform/native_handle.h"
#include "platform/session_dir.h"

namespace rqx340 {

// A file open for writing (and reading). Closed by its owner; Close() reports
// the error a close can bring to light.
class OutputFile {
 public:
  OutputFile() = default;
  explicit OutputFile(UniqueNativeHandle file) : m_file(std::move(file)) {}

  bool IsOpen() const { return m_file.Valid(); }

  // Writes all of `bytes` at the current position.
  Status Write(std::span<const std::byte> bytes);
  // Writes all of `bytes` at `offset`, leaving the current position alone.
  Status WriteAt(std::uint64_t offset, std::span<const std::byte> bytes);
  // Closes the file; fails when the system reports a late write error. The
  // file is closed either way.
  Status Close();

  // Maps the first `size` bytes, shared with every process that maps the file.
  Result<MappedView> Map(std::size_t size) const;

 private:
  UniqueNativeHandle m_file;
};

class TempFolder;

// A name in a temporary folder that is removed when its owner goes.
struct TempFolderEntry {
  const TempFolder* folder = nullptr;
  std::string name;
  bool operator==(const TempFolderEntry&) const = default;
};
struct TempFolderEntryTraits {
  using Value = TempFolderEntry;
  static Value Invalid() { return {}; }
  static void Close(const Value& entry) noexcept;
};
using ScopedTempName = UniqueHandle<TempFolderEntryTraits>;

// The folder itself. Its operations are virtual so that tests can make one of
// them fail; everything else uses them as they are.
class TempFolder {
 public:
  // Opens the folder at `path`, which must be a directory and not a symbolic
  // link.
  static Result<TempFolder> Open(std::string_view path);
  // The session directory, through its own already checked handle.
  static Result<TempFolder> FromSession(const SessionDir& session);

  TempFolder(TempFolder&&) = default;
  TempFolder& operator=(TempFolder&&) = default;
  virtual ~TempFolder() = default;

  // The folder's path, always ending with "/".
  const std::string& Path() const { return m_strPath; }
  std::string PathOf(std::string_view name) const { return m_strPath + std::string(name); }

  // Creates `name` empty and private to the user, truncating a regular file of
  // that name.
  virtual Result<OutputFile> CreateAlways(std::string_view name) const;
  // Creates `name` only when nothing of that name exists.
  virtual Result<OutputFile> CreateNew(std::string_view name) const;
  // True when anything of that name exists, a dangling symbolic link included.
  virtual bool Exists(std::string_view name) const;
  // Removes `name`; succeeds when it is gone afterwards (also when it was absent).
  virtual Status Remove(std::string_view name) const;
  // Makes `link_name` a second name of the file `existing`.
  virtual Status Link(std::string_view existing, std::string_view link_name) const;
  // Renames `from` to `to`, replacing a file called `to`.
  virtual Status Rename(std::string_view from, std::string_view to) const;

 private:
  TempFolder(UniqueNativeHandle dir, std::string path)
      : m_dir(std::move(dir)), m_strPath(std::move(path)) {}

  UniqueNativeHandle m_dir;
  std::string m_strPath;
};

inline void TempFolderEntryTraits::Close(const Value& entry) noexcept {
  if (entry.folder != nullptr) entry.folder->Remove(entry.name);
}

}  // namespace rqx340
