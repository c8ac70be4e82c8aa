// The command log of zul-refhost: one JSON object per line and command, written
// and flushed before the reply goes out, so a test reads exactly what the host
// did even when it dies right after.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace rqx340::refhost {

struct LogEntry {
  std::uint32_t command = 0;
  std::int32_t slot = 0;
  std::optional<std::uint32_t> reply;  // none when the host dies instead
  std::vector<std::string> checks;
};

// `"text"` as a JSON string; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

// {"cmd":…,"slot":…,"reply":…,"status":…,"checks":[…]}; status is the reply's
// low byte, or "exit" (and reply null) when there is no reply.
std::string FormatLogLine(const LogEntry& entry);

class CommandLog {
 public:
  // No file: nothing is written.
  static Result<CommandLog> Open(const std::optional<std::string>& path);

  void Write(const LogEntry& entry);

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  explicit CommandLog(std::FILE* file) : m_file(file) {}
  std::unique_ptr<std::FILE, FileCloser> m_file;
};

}  // namespace rqx340::refhost
