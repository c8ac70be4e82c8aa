// Folders as the core finds files in them: a folder's listing and whether a
// path names a regular file. Files are read through platform/input_file.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"
#include "platform/input_file.h"
#include "platform/native_handle.h"

namespace rqx340 {

// True when `path` names a regular file after following symlinks.
bool IsRegularFile(const std::string& path);

// True when something is at `path` after following symlinks, also when it
// cannot be examined; false only when nothing is there.
bool PathExists(const std::string& path);

struct FileEntry {
  std::string name;  // without the folder
  // As the listing gives it; none where finding it would take a call per file
  // (POSIX, for an entry the listing marks as a regular file).
  std::optional<std::uint64_t> size;
};

// An entry whose name ends in the suffix but that a listing leaves out.
struct SkippedEntry {
  std::string name;  // without the folder
  // Why it could not be examined (a dangling or looping link); empty when it
  // is something other than a regular file: a folder, a FIFO, a device.
  std::string error;
};

// The regular files (after following symlinks) of `folder` whose names end in
// `suffix`, ASCII letters compared without case, dotfiles included, in the order
// the system lists them. Fails when the folder cannot be listed. Whoever opens
// an entry checks the opened file again: it may have been replaced since.
Result<std::vector<FileEntry>> ListFiles(const std::string& folder, std::string_view suffix);

// A folder held open while its files are listed and opened. Each name is
// looked up in the folder itself, so the folder's own path is walked once and
// not once per file: the folder scan opens thousands.
class OpenFolder {
 public:
  // `path` names the folder (with or without a trailing separator).
  static Result<OpenFolder> Open(const std::string& path);

  // As ListFiles of the folder's path. The entries with the suffix that are
  // not listed go to `skipped`, when given, at no cost for the listed ones.
  Result<std::vector<FileEntry>> ListFiles(std::string_view suffix,
                                           std::vector<SkippedEntry>* skipped = nullptr) const;
  // As InputFile::Open of the file `name` of the folder; a name is one path
  // component.
  Result<InputFile> OpenFile(std::string_view name) const;

 private:
  OpenFolder(std::string path, UniqueNativeHandle handle)
      : m_strPath(std::move(path)), m_handle(std::move(handle)) {}

  std::string m_strPath;
  UniqueNativeHandle m_handle;  // the folder itself, where the system can hold one
};

// The current working directory.
Result<std::string> CurrentDirectory();

// fopen by a UTF-8 name, for the tools that write with stdio: on Windows the
// name goes to the system wide, not through the ANSI code page. Null with errno
// set on failure.
std::FILE* OpenStdioFile(const std::string& path, const char* mode);

}  // namespace rqx340
