// The one way the core reads a file: measurement files, raw data files and
// exchange files alike are opened for reading only, with 64-bit sizes and
// offsets, and nothing but a regular file is ever opened, so a FIFO or a
// device never blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/result.h"
#include "platform/native_handle.h"

namespace rqx340 {

class InputFile {
 public:
  // Opens `path` (the file system's bytes) read-only when it is a regular file
  // after following symlinks.
  static Result<InputFile> Open(const std::string& path);

  // The size the file had when it was opened.
  std::uint64_t Size() const { return m_nSize; }

  // Fills `buffer` from the current position as far as the file goes: fewer
  // bytes only at its end.
  Result<std::size_t> Read(std::span<std::byte> buffer);
  // Fills all of `buffer`; fails on an error or when the file ends first.
  Status ReadExactly(std::span<std::byte> buffer);
  // Moves the current position to `offset` from the start.
  Status Seek(std::uint64_t offset);

 private:
  friend class OpenFolder;
  InputFile(UniqueNativeHandle file, std::uint64_t size) : m_file(std::move(file)), m_nSize(size) {}

  UniqueNativeHandle m_file;
  std::uint64_t m_nSize = 0;
};

}  // namespace rqx340
