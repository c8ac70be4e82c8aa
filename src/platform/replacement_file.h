// A file that replaces another as a whole: written under a temporary name in
// the same folder and renamed over the target only when it is complete, so a
// failure or a crash leaves the old file or the new one, never half of one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace rqx340 {

class ReplacementFile {
 public:
  // Creates the temporary file beside `path` (the file system's bytes). nullopt,
  // with the reason in `error`, when the folder does not take it.
  static std::optional<ReplacementFile> Create(const std::string& path,
                                               std::string* error = nullptr);

  ReplacementFile(ReplacementFile&& other) noexcept;
  ReplacementFile& operator=(ReplacementFile&&) = delete;
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~ReplacementFile();

  // Appends all of `bytes`; false on any error (the reason is kept for Commit).
  bool Write(std::span<const std::byte> bytes);
  // Overwrites bytes already written from `offset`.
  bool WriteAt(std::uint64_t offset, std::span<const std::byte> bytes);

  // Closes the file and renames it over the target. False, with the reason in
  // `error`, when that or an earlier write failed; the temporary file is then
  // removed and the target left as it was.
  bool Commit(std::string* error = nullptr);

  // Why the first failed write failed; empty when none did.
  std::string WriteError() const;

  // Gives up: removes the temporary file.
  void Discard();

 private:
  ReplacementFile(int handle, std::string temp_path, std::string path)
      : m_hFile(handle), m_strTempPath(std::move(temp_path)), m_strPath(std::move(path)) {}

  int m_hFile = -1;
  std::string m_strTempPath;
  std::string m_strPath;
  int m_nError = 0;  // the first write error
};

}  // namespace rqx340
