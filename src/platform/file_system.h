// Files and folders as the core reads them: measurement and raw files are only
// ever opened for reading, and nothing here blocks on a FIFO or a device.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace rqx340 {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr) std::fclose(file);
  }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// Opens `path` (the file system's bytes) for binary reading when it is a regular
// file after following symlinks; null otherwise. Other kinds of file are refused
// before a byte is read, so a FIFO never blocks.
UniqueFile OpenRegularFile(const std::string& path);

// True when `path` names a regular file after following symlinks.
bool IsRegularFile(const std::string& path);

struct FileEntry {
  std::string name;  // without the folder
  std::uint64_t size = 0;
};

// The regular files (after following symlinks) of `folder` whose names end in
// `suffix`, ASCII letters compared without case, dotfiles included, in the order
// the system lists them. Fails when the folder cannot be listed.
Result<std::vector<FileEntry>> ListFiles(const std::string& folder, std::string_view suffix);

// The current working directory.
Result<std::string> CurrentDirectory();

}  // namespace rqx340
