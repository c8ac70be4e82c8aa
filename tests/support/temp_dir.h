// A temporary folder removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace rqx340::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // Writes `contents` to `name` (relative to the folder) and returns its path.
  std::filesystem::path Write(std::string_view name, std::string_view contents) const;

 private:
  std::filesystem::path m_path;
};

// The bytes of a file, or empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

// Writes `bytes` to `path`, replacing what was there.
void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes);

// The names in `folder` (not recursive), sorted; empty when it does not exist.
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

// The permission bits (07777) of `path` itself, a symbolic link not followed;
// 0 when there is nothing of that name.
unsigned ModeOf(const std::filesystem::path& path);

// A fixture file under tests/data.
std::filesystem::path DataFile(std::string_view name);

}  // namespace rqx340::test
