// The command log's JSON lines, escaped by hand.
#include "command_log.h"

#include "platform/code_page.h"
#include "platform/file_system.h"

namespace rqx340::refhost {

std::string JsonString(std::string_view text) {
  const std::string clean = SanitizeUtf8(text);
  std::string out = "\"";
  for (const char c : clean) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
          out += escape;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string FormatLogLine(const LogEntry& entry) {
  std::string line = "{\"cmd\":" + std::to_string(entry.command) +
                     ",\"slot\":" + std::to_string(entry.slot) + ",\"reply\":";
  if (entry.reply) {
    line += std::to_string(*entry.reply) + ",\"status\":" + std::to_string(*entry.reply & 0xFF);
  } else {
    line += "null,\"status\":\"exit\"";
  }
  line += ",\"checks\":[";
  for (std::size_t i = 0; i < entry.checks.size(); ++i) {
    if (i) line += ',';
    line += JsonString(entry.checks[i]);
  }
  line += "]}";
  return line;
}

Result<CommandLog> CommandLog::Open(const std::optional<std::string>& path) {
  if (!path) return CommandLog(nullptr);
  std::FILE* file = OpenStdioFile(*path, "w");
  if (file == nullptr) return Failure("cannot write the log " + *path);
  return CommandLog(file);
}

void CommandLog::Write(const LogEntry& entry) {
  if (!m_file) return;
  const std::string line = FormatLogLine(entry) + "\n";
  std::fwrite(line.data(), 1, line.size(), m_file.get());
  std::fflush(m_file.get());
}

}  // namespace rqx340::refhost
