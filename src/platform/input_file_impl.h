// The system calls behind InputFile, which its portable part makes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "base/result.h"
#include "platform/native_handle.h"

namespace rqx340::sys {

struct OpenedFile {
  UniqueNativeHandle file;
  std::uint64_t size = 0;  // as it was when the file was opened
};

// Opens `path` read-only when it is a regular file after following links.
Result<OpenedFile> OpenRegularFile(const std::string& path);

// Reads the next bytes into `buffer`, waiting for at least one: as many as
// one read gives, 0 only at the end of the file.
Result<std::size_t> ReadSome(NativeHandle file, std::span<std::byte> buffer);

// Moves the position to `offset` from the start.
Status SeekTo(NativeHandle file, std::uint64_t offset);

}  // namespace rqx340::sys
