// Parses zul-refhost's log, one JSON object per line.
#include "support/command_log_reader.h"

#include <gtest/gtest.h>
#include <rapidjson/document.h>

#include <fstream>

#include "support/temp_dir.h"

namespace rqx340::test {

std::vector<LoggedCommand> ReadCommandLog(const std::filesystem::path& path) {
  std::vector<LoggedCommand> log;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    rapidjson::Document entry;
    entry.Parse(line.c_str());
    if (entry.HasParseError() || !entry.IsObject() || !entry.HasMember("cmd") ||
        !entry["cmd"].IsUint() || !entry.HasMember("slot") || !entry["slot"].IsInt() ||
        !entry.HasMember("reply") || !entry.HasMember("status") || !entry.HasMember("checks") ||
        !entry["checks"].IsArray()) {
      ADD_FAILURE() << "unexpected log line: " << line;
      continue;
    }
    LoggedCommand command;
    command.cmd = entry["cmd"].GetUint();
    command.slot = entry["slot"].GetInt();
    if (entry["reply"].IsUint()) command.reply = entry["reply"].GetUint();
    if (entry["status"].IsInt()) command.status = std::to_string(entry["status"].GetInt());
    if (entry["status"].IsString()) command.status = entry["status"].GetString();
    for (const auto& check : entry["checks"].GetArray()) {
      if (check.IsString()) command.checks.emplace_back(check.GetString());
    }
    log.push_back(std::move(command));
  }
  return log;
}

std::vector<std::uint32_t> CommandsOf(const std::vector<LoggedCommand>& log) {
  std::vector<std::uint32_t> commands;
  for (const auto& entry : log) commands.push_back(entry.cmd);
  return commands;
}

std::vector<std::string> HandoverLeftovers(const std::filesystem::path& session) {
  std::vector<std::string> left;
  for (const auto& name : FolderNames(session)) {
    // The transfer lock is not a hand-over file: it stays, as the area's mutex does.
    if (name == "ZURQX340LCK") continue;
    if (name.rfind("ZURQX340", 0) == 0 || name.rfind("~_", 0) == 0) left.push_back(name);
  }
  return left;
}

}  // namespace rqx340::test
