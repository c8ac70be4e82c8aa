// The session directory: the one private folder where all named objects of the
// user live (exchange areas, their locks, message endpoints, hand-over files).
// Named objects are opened relative to the directory itself, never by re-walking
// its path, so a directory swapped after the checks is never followed.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rqx340 {

// Looks up an environment variable; nullopt when it is not set.
using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view)>;

// The process's real environment.
std::optional<std::string> GetEnvironment(std::string_view name);

// The directory the environment chooses, made absolute:
// RQX340_RUNTIME_DIR, else XDG_RUNTIME_DIR + "/zul", else ${TMPDIR:-/tmp} + "/zul-<uid>".
// An empty variable counts as unset. `current_dir` makes a relative choice absolute.
std::string ChooseSessionDirPath(const EnvironmentLookup& environment, unsigned user_id,
                                 std::string_view current_dir);

class SessionDir {
 public:
  // The directory chosen by the process's environment. Creates its last
  // component (mode 0700) when missing. Refuses, touching nothing, when it is a
  // symbolic link, not a directory, not owned by the user, or open to group or
  // others; `error` then says why.
  static std::optional<SessionDir> Open(std::string* error);
  static std::optional<SessionDir> OpenPath(std::string_view path, std::string* error);

  SessionDir(SessionDir&& other) noexcept;
  SessionDir& operator=(SessionDir&& other) noexcept;
  SessionDir(const SessionDir&) = delete;
  SessionDir& operator=(const SessionDir&) = delete;
  ~SessionDir();

  // Another handle on the same, already checked directory.
  std::optional<SessionDir> Duplicate() const;

  const std::string& Path() const { return m_strPath; }
  // `name` inside the directory, for messages and for handing paths to others.
  std::string PathOf(std::string_view name) const;

  // The whole content of the regular file `name` of the directory, opened
  // without following a symbolic link; nullopt when it cannot be read or is
  // larger than `max_size`. `error` says why.
  std::optional<std::string> ReadFile(std::string_view name, std::size_t max_size,
                                      std::string* error = nullptr) const;

  // The system's handle on the directory (a descriptor on POSIX), for the
  // other facilities of the platform layer only.
  int NativeHandle() const { return m_hDir; }

 private:
  SessionDir(int handle, std::string path) : m_hDir(handle), m_strPath(std::move(path)) {}

  int m_hDir = -1;
  std::string m_strPath;
};

}  // namespace rqx340
