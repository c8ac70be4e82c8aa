// Files in the temporary folder where the hand-over to the host happens. All
// names are opened relative to the folder's own handle and never follow a
// symbolic link in the last component, so a name planted there is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/session_dir.h"

namespace rqx340 {

// A file open for writing (and reading). Closed by its destructor; Close()
// reports the error a close can bring to light.
class OutputFile {
 public:
  OutputFile() = default;
  explicit OutputFile(int handle) : m_hFile(handle) {}
  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();

  bool IsOpen() const { return m_hFile >= 0; }

  // Writes all of `bytes` at the current position; false on any error.
  bool Write(std::span<const std::byte> bytes);
  // Writes all of `bytes` at `offset`, leaving the current position alone.
  bool WriteAt(std::uint64_t offset, std::span<const std::byte> bytes);
  // Closes the file; false when the system reports a late write error. The
  // file is closed either way.
  bool Close();

  // The system's handle, for the other facilities of the platform layer only.
  int NativeHandle() const { return m_hFile; }

 private:
  int m_hFile = -1;
};

// A file open for reading only, with the size it had when it was opened.
class InputFile {
 public:
  // Opens `path` (the file system's bytes) read-only when it is a regular file
  // after following symlinks; nullopt otherwise. A FIFO never blocks.
  static std::optional<InputFile> Open(const std::string& path);

  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  std::uint64_t Size() const { return m_nSize; }
  // Fills all of `buffer` from the current position; false on an error or
  // when the file ends first.
  bool ReadExactly(std::span<std::byte> buffer);

 private:
  InputFile(int handle, std::uint64_t size) : m_hFile(handle), m_nSize(size) {}

  int m_hFile = -1;
  std::uint64_t m_nSize = 0;
};

// The folder itself. Its operations are virtual so that tests can make one of
// them fail; everything else uses them as they are.
class TempFolder {
 public:
  // Opens the folder at `path`, which must be a directory and not a symbolic
  // link. nullopt, with the reason in `error`, when it cannot be opened.
  static std::optional<TempFolder> Open(std::string_view path, std::string* error = nullptr);
  // The session directory, through its own already checked handle.
  static std::optional<TempFolder> FromSession(const SessionDir& session);

  TempFolder(TempFolder&& other) noexcept;
  TempFolder& operator=(TempFolder&& other) noexcept;
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  virtual ~TempFolder();

  // The folder's path, always ending with "/".
  const std::string& Path() const { return m_strPath; }
  std::string PathOf(std::string_view name) const { return m_strPath + std::string(name); }

  // Creates `name` empty (mode 0600), truncating a regular file of that name.
  virtual OutputFile CreateAlways(std::string_view name) const;
  // Creates `name` only when nothing of that name exists.
  virtual OutputFile CreateNew(std::string_view name) const;
  // True when anything of that name exists, a dangling symbolic link included.
  virtual bool Exists(std::string_view name) const;
  // Removes `name`; true when it is gone afterwards (also when it was absent).
  virtual bool Remove(std::string_view name) const;
  // Makes `link_name` a second name of the file `existing`.
  virtual bool Link(std::string_view existing, std::string_view link_name) const;
  // Renames `from` to `to`, replacing a file called `to`.
  virtual bool Rename(std::string_view from, std::string_view to) const;

 private:
  TempFolder(int handle, std::string path) : m_hDir(handle), m_strPath(std::move(path)) {}

  int m_hDir = -1;
  std::string m_strPath;
};

}  // namespace rqx340
