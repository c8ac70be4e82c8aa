// The session directory: the one private folder where all named objects of the
// user live (exchange areas, their locks, message endpoints, hand-over files).
// Named objects are opened relative to the directory itself, never by re-walking
// its path, so a directory swapped after the checks is never followed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/result.h"
#include "platform/native_handle.h"

namespace rqx340 {

class SessionDir {
 public:
  // The directory the process's environment chooses. Creates its last
  // component, private to the user, when missing. Refuses, touching nothing,
  // when it is a symbolic link, not a directory, not the user's own, or open
  // to others.
  static Result<SessionDir> Open();
  static Result<SessionDir> OpenPath(std::string_view path);

  // Another handle on the same, already checked directory.
  Result<SessionDir> Duplicate() const;

  const std::string& Path() const { return m_strPath; }
  // `name` inside the directory, for messages and for handing paths to others.
  std::string PathOf(std::string_view name) const;

  // The whole content of the regular file `name` of the directory, opened
  // without following a symbolic link; fails when it cannot be read or is
  // larger than `max_size`.
  Result<std::string> ReadFile(std::string_view name, std::size_t max_size) const;

  // The system's handle on the directory, for the other facilities of the
  // platform layer only.
  NativeHandle Handle() const { return m_dir.Get(); }

 private:
  SessionDir(UniqueNativeHandle dir, std::string path)
      : m_dir(std::move(dir)), m_strPath(std::move(path)) {}

  UniqueNativeHandle m_dir;
  std::string m_strPath;
};

}  // namespace rqx340
